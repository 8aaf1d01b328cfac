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
  int depth;  // index into kDepths
  std::int32_t answer;
  std::uint32_t minor;             // of Windows 6.x
  std::vector<std::string> steps;  // "try", "works", "back", or milliseconds gone and a tick
  TrialState state;
  std::string countdown;
  std::vector<std::string> switches;
  std::string reportHas;
};

const char kTo640[] = "ChangeDisplaySettingsA(fields=0x1C0000 bpp=16 640x480, 0)";
const char kBack[] = "ChangeDisplaySettingsA(fields=0x5C0000 bpp=32 1280x1024, 0)";
const std::string kShown = "Try this mode: 640 x 480 at 16 bits per pixel was shown.\n";

// clang-format off
const TrialCase kTrialCases[] = {
    {__LINE__, "640 x 480 *", 1, 0, 1, {"try", "1000", "works"}, TrialState::kConfirmed,
     "Going back in 0 s", {kTo640, kBack}, kShown + "You confirmed that it works.\n"
     "Back to the stored mode, 1280 x 1024 at 32 bits: DISP_CHANGE_SUCCESSFUL\n"},
    {__LINE__, "640x480", 1, 0, 1, {"try", "14001"}, TrialState::kRunning, "Going back in 1 s",
     {kTo640}, ""},
    {__LINE__, "640x480", 1, 0, 2, {"try", "14001", "15000", "works"}, TrialState::kTimedOut, "",
     {kTo640, kBack}, "Not confirmed: back after 15 s.\nBack to the stored mode, 1280 x 1024 at "
     "32 bits: DISP_CHANGE_SUCCESSFUL\nOn this Windows (8 or later) only the size was tried"},
    {__LINE__, "640,480", 1, 0, 1, {"try", "try", "back"}, TrialState::kWentBack, "",
     {kTo640, kBack}, kShown + "You chose Go back: not confirmed.\n"},
    {__LINE__, "1152 x 864", 2, -2, 1, {"try", "back"}, TrialState::kRefused, "",
     {"ChangeDisplaySettingsA(fields=0x1C0000 bpp=32 1152x864, 0)"},
     "the display refused 1152 x 864 at 32 bits per pixel\n(DISP_CHANGE_BADMODE). Nothing"},
    {__LINE__, "big", 1, 0, 1, {"try"}, TrialState::kIdle, "", {}, ""},
};
// clang-format on

TEST(SetupTrial, ShowsTheModeAndGoesBack) {
  for (const TrialCase& c : kTrialCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    tolvex::FakePlatform display;
    display.changeResults = {c.answer};
    display.versionMinor = c.minor;
    FakeSetupWorld world;
    world.files.platform = &display;
    SetupModel model(world);
    model.form.size.assign(c.size.c_str());
    model.form.depth = c.depth;
    Trial trial(world, model);
    const std::uint32_t start = display.tickCount;
    for (const std::string& step : c.steps) {
      if (step == "try" || step == "works" || step == "back") {
        step == "try" ? (void)trial.start() : step == "works" ? trial.confirm() : trial.goBack();
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
    EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find(c.reportHas))
        << model.report.c_str();
  }
}

using tolvex_commands::storedSettings;
const std::vector<std::uint8_t> kExe = {'M', 'Z'};
// A program with a version record (fake_setup_world.h).
std::vector<std::uint8_t> recorded(const std::string& names) {
  const std::string bytes = "MZ" + names;
  return {bytes.begin(), bytes.end()};
}
const std::vector<std::uint8_t> kTolvex = recorded("Tolvex/Tolvex");

struct NamedCase {
  int line;
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::vector<std::string> programs, names;
  std::string reportHas;
};

// clang-format off
const NamedCase kNamedCases[] = {
    {__LINE__, {{"Intro.exe", kTolvex}, {"Intro.ini", storedSettings("8,640,480,1,GAME.EXE")}, {"GAME.EXE", kExe}},
     {"GAME.EXE"}, {"Intro"}, "File:        Intro.ini"},
    {__LINE__, {{"Intro.exe", recorded("Tolvex/TolvexSetup")},
                {"Intro.ini", {}}, {"GAME.EXE", kExe}}, {"GAME.EXE", "Intro.exe"}, {}, "No Tolvex.ini"},
    {__LINE__, {{"Intro.exe", kExe}, {"Intro.ini", {}}}, {"Intro.exe"}, {}, "No Tolvex.ini"},
    {__LINE__, {{"B.exe", kTolvex}, {"A.exe", kTolvex}, {"A.ini", {}}, {"B.ini", {}},
                {"Run.exe", kTolvex}, {"Tolvex.ini", {}}}, {}, {"A", "B"},
     "Note: this folder also holds Tolvex.ini, which Tolvex reads first: A.exe started"},
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
    model.chooseName(static_cast<int>(c.names.size()) - 1);
    EXPECT_EQ(c.names.empty() ? "Intro" : c.names.back(), model.form.name.c_str());
  }
}

TEST(SetupShortcut, StartsTolvexInTheTitleFolderAndAsksBeforeReplacing) {
  FakeSetupWorld world;
  SetupModel model(world);
  model.open(nullptr);
  model.form.program.assign("GAME.EXE");
  model.form.size.assign("640 x 480 *");
  model.form.named = true;
  Answers answers;
  answers.answers = {false, true};
  for (bool made : {true, false, true}) {
    EXPECT_EQ(made, makeShortcut(model, world, answers).ok);
  }
  ASSERT_EQ(2U, world.shortcuts.size());
  const Shortcut& made = world.shortcuts[1];
  EXPECT_EQ(
      (std::vector<std::string>{"C:\\Users\\ann\\Desktop\\Intro.lnk", "C:\\Games\\Intro\\Intro.exe",
                                "C:\\Games\\Intro", "C:\\Games\\Intro\\GAME.EXE",
                                "Starts GAME.EXE at 640 x 480, 16 bits per pixel"}),
      (std::vector<std::string>{made.file.c_str(), made.target.c_str(), made.folder.c_str(),
                                made.icon.c_str(), made.description.c_str()}));
  EXPECT_EQ(0U, std::string(model.report.c_str()).find("Made the shortcut C:\\Users"));
}

const std::string kTab = " to GAME.EXE (its Properties, Compatibility tab)";

struct CompatCase {
  int line;
  const char* user;  // nullptr: no value
  const char* machine;
  const char* tolvexLayer;
  std::string expected;
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
};
// clang-format on

TEST(CheckCompatibility, NamesTheLayersOfBothRoots) {
  for (const CompatCase& c : kCompatCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    tolvex_commands::CompatLineText line;
    tolvex_commands::composeCompatibility(c.user, c.machine, "C:\\Games\\GAME.EXE", c.tolvexLayer,
                                          line);
    EXPECT_EQ(c.expected, line.c_str());
  }
}

}  // namespace
}  // namespace tolvex_setup
