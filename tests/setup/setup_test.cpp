// Tolvex Setup's model on a folder in memory: what it reads from a title folder, the lists it
// offers, and what Save, Check and Start the title do to the folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/fake_platform.h"
#include "tests/setup/fake_setup_world.h"
#include "tests/tool/fake_tool_io.h"
#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {
namespace {

using tolvex_ini::complemented;

// Yes-or-no questions take `answers` in turn (No when they run out); the one question with a
// Cancel takes `choice`.
struct Answers final : Questions {
  std::vector<bool> answers;
  Answer choice = Answer::kCancel;
  std::vector<std::string> asked;
  bool askYesNo(const char* text) override {
    asked.push_back(text);
    return yesNo_ < answers.size() && answers[yesNo_++];
  }
  Answer askYesNoCancel(const char* text) override {
    asked.push_back(text);
    return choice;
  }

 private:
  std::size_t yesNo_ = 0;
};

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
};

// clang-format off
const OpenCase kOpenCases[] = {
    {__LINE__, {{"PROJECTOR.EXE", kExe}, {"game.exe", kExe}, {"Tolvex.exe", kExe},
                {"TOLVEXSETUP.EXE", kExe}, {"tolvex-ini.exe", kExe}, {"readme.txt", {}}},
     {"game.exe", "PROJECTOR.EXE"}, "PROJECTOR.EXE", "800 x 600", 16, true,
     "No Tolvex.ini in this folder", Field::kNone},
    {__LINE__, {{"Tolvex.ini", complemented("24,1024,768,0,GAME.EXE")}, {"GAME.EXE", kExe}},
     {"GAME.EXE"}, "GAME.EXE", "1024 x 768", 24, false,
     "Result:      accepted with an application\n", Field::kNone},
    {__LINE__, {{"Tolvex.ini", complemented("8,1000,480,0,GAME.EXE")}, {"PROJECTOR.EXE", kExe}},
     {"PROJECTOR.EXE"}, "GAME.EXE", "1000 x 480", 8, false,
     "             | The width value has to be one of\n", Field::kSize},
    {__LINE__, {{"Tolvex.ini", complemented("12,640")}}, {}, "", "640 x 600", 16, true,
     "The depth value", Field::kDepth},
    {__LINE__, {{"Tolvex.ini", {'1', '6', ',', '6', '4', '0'}}, {"SHOW.EXE", kExe}},
     {"SHOW.EXE"}, "", "800 x 600", 16, true, "Hint:        the file looks like plain text",
     Field::kNone},
};
// clang-format on

