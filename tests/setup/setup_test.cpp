// Tolvex Setup's model on a folder in memory: what it reads from a title folder, the lists it
// offers, and what Save, Check and Start the title do to the folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"
#include "tests/setup/fake_setup_world.h"
#include "tests/tool/fake_tool_io.h"
#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {
namespace {

using tolvex_commands::storedSettings;

const std::vector<std::uint8_t> kExe = {'M', 'Z'};

struct OpenCase {
  int line;
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::vector<std::string> programs;
  std::string program, size;
  int depth;
  bool strict;
  std::string reportHas;
  Field focus;
  const char* folder = nullptr;  // on code page 932, in place of C:\Games\Intro
  const char* name = "Intro";    // guessed from the folder's name
};

// clang-format off
const OpenCase kOpenCases[] = {
    {__LINE__, {{"PROJECTOR.EXE", kExe}, {"game.exe", kExe}, {"Tolvex.exe", kExe},
                {"TOLVEXSETUP.EXE", kExe}, {"tolvex-ini.exe", kExe}, {"readme.txt", {}}},
     {"game.exe", "PROJECTOR.EXE"}, "PROJECTOR.EXE", "800 x 600", 16, true,
     "No Tolvex.ini in this folder", Field::kNone},
    {__LINE__, {{"Tolvex.ini", storedSettings("24,1024,768,0,GAME.EXE")}, {"GAME.EXE", kExe}},
     {"GAME.EXE"}, "GAME.EXE", "1024 x 768", 24, false,
     "Result:      accepted with an application\n", Field::kNone},
    {__LINE__, {{"Tolvex.ini", storedSettings("8,1000,480,0,GAME.EXE")}, {"PROJECTOR.EXE", kExe}},
     {"PROJECTOR.EXE"}, "GAME.EXE", "1000 x 480", 8, false,
     "             | The width value has to be one of\n", Field::kSize},
    {__LINE__, {{"Tolvex.ini", storedSettings("12,640")}}, {}, "", "640 x 600", 16, true,
     "The depth value", Field::kDepth},
    {__LINE__, {{"Tolvex.ini", {'1', '6', ',', '6', '4', '0'}}, {"SHOW.EXE", kExe}},
     {"SHOW.EXE"}, "", "800 x 600", 16, true, "Hint:        the file looks like plain text",
     Field::kNone},
    // "表示" and "時刻表": the second bytes of "表" (0x95 0x5C) are no backslash; the report names
    // the program "表示.exe" as its characters.
    {__LINE__, {{"Tolvex.ini", storedSettings("16,800,600,1,\x95\\\x8E\xA6.exe")}}, {},
     "\x95\\\x8E\xA6.exe", "800 x 600", 16, true, "Application: \x95\\\x8E\xA6.exe (in",
     Field::kNone,
     "C:\\G\\\x95\\\x8E\xA6", "\x95\\\x8E\xA6"},
    {__LINE__, {}, {}, "", "800 x 600", 16, true, "No Tolvex.ini", Field::kNone,
     "C:\\\x8E\x9E\x8D\x8F\x95\\", "\x8E\x9E\x8D\x8F\x95\\"},
};
// clang-format on

TEST(SetupOpen, ReadsTheFolderAsShowDoes) {
  for (const OpenCase& c : kOpenCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = c.files;
    tolvex::FakePlatform system;
    system.codePage = tolvex::shiftJis();
    world.files.platform = c.folder != nullptr ? &system : nullptr;
    SetupModel model(world);
    const Outcome opened = model.open(c.folder);
    EXPECT_TRUE(opened.ok);
    EXPECT_EQ(c.focus, opened.focus);
    EXPECT_EQ(c.programs, texts(model.programs, model.programCount));
    EXPECT_EQ(c.program, model.form.program.c_str());
    EXPECT_EQ(c.size, model.form.size.c_str());
    EXPECT_EQ(c.depth, kDepths[model.form.depth]);
    EXPECT_EQ(c.strict, model.form.strict);
    EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find(c.reportHas))
        << model.report.c_str();
    EXPECT_STREQ(c.name, model.form.name.c_str());
  }
}

