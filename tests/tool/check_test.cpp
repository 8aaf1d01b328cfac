// tolvex-ini check: Tolvex's own run on a platform that only asks. Each row scripts the system
// (settings file, display answers, files there) and expects the exit status and the verdict; every
// row also proves that the system was only asked, never changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_platform.h"
#include "tests/tool/fake_tool_io.h"

namespace tolvex_ini {
namespace {

struct CheckCase {
  int line;
  const char* settings;  // nullptr: no settings file
  std::vector<std::int32_t> answers;
  std::vector<std::string> present;
  bool otherCopy;
  int status;
  std::string verdict;
  std::string caption;  // of the message box the verdict shows, if any
};

const std::string kBox = "Tolvex shows this message box and starts nothing";

const CheckCase kCheckCases[] = {
    {__LINE__,
     "16,800,600,1,GAME.EXE",
     {0},
     {"GAME.EXE"},
     false,
     0,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts GAME.EXE",
     ""},
    {__LINE__,
     "16,800,600,1,GAME.EXE",
     {-1, 0},
     {"GAME.EXE"},
     false,
     0,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts GAME.EXE",
     ""},
    {__LINE__,
     "16,1152,864,1,GAME.EXE",
     {-2, -2},
     {"GAME.EXE"},
     false,
     1,
     kBox,
     "Tolvex Error: DISP_CHANGE_BADMODE"},
    {__LINE__,
     "16,1152,864,1,GAME.EXE",
     {-6, -6},
     {"GAME.EXE"},
     false,
     1,
     "Tolvex starts nothing and shows no message",
     ""},
    {__LINE__,
     "16,1152,864,0,GAME.EXE",
     {-2, -2, 0},
     {"GAME.EXE"},
     false,
     1,
     "Tolvex switches to 1152 x 864 at the depth the display gives (not 16 bits per pixel) and "
     "starts GAME.EXE",
     ""},
    {__LINE__,
     "16,1152,864,0,GAME.EXE",
     {-2, -2, -2},
     {"GAME.EXE"},
     false,
     1,
     "Tolvex starts GAME.EXE without switching the display",
     ""},
    {__LINE__,
     "16,800,600,1,GAME.EXE",
     {0},
     {"PROJ.EXE"},
     false,
     0,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts PROJ.EXE in the current folder",
     ""},
    {__LINE__,
     "16,800,600,1,GAME.EXE",
     {0},
     {},
     false,
     1,
     kBox,
     "Tolvex Error: Bad Tolvex.ini parameters"},
    {__LINE__,
     "16,1000,600",
     {},
     {"PROJECTOR.EXE"},
     false,
     1,
     kBox,
     "Tolvex Error: Bad Tolvex.ini parameters"},
    {__LINE__,
     nullptr,
     {0},
     {"PROJECTOR.EXE"},
     false,
     0,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts PROJECTOR.EXE",
     ""},
    {__LINE__,
     "24,640,480",
     {0},
     {"PROJECTOR.EXE"},
     true,
     1,
     "once the running copy has ended, Tolvex switches to 640 x 480 at 32 bits per pixel and "
     "starts PROJECTOR.EXE",
     ""},
};

TEST(Check, TellsWhatTolvexWouldDoAndChangesNothing) {
  for (const CheckCase& c : kCheckCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    tolvex::FakePlatform system;
    system.versionMajor = 10;  // where Tolvex would add a colour layer to its environment
    if (c.settings != nullptr) {
      system.files["Tolvex.ini"] = tolvex::storedSettings(c.settings);
    }
    system.changeResults.assign(c.answers.begin(), c.answers.end());
    for (const std::string& name : c.present) {
      system.files[name] = {};
    }
    FakeToolIo io;
    io.platform = &system;
    io.otherCopyRunning = c.otherCopy;
    EXPECT_EQ(c.status, io.run({"check"})) << io.out;
    EXPECT_EQ("", io.err);
    EXPECT_EQ(c.verdict, reportLine(io.out, "Verdict:")) << io.out;
    EXPECT_EQ(c.caption.empty() ? "<missing>" : c.caption, reportLine(io.out, "Caption:"));
    for (const std::string& call : system.calls) {
      const bool asked = call.rfind("EnumDisplaySettingsA(", 0) == 0 ||
                         call.rfind("ReadFile(", 0) == 0 || call == "GetVersionExA" ||
                         call.rfind("GetEnvironmentVariableA(", 0) == 0 ||
                         (call.rfind("ChangeDisplaySettingsA(", 0) == 0 &&
                          call.compare(call.size() - 4, 4, ", 2)") == 0);
      EXPECT_TRUE(asked) << call;
    }
  }
}

TEST(Check, SettingsFileInPlaceOfTheLookupAndMistakes) {
  tolvex::FakePlatform system;
  system.files["Tolvex.ini"] = tolvex::storedSettings("16,1000,600");
  system.files["other.ini"] = tolvex::storedSettings("8,640,480,1,SHOW.EXE");
  system.files["SHOW.EXE"] = {};
  FakeToolIo io;
  io.files["other.ini"] = system.files["other.ini"];
  io.platform = &system;
  EXPECT_EQ(0, io.run({"check", "other.ini"})) << io.out;
  EXPECT_EQ("other.ini (in place of Tolvex.ini in the current folder): read, 20 bytes",
            reportLine(io.out, "Settings:"));

  EXPECT_EQ(2, io.run({"check", "missing.ini"}));
  EXPECT_EQ("tolvex-ini: cannot read 'missing.ini': No such file or directory\n", io.err);
  EXPECT_EQ(2, io.run({"check", "--tolvex"}));
  EXPECT_EQ(2, io.run({"check", "a.ini", "b.ini"}));

  io.platform = nullptr;  // the Linux build
  for (const char* command : {"check", "modes", "restore"}) {
    EXPECT_EQ(2, io.run({command}));
    EXPECT_EQ(std::string("tolvex-ini: ") + command +
                  " needs Windows: it asks the display of the machine Tolvex runs on; run "
                  "tolvex-ini.exe there\n",
              io.err);
  }
}

}  // namespace
}  // namespace tolvex_ini