TEST(SetupOpen, ReadsTheFolderAsShowDoes) {
  for (const OpenCase& c : kOpenCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = c.files;
    SetupModel model(world);
    const Outcome opened = model.open(nullptr);
    EXPECT_TRUE(opened.ok);
    EXPECT_EQ(c.focus, opened.focus);
    EXPECT_FALSE(model.unsavedChanges());
    std::vector<std::string> programs;
    for (int i = 0; i < model.programCount; ++i) {
      programs.push_back(model.programs[i].c_str());
    }
    EXPECT_EQ(c.programs, programs);
    EXPECT_EQ(c.program, model.form.program.c_str());
    EXPECT_EQ(c.size, model.form.size.c_str());
    EXPECT_EQ(c.depth, kDepths[model.form.depth]);
    EXPECT_EQ(c.strict, model.form.strict);
    EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find(c.reportHas))
        << model.report.c_str();
    EXPECT_STREQ("Intro", model.form.name.c_str());
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
  model.open("D:\\Shows\\Intro.v2");
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

struct SaveCase {
  int line;
  std::string program, size, name;  // name: <Name>.ini when not empty
  std::map<std::string, std::vector<std::uint8_t>> files;
  bool readOnly;
  std::vector<bool> answers;
  bool ok;
  Field focus;
  std::string messageHas;
  size_t questions;
  std::map<std::string, std::string> after;  // decoded settings files, and "MZ" for copies
};

const std::map<std::string, std::vector<std::uint8_t>> kOld = {
    {"Tolvex.ini", complemented("32,640,480")}, {"Tolvex.exe", kExe}};

// clang-format off
const SaveCase kSaveCases[] = {
    {__LINE__, "GAME.EXE", "800 x 600 *", "", {}, false, {true}, true, Field::kNone, "", 1,
     {{"Tolvex.ini", "16,800,600,1,GAME.EXE"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "800x600", "", {}, false, {false}, true, Field::kNone, "", 1,
     {{"Tolvex.ini", "16,800,600,1,GAME.EXE"}}},
    {__LINE__, "", "1024,768", "", kOld, false, {true, true}, true, Field::kNone, "", 2,
     {{"Tolvex.ini", "16,1024,768,1"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "MISSING.EXE", "800 x 600", "", kOld, false, {false}, false, Field::kProgram, "", 1,
     {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "MISSING.EXE", "800 x 600", "", {{"PROJ.EXE", kExe}, {"Tolvex.exe", kExe}}, false,
     {}, true, Field::kNone, "", 0,
     {{"Tolvex.ini", "16,800,600,1,MISSING.EXE"}, {"PROJ.EXE", "MZ"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "9999999999 x 600", "", {}, false, {}, false, Field::kSize, "800 x 600",
     0, {}},
    {__LINE__, std::string(300, 'A'), "800 x 600", "", {}, false, {}, false, Field::kProgram,
     "too long", 0, {}},
    {__LINE__, "GAME.EXE", "800 x 600", "", kOld, false, {false}, false, Field::kNone, "", 1,
     {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "1000 x 600", "", kOld, false, {}, false, Field::kSize,
     "Tolvex would reject WIDTH 1000, saying:\n  The width value has to be one of\n", 0,
     {{"Tolvex.ini", "32,640,480"}, {"Tolvex.exe", "MZ"}}},
    {__LINE__, "a.ex", "800 x 600", "", {}, false, {}, false, Field::kProgram,
     "The application name need to be more than four chars long", 0, {}},
    {__LINE__, "my game.exe", "800 x 600", "", {}, false, {}, false, Field::kProgram,
     "contains a blank", 0, {}},
    {__LINE__, "GAME.EXE", "eight hundred", "", {}, false, {}, false, Field::kSize, "800 x 600",
     0, {}},
    {__LINE__, "GAME.EXE", "800 x 600", "", {}, true, {true}, false, Field::kNone,
     "cannot write 'Tolvex.ini': Permission denied\n\nA read-only folder", 0, {}},
    {__LINE__, "GAME.EXE", "640 x 480", "Intro", {}, false, {true}, true, Field::kNone, "", 1,
     {{"Intro.ini", "16,640,480,1,GAME.EXE"}, {"Intro.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "640 x 480", "Intro", {{"Intro.exe", kExe}}, false, {}, true,
     Field::kNone, "", 0, {{"Intro.ini", "16,640,480,1,GAME.EXE"}, {"Intro.exe", "MZ"}}},
    {__LINE__, "GAME.EXE", "640 x 480", "Intro",
     {{"Tolvex.ini", complemented("32,640,480")}, {"Tolvex.ini.old", complemented("8")}}, false,
     {true, false}, true, Field::kNone, "", 2,
     {{"Intro.ini", "16,640,480,1,GAME.EXE"}, {"Tolvex.ini.old", "8"},
      {"Tolvex.ini.old2", "32,640,480"}}},
    {__LINE__, "GAME.EXE", "640 x 480", "game", {}, false, {}, false, Field::kName,
     "game.exe is the title's program", 0, {}},
    {__LINE__, "GAME.EXE", "640 x 480", "In.tro", {}, false, {}, false, Field::kName, "dot", 0,
     {}},
};
// clang-format on

TEST(SetupSave, WritesWithWritesRulesAndAsksBeforeReplacingOrCopying) {
  for (const SaveCase& c : kSaveCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = c.files;
    world.files.files[FakeSetupWorld::kSetupTolvex] = kExe;
    world.files.files["GAME.EXE"] = kExe;
    world.files.writeFailure = c.readOnly ? "Permission denied" : nullptr;
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
    EXPECT_NE(std::string::npos, std::string(outcome.message.c_str()).find(c.messageHas))
        << outcome.message.c_str();
    EXPECT_EQ(c.questions, answers.asked.size());
    std::map<std::string, std::string> after;
    world.files.files.erase(FakeSetupWorld::kSetupTolvex);
    world.files.files.erase("GAME.EXE");
    for (const auto& file : world.files.files) {
      after[file.first] = file.second == kExe ? "MZ" : tolvex_ini::decoded(file.second);
    }
    EXPECT_EQ(c.after, after);
  }
}

// Start the title and Close after the form was changed (or not) since it was opened.
enum class Press { kStart, kClose, kSave };
struct ChangeCase {
  int line;
  std::string ini, size;  // the file in the folder; the size typed after opening ("": none)
  Press press;
  Answer choice;
  bool ok;  // the action's outcome, or whether the window may close
  size_t questions, starts;
  std::string after;  // Tolvex.ini, decoded
};

const std::string kGame = "16,800,600,1,GAME.EXE";

// clang-format off
const ChangeCase kChangeCases[] = {
    {__LINE__, kGame, "", Press::kStart, Answer::kCancel, true, 0, 1, kGame},
    {__LINE__, kGame, "800 x 600 *", Press::kStart, Answer::kCancel, true, 0, 1, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kStart, Answer::kCancel, false, 1, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kStart, Answer::kNo, true, 1, 1, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kStart, Answer::kYes, true, 2, 1, "16,1024,768,1,GAME.EXE"},
    {__LINE__, kGame, "", Press::kClose, Answer::kCancel, true, 0, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kClose, Answer::kCancel, false, 1, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kClose, Answer::kNo, true, 1, 0, kGame},
    {__LINE__, kGame, "1024 x 768", Press::kClose, Answer::kYes, true, 2, 0, "16,1024,768,1,GAME.EXE"},
    {__LINE__, "16,1000,600,1,GAME.EXE", "800 x 600", Press::kSave, Answer::kCancel, true, 1, 0,
     kGame},
};
// clang-format on

TEST(SetupChanges, StartAndCloseAskAboutUnsavedChanges) {
  for (const ChangeCase& c : kChangeCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = {
        {"Tolvex.ini", complemented(c.ini)}, {"GAME.EXE", kExe}, {"Tolvex.exe", kExe}};
    SetupModel model(world);
    model.open(nullptr);
    if (!c.size.empty()) {
      model.form.size.assign(c.size.c_str());
    }
    Answers answers;
    answers.choice = c.choice;
    answers.answers = {true};  // replace the file
    bool ok = false;
    if (c.press == Press::kClose) {
      ok = model.close(answers);
    } else {
      ok = (c.press == Press::kStart ? model.start(answers) : model.save(answers)).ok;
    }
    EXPECT_EQ(c.ok, ok);
    EXPECT_EQ(c.questions, answers.asked.size());
    EXPECT_EQ(c.starts, world.started.size());
    EXPECT_EQ(c.after, tolvex_ini::decoded(world.files.files["Tolvex.ini"]));
  }
}

TEST(SetupButtons, CheckIsChecksTextAndStartNeedsTolvex) {
  tolvex::FakePlatform display;
  FakeSetupWorld world;
  world.files.platform = &display;
  world.files.files = {{"Tolvex.ini", complemented("16,800,600,1,GAME.EXE")}, {"GAME.EXE", kExe}};
  SetupModel model(world);
  model.open(nullptr);
  model.check();
  world.files.run({"check"});
  const auto lines = [](std::string text) {
    std::vector<std::string> sorted;
    for (std::size_t end; (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1)) {
      sorted.push_back(text.substr(0, end));
    }
    std::sort(sorted.begin(), sorted.end());
    return sorted;
  };
  EXPECT_EQ(lines(world.files.out), lines(model.report.c_str()));
  EXPECT_EQ(0U, std::string(model.report.c_str()).find("Verdict:"));

  Answers answers;
  EXPECT_FALSE(model.start(answers).ok);
  world.files.files["Tolvex.exe"] = kExe;
  EXPECT_TRUE(model.start(answers).ok);
  EXPECT_EQ(std::vector<std::string>{"Tolvex.exe"}, world.started);
  display.switched = false;
  display.storedMode.dmPelsWidth = 1024;
  display.storedMode.dmPelsHeight = 768;
  display.storedMode.dmBitsPerPel = 32;
  model.titleEnded();
  EXPECT_EQ(
      "Started Tolvex.exe in C:\\Games\\Intro.\nTolvex.exe has ended; the display is at 1024 "
      "x 768, 32 bits per pixel.\n",
      std::string(model.report.c_str()));

  // A named file beside a Tolvex.ini: check says which one Tolvex reads.
  model.form.named = true;
  model.check();
  EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find("Note: this folder also"));
}

}  // namespace
}  // namespace tolvex_setup