TEST(SetupOpen, ListsTheDisplaysSizesMarkingThoseAtTheDepth) {
  tolvex::FakePlatform display;
  const std::uint32_t listed[][3] = {{1280, 1024, 32}, {800, 600, 32}, {640, 480, 8},
                                     {1366, 768, 32},  {800, 600, 16}, {640, 480, 16},
                                     {800, 600, 16},   {1024, 768, 32}};
  for (const auto& m : listed) {
    tolvex::DevModeA mode{};
    mode.dmPelsWidth = m[0];
    mode.dmPelsHeight = m[1];
    mode.dmBitsPerPel = m[2];
    display.listedModes.push_back(mode);
  }
  FakeSetupWorld world;
  world.files.platform = &display;
  SetupModel model(world);
  model.open("D:\\Shows\\Intro.v2/");
  EXPECT_STREQ("Intro", model.form.name.c_str());
  const std::vector<std::pair<int, std::vector<std::string>>> rows = {
      {1, {"640 x 480 *", "800 x 600 *", "1024 x 768", "1280 x 1024"}},
      {2, {"640 x 480", "800 x 600 *", "1024 x 768 *", "1280 x 1024 *"}},
      {0, {"640 x 480 *", "800 x 600", "1024 x 768", "1280 x 1024"}},
  };
  for (const auto& row : rows) {
    model.form.depth = row.first;
    std::vector<std::string> labels;
    for (int i = 0; i < model.sizeCount; ++i) {
      SizeText label;
      model.sizeLabel(i, label);
      labels.push_back(label.c_str());
    }
    EXPECT_EQ(row.second, labels) << "depth " << kDepths[row.first];
  }
}

const std::string kGame = "16,800,600,1,GAME.EXE";
enum Disk { kFine, kReadOnly, kGone, kFull, kReadOnlyFile, kReadOnlyFile9x };

struct SaveCase {
  int line;
  std::string program, size, name;  // name: <Name>.ini when not empty
  std::map<std::string, std::vector<std::uint8_t>> files;
  Disk disk;  // how writing fails
  std::vector<bool> answers;
  bool ok;
  Field focus;
  std::string messageHas;
  size_t questions;
  std::map<std::string, std::string> after;  // decoded settings files, and "MZ" for copies
};

const std::map<std::string, std::vector<std::uint8_t>> kOld = {
    {"Tolvex.ini", storedSettings("32,640,480")}, {"Tolvex.exe", kExe}};

