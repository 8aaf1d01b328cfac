// Tolvex Setup beyond the settings file: Try this mode on a scripted display (the switch Tolvex
// makes, the countdown, the way back), renamed copies of Tolvex, the desktop shortcut, and the
// compatibility line of Check (and tolvex-ini check) from the Layers values of both roots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"
#include "tests/setup/fake_setup_world.h"
#include "tools/commands/compat_layers.h"
#include "tools/tolvex-setup/model/shortcut.h"
#include "tools/tolvex-setup/model/trial.h"

namespace tolvex_setup {
namespace {

struct TrialCase {
  int line;
  std::string size;
  int depth;            // index into kDepths
  std::int32_t answer;  // to the switch and its retry
  std::uint32_t minor;  // of Windows 6.x
  // "try", "works", "back", "lenient", "unstored", "no way back", "box tries again" (Try, It works
  // under Tolvex's box), or milliseconds and a tick
  std::vector<std::string> steps;
  TrialState state;
  std::string countdown;
  std::vector<std::string> switches;
  std::string reportHas;  // in the report, or in the message of Try
};

const char kTo640[] = "ChangeDisplaySettingsA(fields=0x1C0000 bpp=16 640x480, 4)";
const char kBack[] = "ChangeDisplaySettingsA(fields=0x5C0000 bpp=32 1280x1024, 0)";
const std::string kShown = "Try this mode: 640 x 480 at 16 bits per pixel was shown.\n";

// clang-format off
const TrialCase kTrialCases[] = {
    {__LINE__, "640 x 480 *", 1, 0, 1, {"try", "1000", "works"}, TrialState::kConfirmed,
     "Going back in 0 s", {kTo640, kBack}, kShown + "You confirmed that it works.\n"
     "Back to the stored mode, 1280 x 1024 at 32 bits per pixel: DISP_CHANGE_SUCCESSFUL\n"},
    {__LINE__, "640x480", 1, 0, 1, {"try", "14001"}, TrialState::kRunning, "Going back in 1 s",
     {kTo640}, ""},
    {__LINE__, "640x480", 1, 0, 2, {"try", "14001", "15000", "works"}, TrialState::kTimedOut, "",
     {kTo640, kBack}, "Not confirmed: back after 15 s.\nBack to the stored mode, 1280 x 1024 at "
     "32 bits per pixel: DISP_CHANGE_SUCCESSFUL\nOn this Windows (8 or later) only the size was "
     "tried"},
    {__LINE__, "640,480", 1, 0, 1, {"try", "try", "back"}, TrialState::kWentBack, "",
     {kTo640, kBack}, kShown + "You chose Go back: not confirmed.\n"},
    {__LINE__, "1152 x 864", 2, -2, 1, {"try", "back"}, TrialState::kRefused, "",
     {"ChangeDisplaySettingsA(fields=0x1C0000 bpp=32 1152x864, 4)",
      "ChangeDisplaySettingsA(fields=0x1C0000 bpp=32 1152x864, 9)", kBack},
     "the display refused 1152 x 864 at 32 bits per pixel\n(DISP_CHANGE_BADMODE): Tolvex would "
     "start nothing.\nBack to the stored mode"},
    {__LINE__, "1152 x 864", 1, -2, 1, {"lenient", "try", "works"},
     TrialState::kConfirmed, "", {"ChangeDisplaySettingsA(fields=0x1C0000 bpp=16 1152x864, 4)",
      "ChangeDisplaySettingsA(fields=0x1C0000 bpp=16 1152x864, 9)",
      "ChangeDisplaySettingsA(fields=0x180000 bpp=16 1152x864, 4)", kBack},
     "1152 x 864 at any depth was shown"},
    {__LINE__, "960 x 540", 1, 0, 1, {"try"}, TrialState::kIdle, "", {},
     "Tolvex would reject the Size 960 x 540: the width has to be 640, 800, 832, 1024"},
    {__LINE__, "640x480", 1, 0, 1, {"unstored", "try"}, TrialState::kRefused, "", {},
     "no way back.\nNothing was switched."},
    {__LINE__, "640x480", 1, 0, 1, {"try", "no way back", "back"}, TrialState::kWentBack, "",
     {kTo640, kBack, "ChangeDisplaySettingsA(null, 0)"}, "DISP_CHANGE_FAILED\nBack to what the "
     "display stores, as Restore display does: DISP_CHANGE_SUCCESSFUL\n"},
    {__LINE__, "big", 1, 0, 1, {"try"}, TrialState::kIdle, "", {}, "Type the size"},
    {__LINE__, "640x480", 1, 1, 1, {"box tries again", "try"}, TrialState::kRefused, "",
     {kTo640, "ChangeDisplaySettingsA(fields=0x1C0000 bpp=16 640x480, 9)",
      "ChangeDisplaySettingsA(fields=0x5C0000 bpp=32 1280x1024, 9)"}, "(DISP_CHANGE_RESTART)"},
};
// clang-format on

TEST(SetupTrial, ShowsTheModeAndGoesBack) {
  for (const TrialCase& c : kTrialCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    tolvex::FakePlatform display;
    display.changeResults = {c.answer, c.answer};
    display.versionMinor = c.minor;
    FakeSetupWorld world;
    world.files.platform = &display;
    SetupModel model(world);
    model.form.size.assign(c.size.c_str());
    model.form.depth = c.depth;
    Trial trial(world, model);
    const std::uint32_t start = display.tickCount;
    std::string said;
    for (const std::string& step : c.steps) {
      if (step == "lenient" || step == "unstored") {
        (step == "lenient" ? model.form.strict : display.enumSucceeds) = false;
      } else if (step == "no way back") {
        display.changeResults = {-1};
      } else if (step == "box tries again") {
        display.whileBoxUp = [&] {
          said += trial.start().message.c_str();
          trial.confirm();
        };
      } else if (step == "try") {
        said += trial.start().message.c_str();
      } else if (step == "works" || step == "back") {
        step == "works" ? trial.confirm() : trial.goBack();
      } else {
        display.tickCount = start + static_cast<std::uint32_t>(std::stoul(step));
        trial.tick();
      }
    }
    EXPECT_EQ(c.state, trial.state());
    CountdownText text;
    trial.countdown(text);
    EXPECT_TRUE(c.countdown.empty() || c.countdown == text.c_str()) << text.c_str();
    EXPECT_EQ(c.switches, display.callsStartingWith("ChangeDisplaySettingsA"));
    EXPECT_NE(std::string::npos, (model.report.c_str() + said).find(c.reportHas))
        << model.report.c_str() << said;
    EXPECT_EQ(c.minor >= 2,
              std::string(model.report.c_str()).find("(8 or later)") != std::string::npos);
  }
}

using tolvex_commands::storedSettings;
const std::vector<std::uint8_t> kExe = {'M', 'Z'};

struct NamedCase {
  int line;
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::vector<std::string> programs, names;
  std::string reportHas;
  std::string chosen;  // size, strict flag and program once the last name is chosen
};

// clang-format off
const NamedCase kNamedCases[] = {
    {__LINE__, {{"Intro.exe", kTolvex}, {"Intro.ini", storedSettings("8,640,480,1,GAME.EXE")}, {"GAME.EXE", kExe}},
     {"GAME.EXE"}, {"Intro"}, "File:        Intro.ini", "640 x 480,1,GAME.EXE"},
    {__LINE__, {{"Intro.exe", recorded("Tolvex/TolvexSetup")},
                {"Intro.ini", {}}, {"GAME.EXE", kExe}}, {"GAME.EXE", "Intro.exe"}, {}, "No Tolvex.ini", "1024 x 768,1,"},
    {__LINE__, {{"Intro.exe", kExe}, {"Intro.ini", {}}}, {"Intro.exe"}, {}, "No Tolvex.ini", "1024 x 768,1,"},
    {__LINE__, {{"B.exe", kTolvex}, {"A.exe", kTolvex}, {"A.ini", storedSettings("8,640,480,0,GAME.EXE")},
                {"B.ini", {}}, {"Run.exe", kTolvex}, {"Tolvex.ini", {}}}, {}, {"A", "B"},
     "Note: this folder also holds Tolvex.ini, which Tolvex reads first: A.exe started",
     "800 x 600,1,"},
};
// clang-format on

TEST(SetupOpen, KnowsRenamedCopiesOfTolvexByTheirVersionRecord) {
  for (const NamedCase& c : kNamedCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = c.files;
    SetupModel model(world);
    model.open(nullptr);
    EXPECT_EQ(c.programs, texts(model.programs, model.programCount));
    EXPECT_EQ(c.names, texts(model.names, model.nameCount));
    EXPECT_EQ(c.names.empty() ? "" : c.names[0], model.form.named ? model.form.name.c_str() : "");
    EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find(c.reportHas))
        << model.report.c_str();
    model.form.size.assign("1024 x 768");  // unsaved: asked about first, then dropped (No)
    Answers answers;
    answers.choice = Answer::kNo;
    model.chooseName(static_cast<int>(c.names.size()) - 1, answers);
    EXPECT_EQ(c.names.empty() ? "Intro" : c.names.back(), model.form.name.c_str());
    EXPECT_EQ(c.names.empty() ? 0U : 1U, answers.asked.size());
    EXPECT_EQ(c.chosen, std::string(model.form.size.c_str()) + "," +
                            (model.form.strict ? "1," : "0,") + model.form.program.c_str());
  }
}

struct ShortcutCase {
  int line;
  std::map<std::string, std::vector<std::uint8_t>> files;
  const char* name;  // <Name>.ini when not null, else the Name box as opened
  std::string size;  // typed after opening, when not empty
  Answer choice;     // to the question about unsaved changes
  std::vector<bool> answers;
  bool inCodePage;
  size_t questions;
  std::string made;  // the shortcut's target and description, or the message's start
  std::string folder = "C:\\Games\\Intro";  // another one on code page 932
};

const std::map<std::string, std::vector<std::uint8_t>> kTitle = {
    {"Tolvex.ini", storedSettings("16,800,600,1,GAME.EXE")}, {"Tolvex.exe", kTolvex}};
const std::string kAt800 =
    "C:\\Games\\Intro\\Tolvex.exe: Starts GAME.EXE at 800 x 600, 16 bits per pixel";

// clang-format off
const ShortcutCase kShortcutCases[] = {
    {__LINE__, kTitle, nullptr, "", Answer::kCancel, {}, true, 0, kAt800},
    {__LINE__, kTitle, nullptr, "1024 x 768", Answer::kCancel, {}, true, 1, ""},
    {__LINE__, kTitle, nullptr, "1024 x 768", Answer::kNo, {}, true, 1, kAt800},
    {__LINE__, kTitle, nullptr, "1024 x 768", Answer::kYes, {true, true}, true, 2,
     "C:\\Games\\Intro\\Tolvex.exe: Starts GAME.EXE at 1024 x 768, 16 bits per pixel"},
    {__LINE__, {{"C:\\Users\\ann\\Desktop\\Intro.lnk", {}}, {"Tolvex.exe", kTolvex}}, nullptr,
     "", Answer::kCancel, {false}, true, 1, ""},
    {__LINE__, {{FakeSetupWorld::kSetupTolvex, kTolvex}}, nullptr, "", Answer::kCancel, {false}, true, 1,
     "There is no Tolvex.exe in this folder: a shortcut to it would start nothing."},
    {__LINE__, {{"LAUNCH.exe", kExe}}, "LAUNCH", "", Answer::kCancel, {}, true, 0,
     "LAUNCH.exe in this folder is another program, not a copy of Tolvex"},
    {__LINE__, {{"Intro.v2.exe", kTolvex}, {"Intro.ini", storedSettings("8,640,480")},
                {"Tolvex.ini", {}}}, "Intro", "", Answer::kCancel, {true}, true, 1,
     "C:\\Games\\Intro\\Intro.v2.exe: Starts PROJECTOR.EXE at 640 x 480, 8 bits per pixel"},
    {__LINE__, kTitle, nullptr, "", Answer::kCancel, {}, false, 0, kFolderNotInCodePage},
    {__LINE__, kTitle, "..\\Startup\\x", "", Answer::kCancel, {}, true, 0, "The name cannot hold"},
    {__LINE__, kTitle, "", "", Answer::kCancel, {}, true, 0, "Type the name"},
    // "時刻表", whose last byte is the second byte 0x5C.
    {__LINE__, kTitle, nullptr, "", Answer::kCancel, {}, true, 0,
     "C:\\\x8E\x9E\x8D\x8F\x95\\\\Tolvex.exe: Starts GAME.EXE", "C:\\\x8E\x9E\x8D\x8F\x95\\"},
};
// clang-format on

TEST(SetupShortcut, StartsTheSavedSettingsOfATolvexThatIsThere) {
  for (const ShortcutCase& c : kShortcutCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = c.files;
    world.files.files["GAME.EXE"] = kExe;
    world.inCodePage = c.inCodePage;
    world.folder = c.folder;
    tolvex::FakePlatform system;
    system.codePage = tolvex::shiftJis();
    world.files.platform = &system;
    SetupModel model(world);
    model.open(nullptr);
    model.form.named = c.name != nullptr;
    model.form.name.assign(c.name != nullptr ? c.name : model.form.name.c_str());
    model.form.size.assign(c.size.empty() ? model.form.size.c_str() : c.size.c_str());
    Answers answers;
    answers.choice = c.choice;
    answers.answers = c.answers;
    const Outcome outcome = makeShortcut(model, world, answers);
    EXPECT_EQ(c.questions, answers.asked.size());
    std::string made = outcome.message.c_str();
    for (const Shortcut& link : world.shortcuts) {  // named after the title, started in its folder
      made = std::string(link.target.c_str()) + ": " + link.description.c_str();
      EXPECT_EQ(c.folder, link.folder.c_str());
      EXPECT_EQ("C:\\Users\\ann\\Desktop\\" + std::string(model.form.name.c_str()) + ".lnk",
                link.file.c_str());
      const std::size_t folder = c.folder.size() + 1;  // the icon of the title
      EXPECT_EQ(0U, made.find(std::string(link.icon.c_str(), folder)));
      EXPECT_NE(std::string::npos,
                made.find(std::string("Starts ") + (link.icon.c_str() + folder)));
      EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find("Made the shortcut C:"));
    }
    EXPECT_EQ(0U, made.find(c.made)) << made;
  }
}

