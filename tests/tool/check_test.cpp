// tolvex-ini check: Tolvex's own run on a platform that only asks. Each row scripts the system
// (settings file, display answers, files there) and expects the exit status and the verdict; every
// row also proves that the system was only asked, never changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_context.h"
#include "tests/fake_platform.h"
#include "tests/tool/fake_tool_io.h"
#include "tools/commands/check_command.h"

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
  // The switch back; empty: to the fake's stored mode, storing it again when the storing attempt
  // took the request (answered 0 or 1).
  std::string back = "";
  RunSequence run = &tolvex::runTolvex;
  std::string layers = "";  // what the title would inherit in __COMPAT_LAYER; empty: none set
};

// Tolvex's run with one display call more: after the request is taken, a second switch (to
// 640 x 480) before the launch. The report must follow the run, not the count of calls.
int runWithOneMoreSwitch(tolvex::Platform& platform, const char* argument0,
                         tolvex::RunObserver* observer) {
  tolvex::RunContext run(platform, argument0, observer);
  if (run.readSettings(run.settingsPath.c_str()) >= 0 &&
      run.switchMode(run.depth, run.width, run.height) == 0 && run.switchMode(16, 640, 480) == 0 &&
      run.launchApp(run.appPath.c_str()) > 0) {
    run.waitForApp();
  }
  run.restoreMode();
  return 0;
}

const std::string kBox = "Tolvex shows this message box and starts nothing";

// clang-format off
const CheckCase kCheckCases[] = {
    {__LINE__, "16,800,600,1,GAME.EXE", {0}, {"GAME.EXE"}, false, 0,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts GAME.EXE", "", "",
     &tolvex::runTolvex, "16BITCOLOR"},
    {__LINE__, "16,800,600,1,GAME.EXE", {-1, 0}, {"GAME.EXE"}, false, 0,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts GAME.EXE", "", "",
     &tolvex::runTolvex, "16BITCOLOR"},
    {__LINE__, "16,1152,864,1,GAME.EXE", {-2, -2}, {"GAME.EXE"}, false, 1, kBox,
     "Tolvex Error: DISP_CHANGE_BADMODE"},
    {__LINE__, "16,1152,864,1,GAME.EXE", {-6, -6}, {"GAME.EXE"}, false, 1,
     "Tolvex starts nothing and shows no message", ""},
    {__LINE__, "16,1152,864,0,GAME.EXE", {-2, -2, 0}, {"GAME.EXE"}, false, 1,
     "Tolvex switches to 1152 x 864 at the depth the display gives (not 16 bits per pixel) and "
     "starts GAME.EXE", ""},
    {__LINE__, "16,1152,864,0,GAME.EXE", {-2, -2, -2}, {"GAME.EXE"}, false, 1,
     "Tolvex starts GAME.EXE without switching the display", ""},
    {__LINE__, "16,800,600,1,GAME.EXE", {0}, {"PROJ.EXE"}, false, 0,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts PROJ.EXE in the current folder",
     "", "", &tolvex::runTolvex, "16BITCOLOR"},
    {__LINE__, "16,800,600,1,GAME.EXE", {0}, {}, false, 1, kBox,
     "Tolvex Error: Bad Tolvex.ini parameters", "", &tolvex::runTolvex, "16BITCOLOR"},
    {__LINE__, "16,1000,600", {}, {"PROJECTOR.EXE"}, false, 1, kBox,
     "Tolvex Error: Bad Tolvex.ini parameters"},
    {__LINE__, nullptr, {0}, {"PROJECTOR.EXE"}, false, 0,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts PROJECTOR.EXE", "", "",
     &tolvex::runTolvex, "16BITCOLOR"},
    {__LINE__, "24,640,480", {0}, {"PROJECTOR.EXE"}, true, 1,
     "once the running copy has ended, Tolvex switches to 640 x 480 at 32 bits per pixel and "
     "starts PROJECTOR.EXE", ""},
    {__LINE__, "16,800,600,1,GAME.EXE", {0, 0, 0}, {"GAME.EXE"}, false, 0,
     "Tolvex switches to 640 x 480 at 16 bits per pixel and starts GAME.EXE", "", "",
     &runWithOneMoreSwitch},
};
// clang-format on

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
    const char* const argv[] = {"check"};
    EXPECT_EQ(c.status, runCheckWith(c.run, 0, argv + 1, io)) << io.out;
    EXPECT_EQ("", io.err);
    EXPECT_EQ(c.verdict, reportLine(io.out, "Verdict:")) << io.out;
    EXPECT_EQ(c.caption.empty() ? "<missing>" : c.caption, reportLine(io.out, "Caption:"));
    EXPECT_EQ(c.layers.empty() ? "<missing>" : "the title starts with __COMPAT_LAYER=" + c.layers,
              reportLine(io.out, "Colour layer:"));
    const bool storedAgain =
        c.answers.size() > 1 && c.answers[0] != 0 && (c.answers[1] == 0 || c.answers[1] == 1);
    const std::string back = std::string("to the stored mode, 1280 x 1024 at 32 bits per pixel") +
                             (storedAgain ? ", storing it again for all users" : "") +
                             ": DISP_CHANGE_SUCCESSFUL";
    EXPECT_EQ(c.back.empty() ? back : c.back, reportLine(io.out, "Switch back:")) << io.out;
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