// clang-format off
const SaveCase kSaveCases[] = {
    {__LINE__, "GAME.EXE", "800 x 600 *", "", {}, kFine, {true}, true, Field::kNone, "", 1,
     {{"Tolvex.ini", "16,800,600,1,GAME.EXE"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "800x600", "", {}, kFine, {false}, true, Field::kNone, "", 1,
     {{"Tolvex.ini", "16,800,600,1,GAME.EXE"}}},
    {__LINE__, "", "1024,768", "", kOld, kFine, {true, true}, true, Field::kNone, "", 2,
     {{"Tolvex.ini", "16,1024,768,1"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "MISSING.EXE", "800 x 600", "", kOld, kFine, {false}, false, Field::kProgram, "", 1,
     {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "MISSING.EXE", "800 x 600", "", {{"PROJ.EXE", kExe}, {"Tolvex.exe", kExe}}, kFine,
     {}, true, Field::kNone, "", 0,
     {{"Tolvex.ini", "16,800,600,1,MISSING.EXE"}, {"PROJ.EXE", "MZ"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "9999999999 x 600", "", {}, kFine, {}, false, Field::kSize,
     "Size 9999999999 x 600: the width is beyond the largest number it reads", 0, {}},
    {__LINE__, std::string(300, 'A'), "800 x 600", "", {}, kFine, {}, false, Field::kProgram,
     "too long", 0, {}},
    {__LINE__, "GAME.EXE", "800 x 600", "", kOld, kFine, {false}, false, Field::kNone, "", 1,
     {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "1000 x 600", "", kOld, kFine, {}, false, Field::kSize,
     "Tolvex would reject the Size 1000 x 600: the width has to be 640, 800, 832, 1024, 1152, "
     "1280 or 1600.", 0, {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "a.ex", "800 x 600", "", {}, kFine, {}, false, Field::kProgram,
     "Tolvex would reject the Program a.ex: a program's name needs more than four characters.", 0,
     {}},
    {__LINE__, "MY WIDTH.EXE", "800 x 600", "", {}, kFine, {}, false, Field::kProgram,
     "Tolvex would reject the Program MY WIDTH.EXE: it reads a name only up to its first blank.",
     0, {}},
    {__LINE__, "GAME.EXE", "eight hundred", "", {}, kFine, {}, false, Field::kSize, "800 x 600",
     0, {}},
    {__LINE__, "GAME.EXE", "800 x 600", "", {}, kReadOnly, {true}, false, Field::kNone,
     "Tolvex.ini could not be saved in this folder: Permission denied.\n\nA read-only folder", 0,
     {}},
    {__LINE__, "GAME.EXE", "800 x 600", "", kOld, kReadOnly, {true}, false, Field::kNone,
     "Permission denied.\n\nA read-only folder, or one on a CD-ROM, cannot take the settings "
     "file. The old Tolvex.ini is kept as it was.", 1,
     {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "800 x 600", "", kOld, kReadOnlyFile, {true}, false, Field::kNone,
     "Tolvex.ini is read-only, as files copied from a CD-ROM are: clear Read-only in its "
     "Properties, then save again. The old Tolvex.ini is kept as it was.", 1,
     {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "800 x 600", "", kOld, kReadOnlyFile9x, {true}, true, Field::kNone,
     "\nThe old Tolvex.ini could not be deleted: its bytes are kept as Tolvex.ini.aside.\n", 1,
     {{"Tolvex.ini", kGame}, {"Tolvex.ini.aside", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "800 x 600", "", {}, kGone, {}, false, Field::kNone,
     "No such file or directory.\n\nThe folder is no longer there: it was removed or renamed, or "
     "its drive is gone. Choose the title's folder again with Browse. Nothing was written.", 0, {}},
    {__LINE__, "GAME.EXE", "640 x 480", "Intro", {}, kFine, {true}, true, Field::kNone, "", 1,
     {{"Intro.ini", "16,640,480,1,GAME.EXE"}, {"Intro.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "640 x 480", "Intro", {{"Intro.exe", kTolvex}}, kFine, {}, true,
     Field::kNone, "", 0, {{"Intro.ini", "16,640,480,1,GAME.EXE"}, {"Intro.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "640 x 480", "Intro",
     {{"Tolvex.ini", storedSettings("32,640,480")}, {"Tolvex.ini.old", storedSettings("8")}}, kFine,
     {true, false}, true, Field::kNone, "", 2,
     {{"Intro.ini", "16,640,480,1,GAME.EXE"}, {"Tolvex.ini.old", "8"},
      {"Tolvex.ini.old2", "32,640,480"}}},
    {__LINE__, "GAME.EXE", "640 x 480", "game", {}, kFine, {}, false, Field::kName,
     "game.exe is the title's program", 0, {}},
    {__LINE__, "GAME.EXE", "640 x 480", "In.tro", {}, kFine, {}, false, Field::kName, "dot", 0,
     {}},
    {__LINE__, "GAME.EXE", "640 x 480", "LAUNCH", {{"LAUNCH.exe", kExe}}, kFine, {}, false,
     Field::kName, "LAUNCH.exe in this folder is another program", 0, {{"LAUNCH.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "1024 x 768" + std::string(60, ' '), "", kOld, kFine, {}, false,
     Field::kSize, "The Size is too long", 0, {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
};
// clang-format on

TEST(SetupSave, WritesWithWritesRulesAndAsksBeforeReplacingOrCopying) {
  for (const SaveCase& c : kSaveCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = c.files;
    world.files.files[FakeSetupWorld::kSetupTolvex] = kTolvex;
    world.files.files["GAME.EXE"] = kExe;
    const char* const failures[] = {nullptr, "Permission denied", "No such file or directory",
                                    "No space left on device"};
    world.files.writeFailure = c.disk <= kFull ? failures[c.disk] : nullptr;
    world.files.readOnly = c.disk == kReadOnlyFile ? "Tolvex.ini" : "";
    world.files.undeletable = c.disk == kReadOnlyFile9x ? "Tolvex.ini.aside" : "";
    world.files.nineX = c.disk == kReadOnlyFile9x;
    world.files.denied = c.disk == kReadOnly;
    world.files.noFolder = c.disk == kGone;
    world.files.noRoom = c.disk == kFull;
    SetupModel model(world);
    model.open(nullptr);
    model.form.program.assign(c.program.c_str());
    model.form.size.assign(c.size.c_str());
    model.form.named = !c.name.empty();
    model.form.name.assign(c.name.c_str());
    model.form.depth = 1;
    model.form.strict = true;
    Answers answers;
    answers.answers = c.answers;
    const Outcome outcome = model.save(answers);
    EXPECT_EQ(c.ok, outcome.ok) << outcome.message.c_str();
    EXPECT_EQ(c.focus, outcome.focus);
    const std::string said = std::string(outcome.message.c_str()) + model.report.c_str();
    EXPECT_NE(std::string::npos, said.find(c.messageHas)) << said;
    EXPECT_EQ(c.questions, answers.asked.size());
    std::map<std::string, std::string> after;
    world.files.files.erase(FakeSetupWorld::kSetupTolvex);
    world.files.files.erase("GAME.EXE");
    for (const auto& file : world.files.files) {
      const bool program = file.second == kExe || file.second == kTolvex;
      after[file.first] = program ? "MZ" : tolvex_commands::decoded(file.second);
    }
    EXPECT_EQ(c.after, after);
    if (c.ok && after.count(c.name + ".exe") != 0) {  // a copy made or found: in the Name list
      EXPECT_EQ(std::vector<std::string>{c.name}, texts(model.names, model.nameCount));
    }
  }
}

// Start the title, Close and Browse after the form was changed (or not) since it was opened.
enum class Press { kStart, kClose, kSave, kBrowse };
struct ChangeCase {
  int line;
  std::string ini, size;  // the file in the folder; the size typed after opening
  Press press;
  Answer choice;
  bool ok;  // the action's outcome, or whether the window may close
  size_t questions, starts;
  std::string after;  // Tolvex.ini, decoded
};

// clang-format off
const ChangeCase kChangeCases[] = {
    {__LINE__, kGame, "800 x 600", Press::kStart, Answer::kCancel, true, 0, 1, kGame},
    {__LINE__, kGame, "800 x 600 *", Press::kStart, Answer::kCancel, true, 0, 1, kGame},
    {__LINE__, kGame, "800 X 600", Press::kClose, Answer::kCancel, true, 0, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kStart, Answer::kCancel, false, 1, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kStart, Answer::kNo, true, 1, 1, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kStart, Answer::kYes, true, 2, 1, "16,1024,768,1,GAME.EXE"},
    {__LINE__, kGame, "800 x 600", Press::kClose, Answer::kCancel, true, 0, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kClose, Answer::kCancel, false, 1, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kClose, Answer::kNo, true, 1, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kClose, Answer::kYes, true, 2, 0, "16,1024,768,1,GAME.EXE"},
    {__LINE__, kGame, "1024 x 768", Press::kBrowse, Answer::kCancel, false, 1, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kBrowse, Answer::kYes, true, 2, 0, "16,1024,768,1,GAME.EXE"},
    {__LINE__, "16,1000,600,1,GAME.EXE", "800 x 600", Press::kSave, Answer::kCancel, true, 1, 0,
     kGame},
};
// clang-format on

TEST(SetupChanges, StartCloseAndBrowseAskAboutUnsavedChanges) {
  for (const ChangeCase& c : kChangeCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = {
        {"Tolvex.ini", storedSettings(c.ini)}, {"GAME.EXE", kExe}, {"Tolvex.exe", kExe}};
    SetupModel model(world);
    model.open(nullptr);
    model.form.size.assign(c.size.c_str());
    Answers answers;
    answers.choice = c.choice;
    answers.answers = {true, true};  // replace the file
    EXPECT_EQ(c.ok, c.press == Press::kClose    ? model.close(answers)
                    : c.press == Press::kBrowse ? model.leaveFolder(answers)
                    : c.press == Press::kStart  ? model.start(answers).ok
                                                : model.save(answers).ok);
    EXPECT_EQ(c.questions, answers.asked.size());
    EXPECT_EQ(c.starts, world.started.size());
    EXPECT_EQ(c.after, tolvex_commands::decoded(world.files.files["Tolvex.ini"]));
  }
}

TEST(SetupButtons, CheckIsChecksTextRestoreSaysWhereTheDisplayWentStartNeedsTolvex) {
  tolvex::FakePlatform display;
  display.switched = true;
  display.currentMode.dmPelsWidth = 640;
  FakeSetupWorld world;
  world.files.platform = &display;
  world.files.files = {{"Tolvex.ini", storedSettings("16,800,600,1,GAME.EXE")}, {"GAME.EXE", kExe}};
  display.files = world.files.files;
  SetupModel model(world);
  model.open(nullptr);
  model.check();
  EXPECT_EQ(0U, std::string(model.report.c_str())
                    .find("Tolvex would switch to 800 x 600 at 16 bits per pixel and start "
                          "GAME.EXE.\nHow Check came to this"))
      << model.report.c_str();
  model.restore();
  EXPECT_STREQ(
      "The display was 640 x 0 at 0 bits per pixel. Asked to go back to its stored mode, 1280 x "
      "1024 at 32 bits per pixel, it answered DISP_CHANGE_SUCCESSFUL; it is now 1280 x 1024 at 32 "
      "bits per pixel.\n",
      model.report.c_str());

  Answers answers;
  EXPECT_FALSE(model.start(answers).ok);
  world.files.files["Tolvex.exe"] = kExe;
  EXPECT_TRUE(model.start(answers).ok);
  EXPECT_EQ(std::vector<std::string>{"Tolvex.exe"}, world.started);
  model.titleEnded();
  EXPECT_NE(std::string::npos,
            std::string(model.report.c_str())
                .find("\nTolvex.exe has ended; the display shows 1280 x 1024 at 32"));
  // A named file beside a Tolvex.ini: check says which one Tolvex reads.
  model.form.named = true;
  model.check();
  EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find("Note: this folder also"));
}

}  // namespace
}  // namespace tolvex_setup
