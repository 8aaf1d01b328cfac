// Titles set up under any name, and the desktop shortcut, on a folder in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/setup/fake_setup_world.h"
#include "tools/tolvex-setup/model/shortcut.h"

namespace tolvex_setup {
namespace {

using tolvex_ini::complemented;
using Files = std::map<std::string, std::vector<std::uint8_t>>;
using Versions = std::map<std::string, std::pair<std::string, std::string>>;
const std::vector<std::uint8_t> kExe = {'M', 'Z'};
const std::pair<std::string, std::string> kTolvex = {"Tolvex", "Tolvex"};

struct NamedCase {
  int line;
  Files files;
  Versions versions;
  std::vector<std::string> programs, names;
  std::string reportHas;
};

// clang-format off
const NamedCase kNamedCases[] = {
    {__LINE__, {{"Intro.exe", kExe}, {"Intro.ini", complemented("8,640,480,1,GAME.EXE")}, {"GAME.EXE", kExe}},
     {{"Intro.exe", kTolvex}}, {"GAME.EXE"}, {"Intro"}, "File:        Intro.ini"},
    {__LINE__, {{"Intro.exe", kExe}, {"Intro.ini", {}}, {"GAME.EXE", kExe}},
     {{"Intro.exe", {"Tolvex", "TolvexSetup"}}}, {"GAME.EXE", "Intro.exe"}, {}, "No Tolvex.ini"},
    {__LINE__, {{"Intro.exe", kExe}, {"Intro.ini", {}}}, {}, {"Intro.exe"}, {}, "No Tolvex.ini"},
    {__LINE__, {{"B.exe", kExe}, {"A.exe", kExe}, {"A.ini", {}}, {"B.ini", {}}, {"Run.exe", kExe},
                {"Tolvex.ini", {}}},
     {{"A.exe", kTolvex}, {"B.exe", kTolvex}, {"Run.exe", kTolvex}}, {}, {"A", "B"},
     "Note: there is a Tolvex.ini here too. Started from this folder, A.exe reads Tolvex.ini"},
};
// clang-format on

TEST(SetupOpen, KnowsRenamedCopiesOfTolvexByTheirVersionRecord) {
  for (const NamedCase& c : kNamedCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeSetupWorld world;
    world.files.files = c.files;
    world.versions = c.versions;
    SetupModel model(world);
    model.open(nullptr);
    std::vector<std::string> programs, names;
    for (int i = 0; i < model.programCount; ++i) {
      programs.push_back(model.programs[i].c_str());
    }
    for (int i = 0; i < model.nameCount; ++i) {
      names.push_back(model.names[i].c_str());
    }
    EXPECT_EQ(c.programs, programs);
    EXPECT_EQ(c.names, names);
    EXPECT_EQ(!c.names.empty(), model.form.named);
    EXPECT_EQ(c.names.empty() ? "Intro" : c.names[0], model.form.name.c_str());
    EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find(c.reportHas))
        << model.report.c_str();
    model.chooseName(static_cast<int>(c.names.size()) - 1);
    EXPECT_EQ(c.names.empty() ? "Intro" : c.names.back(), model.form.name.c_str());
  }
}

TEST(SetupShortcut, StartsTolvexInTheTitleFolderAndAsksBeforeReplacing) {
  FakeSetupWorld world;
  world.files.files = {{"GAME.EXE", kExe}};
  SetupModel model(world);
  model.open(nullptr);
  model.form.program.assign("GAME.EXE");
  model.form.size.assign("640 x 480 *");
  model.form.named = true;
  struct : Questions {
    int asked = 0;
    bool askYesNo(const char*) override { return ++asked > 1; }
  } answers;
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(round != 1, makeShortcut(model, world, answers).ok);
  }
  ASSERT_EQ(2U, world.shortcuts.size());
  const Shortcut& made = world.shortcuts[1];
  EXPECT_STREQ("C:\\Users\\ann\\Desktop\\Intro.lnk", made.file.c_str());
  EXPECT_STREQ("C:\\Games\\Intro\\Intro.exe", made.target.c_str());
  EXPECT_STREQ("C:\\Games\\Intro", made.folder.c_str());
  EXPECT_STREQ("C:\\Games\\Intro\\GAME.EXE", made.icon.c_str());
  EXPECT_STREQ("Starts GAME.EXE at 640 x 480, 16 bits per pixel", made.description.c_str());
  EXPECT_EQ(0U, std::string(model.report.c_str())
                    .find("Made the shortcut C:\\Users\\ann\\Desktop\\Intro.lnk\n"));
}

}  // namespace
}  // namespace tolvex_setup