tolvex::DevModeA mode(std::uint32_t width, std::uint32_t height, std::uint32_t depth,
                      std::uint32_t rate) {
  tolvex::DevModeA m{};
  m.dmPelsWidth = width;
  m.dmPelsHeight = height;
  m.dmBitsPerPel = depth;
  m.dmDisplayFrequency = rate;
  return m;
}

// modes and restore on a display now at 800 x 600 and stored at 1280 x 1024 (the fake's), which
// lists its modes unsorted and one of them twice.
struct DisplayCommandCase {
  int line;
  const char* command;
  bool displayAnswers;
  std::int32_t answer;  // of the switch back
  int status;
  std::vector<std::string> lines;  // whole lines of the report
};

const DisplayCommandCase kDisplayCommandCases[] = {
    {__LINE__,
     "modes",
     true,
     0,
     0,
     {"Now:         800 x 600, 32 bits per pixel, 60 Hz",
      "Modes:       6, by size; * marks the widths a Tolvex settings file can ask for",
      "  *   640 x 480   8 bits: default",
      "  *   800 x 600   16 bits: 60 Hz; 32 bits: 60, 75 Hz  <- now",
      "  *  1280 x 1024  32 bits: 60 Hz  <- stored", "     1366 x 768   32 bits: 60 Hz"}},
    {__LINE__,
     "modes",
     false,
     0,
     0,
     {"Now:         unknown: the display does not say",
      "Stored:      unknown: the display does not say",
      "Modes:       0, by size; * marks the widths a Tolvex settings file can ask for"}},
    {__LINE__,
     "restore",
     true,
     0,
     0,
     {"Stored mode: 1280 x 1024, 32 bits per pixel, 60 Hz",
      "Before:      800 x 600, 32 bits per pixel, 60 Hz", "Restore:     DISP_CHANGE_SUCCESSFUL",
      "After:       1280 x 1024, 32 bits per pixel, 60 Hz",
      "             the display is back in the stored mode: 1280 x 1024, 32 bits per pixel, 60 "
      "Hz"}},
    {__LINE__,
     "restore",
     true,
     -1,
     1,
     {"Restore:     DISP_CHANGE_FAILED", "After:       800 x 600, 32 bits per pixel, 60 Hz"}},
};

TEST(DisplayCommands, ListTheModesAndSwitchBackOnlyWhenAsked) {
  for (const DisplayCommandCase& c : kDisplayCommandCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    tolvex::FakePlatform system;
    system.enumSucceeds = c.displayAnswers;
    system.switched = true;
    system.currentMode = mode(800, 600, 32, 60);
    system.listedModes = {mode(1366, 768, 32, 60), mode(800, 600, 32, 75), mode(800, 600, 16, 60),
                          mode(640, 480, 8, 0),    mode(800, 600, 32, 60), mode(1280, 1024, 32, 60),
                          mode(800, 600, 16, 60)};
    system.changeResults = {c.answer};
    FakeToolIo io;
    io.platform = &system;
    EXPECT_EQ(c.status, io.run({c.command})) << io.out;
    EXPECT_EQ("", io.err);
    for (const std::string& line : c.lines) {
      EXPECT_NE(std::string::npos, ("\n" + io.out).find("\n" + line + "\n")) << line << "\n"
                                                                             << io.out;
    }
    const bool restore = std::string(c.command) == "restore";
    EXPECT_EQ(restore ? std::vector<std::string>{"ChangeDisplaySettingsA(null, 0)"}
                      : std::vector<std::string>{},
              system.callsStartingWith("ChangeDisplaySettingsA"));
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