const std::string kTab = " to GAME.EXE (its Properties, Compatibility tab)";

struct CompatCase {
  int line;
  const char* user;  // nullptr: no value
  const char* machine;
  const char* tolvexLayer;
  std::string expected;
  const char* program = "C:\\Games\\GAME.EXE";  // on code page 932
};

// clang-format off
const CompatCase kCompatCases[] = {
    {__LINE__, "WIN95 256COLOR", nullptr, nullptr, "Windows also applies WIN95 256COLOR" + kTab},
    {__LINE__, nullptr, "640X480", nullptr, "Windows also applies 640X480" + kTab},
    {__LINE__, "~ WIN95", "16bitcolor", "16BITCOLOR",
     "Windows also applies WIN95 for this user and 16bitcolor for all users" + kTab +
     "\n16BITCOLOR, the layer Tolvex adds for this mode on this Windows, is set there already"},
    {__LINE__, "~ 256COLOR", nullptr, "16BITCOLOR", "Windows also applies 256COLOR" + kTab},
    {__LINE__, nullptr, "~ ", "256COLOR", "none set"},
    {__LINE__, nullptr, nullptr, nullptr, "none set"},
    {__LINE__, "WIN95", nullptr, nullptr,
     "Windows also applies WIN95 to \x83\\\x83t\x83g.exe (its Properties, Compatibility tab)",
     "C:\\G\\\x83\\\x83t\x83g.exe"},
};
// clang-format on

TEST(CheckCompatibility, NamesTheLayersOfBothRoots) {
  for (const CompatCase& c : kCompatCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    tolvex_commands::CompatLineText line;
    tolvex_commands::composeCompatibility(c.user, c.machine, c.program, tolvex::shiftJis(),
                                          c.tolvexLayer, line);
    EXPECT_EQ(c.expected, line.c_str());
  }
}

}  // namespace
}  // namespace tolvex_setup
