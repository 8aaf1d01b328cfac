#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/run_context.h"
#include "tests/fake_platform.h"

namespace tolvex {
namespace {

using Calls = std::vector<std::string>;

const std::string kProgram = "D:\\Shows\\Intro.exe";
const std::string kCaption = "Tolvex Error: Bad Tolvex.ini parameters";

std::string mutexCall() {
  return "CreateMutexA(length=" + std::to_string(sizeof(SecurityAttributes)) +
         " descriptor=null inherit=0, owner=1, TOLVEX)";
}
std::string launchCall(const std::string& name) {
  return "CreateProcessA(" + name +
         ", inherit=1, flags=0x20, cb=" + std::to_string(sizeof(StartupInfoA)) + ")";
}

// Everything up to and including the settings stage for kProgram, with no settings file.
Calls startOfRun() {
  return {"EnumDisplaySettingsA(-2)",
          "EnumDisplaySettingsA(-2)",
          "IsDBCSLeadByte(0x80-0xFF)",
          mutexCall(),
          "GetLastError",
          "GetConsoleTitleA(1024)",
          "GetTickCount",
          "GetCurrentProcessId",
          "SetConsoleTitleA(123456/4242)",
          "Sleep(40)",
          "FindWindowA(null, 123456/4242)",
          "SetConsoleTitleA(C:\\Windows\\system32\\cmd.exe)",
          "GetConsoleWindow",
          "ShowWindow(console, 0)",
          "ReadFile(Tolvex.ini, 999)",
          "ReadFile(D:\\Shows\\Intro.ini, 999)"};
}

const char kSwitchDefault[] = "ChangeDisplaySettingsA(fields=0x1C0000 bpp=16 800x600, 4)";
const char kStoreDefault[] = "ChangeDisplaySettingsA(fields=0x1C0000 bpp=16 800x600, 9)";
const char kRestore[] = "ChangeDisplaySettingsA(fields=0x5C0000 bpp=32 1280x1024, 0)";
const char kRestoreAndStore[] = "ChangeDisplaySettingsA(fields=0x5C0000 bpp=32 1280x1024, 9)";

Calls concat(Calls head, const Calls& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

void expectCalls(int line, const FakePlatform& platform, const Calls& expected) {
  SCOPED_TRACE(testing::Message() << "expected at line " << line);
  EXPECT_EQ(expected, platform.calls);
}

TEST(RunSequence, SecondCopyEndsRightAfterTheGuard) {
  FakePlatform platform;
  platform.lastError = kErrorAlreadyExists;
  platform.startable = {"D:\\Shows\\PROJECTOR.EXE"};
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  expectCalls(__LINE__, platform,
              {"EnumDisplaySettingsA(-2)", "EnumDisplaySettingsA(-2)", "IsDBCSLeadByte(0x80-0xFF)",
               mutexCall(), "GetLastError"});
  EXPECT_TRUE(platform.boxes.empty());
}

TEST(RunSequence, OtherGuardErrorsLetTheRunGoOn) {
  FakePlatform platform;
  platform.lastError = 5;  // access denied: not "already exists"
  platform.startable = {"D:\\Shows\\PROJECTOR.EXE"};
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  EXPECT_EQ(1u, platform.callsStartingWith("CreateProcessA").size());
}

TEST(RunSequence, LaunchesTheApplicationBesideTolvexAndWaits) {
  FakePlatform platform;
  platform.startable = {"D:\\Shows\\PROJECTOR.EXE", "PROJ.EXE"};
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  expectCalls(
      __LINE__, platform,
      concat(startOfRun(), {kSwitchDefault, "GetVersionExA", launchCall("D:\\Shows\\PROJECTOR.EXE"),
                            "WaitForSingleObject(process1, INFINITE)", "CloseHandle(process1)",
                            kRestore, "GetConsoleProcessList"}));
  EXPECT_TRUE(platform.boxes.empty());
}

TEST(RunSequence, FallsBackToProjExeInTheCurrentFolderSilently) {
  FakePlatform platform;
  platform.startable = {"PROJ.EXE"};
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  expectCalls(
      __LINE__, platform,
      concat(startOfRun(), {kSwitchDefault, "GetVersionExA", launchCall("D:\\Shows\\PROJECTOR.EXE"),
                            launchCall("PROJ.EXE"), "WaitForSingleObject(process1, INFINITE)",
                            "CloseHandle(process1)", kRestore, "GetConsoleProcessList"}));
  EXPECT_TRUE(platform.boxes.empty());
}

TEST(RunSequence, NeitherApplicationStartsTellsTheUserAndRestores) {
  FakePlatform platform;
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  expectCalls(
      __LINE__, platform,
      concat(startOfRun(), {kSwitchDefault, "GetVersionExA", launchCall("D:\\Shows\\PROJECTOR.EXE"),
                            launchCall("PROJ.EXE"), "MessageBoxA(null, " + kCaption + ", 0)",
                            kRestore, "GetConsoleProcessList"}));
  ASSERT_EQ(1u, platform.boxes.size());
  EXPECT_EQ(kCaption, platform.boxes[0].caption);
  EXPECT_EQ(
      "Tolvex failed to launch 'D:\\Shows\\PROJECTOR.EXE' or 'proj.exe'\r\r"
      "Either the application is in the wrong place or its name is wrong.",
      platform.boxes[0].text);
}

TEST(RunSequence, LaunchFailureMessageNamesTheApplicationFromTheSettings) {
  FakePlatform platform;
  platform.files["Tolvex.ini"] = storedSettings("16,800,600,1,show.exe");
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  ASSERT_EQ(1u, platform.boxes.size());
  EXPECT_EQ(
      "Tolvex failed to launch 'D:\\Shows\\show.exe' or 'proj.exe'\r\r"
      "Either the application is in the wrong place or its name is wrong.",
      platform.boxes[0].text)
      << "the settings summary must not head the launch message";
}

TEST(RunSequence, RejectedSettingsSkipSwitchAndLaunchButRestore) {
  FakePlatform platform;
  platform.startable = {"D:\\Shows\\PROJECTOR.EXE", "PROJ.EXE"};
  platform.files["Tolvex.ini"] = storedSettings("16,1000,600");
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  Calls expected = startOfRun();
  expected.pop_back();  // the first name opened, so the second is never tried
  expectCalls(__LINE__, platform,
              concat(expected, {"MessageBoxA(null, " + kCaption + ", 0)", kRestore,
                                "GetConsoleProcessList"}));
}

TEST(RunSequence, FolderNoAnsiPathReachesIsNamedAndNothingIsReadSwitchedOrStarted) {
  FakePlatform platform;
  platform.startable = {"PROJECTOR.EXE", "PROJ.EXE", "L\\PROJECTOR.EXE"};
  platform.files["Tolvex.ini"] = storedSettings("16,800,600");
  EXPECT_EQ(0, runTolvex(platform, "L\\Intro.exe", nullptr, "Ł\\Intro.exe"));
  Calls expected = startOfRun();
  expected.resize(expected.size() - 2);  // no settings file is read
  expected.insert(expected.begin() + 3,
                  {"WideCharToMultiByte(Ł\\Intro.exe)", "GetShortPathNameW(Ł\\Intro.exe)"});
  expectCalls(__LINE__, platform,
              concat(expected, {"MessageBoxW(null, Tolvex Error: Bad folder name, 0)", kRestore,
                                "GetConsoleProcessList"}));
  ASSERT_EQ(1u, platform.boxes.size());
  EXPECT_EQ(
      "Tolvex cannot run from 'Ł\\'\r\rIts name has characters that this Windows cannot pass to "
      "the title. Rename the folder, or move the title to a folder whose name has none of them.",
      platform.boxes[0].text);
}

TEST(RunSequence, RefusedStrictSwitchSkipsTheLaunchAndPutsTheStoredModeBack) {
  FakePlatform platform;
  platform.startable = {"D:\\Shows\\PROJECTOR.EXE"};
  platform.changeResults = {-2, -2};
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  expectCalls(__LINE__, platform,
              concat(startOfRun(), {kSwitchDefault, kStoreDefault,
                                    "MessageBoxA(null, Tolvex Error: DISP_CHANGE_BADMODE, 0)",
                                    kRestore, "GetConsoleProcessList"}));
  ASSERT_EQ(1u, platform.boxes.size());
  EXPECT_EQ("The graphics mode requested is not supported.", platform.boxes[0].text)
      << "no settings file: the explanation stands alone";
}

TEST(RunSequence, RefusedLenientSwitchStillLaunches) {
  FakePlatform platform;
  platform.startable = {"D:\\Shows\\PROJECTOR.EXE"};
  platform.files["D:\\Shows\\Intro.ini"] = storedSettings("16 800 600 0");
  platform.changeResults = {-2, -2, -2};
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  EXPECT_EQ(1u, platform.callsStartingWith("CreateProcessA").size());
  EXPECT_EQ(1u, platform.callsStartingWith("WaitForSingleObject").size());
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(kRestore, platform.calls[platform.calls.size() - 2]);
}

TEST(RunSequence, StrictCodeWithoutMessageSkipsLaunchSilently) {
  FakePlatform platform;
  platform.startable = {"D:\\Shows\\PROJECTOR.EXE"};
  platform.changeResults = {-6, -6};
  EXPECT_EQ(0, runTolvex(platform, kProgram.c_str()));
  EXPECT_TRUE(platform.callsStartingWith("CreateProcessA").empty());
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(1u, platform.callsStartingWith(kRestore).size());
}

TEST(RunSequence, ApplicationPathThatDidNotFitIsNeverStarted) {
  FakePlatform platform;
  const std::string argument0 = "C:\\" + std::string(1100, 'd') + "\\Intro.exe";
  platform.startable = {"PROJ.EXE"};
  EXPECT_EQ(0, runTolvex(platform, argument0.c_str()));
  const Calls launches = platform.callsStartingWith("CreateProcessA");
  ASSERT_EQ(1u, launches.size());
  EXPECT_EQ(launchCall("PROJ.EXE"), launches[0]);
  // The second settings name could not be made either, so it was never looked for.
  EXPECT_EQ((Calls{"ReadFile(Tolvex.ini, 999)"}), platform.callsStartingWith("ReadFile"));
}

// The display through the run: the switch, on Windows 8 and later the colour layer that a switch
// to 8 or 16 bits per pixel leaves in __COMPAT_LAYER for the application, and the way back,
// which stores the saved mode again only when the run stored the request.
struct ColourLayerCase {
  int line;
  const char* settings;  // nullptr: none, so 16,800,600 strict
  std::deque<std::int32_t> answers;
  std::uint32_t major, minor;
  const char* before;  // __COMPAT_LAYER when Tolvex starts; nullptr: not set
  Calls calls;         // from the switch to the launch or the message box
  Calls back = {kRestore};
};

std::string change(const std::string& request, int flags, const char* fields = "0x1C0000") {
  return "ChangeDisplaySettingsA(fields=" + std::string(fields) + " bpp=" + request + ", " +
         std::to_string(flags) + ")";
}
std::string setLayer(const std::string& value) {
  return "SetEnvironmentVariableA(__COMPAT_LAYER, " + value + ")";
}
const std::string kVer = "GetVersionExA";
const std::string kGet = "GetEnvironmentVariableA(__COMPAT_LAYER, 1024)";
const std::string kRun = launchCall("D:\\Shows\\PROJECTOR.EXE");
const std::string k16 = "16 800x600";
const std::string k8 = "8 640x480";
// With " 16BITCOLOR" and the terminating zero: 1,024 bytes, the most that fits, and one more.
const std::string kLongest(1012, 'x');
const std::string kTooLong(1013, 'x');
const std::string kUnreadable(2000, 'x');

// clang-format off
const ColourLayerCase kColourLayerCases[] = {
    {__LINE__, nullptr, {}, 6, 1, nullptr, {change(k16, 4), kVer, kRun}},
    {__LINE__, nullptr, {}, 6, 2, nullptr,
     {change(k16, 4), kVer, kGet, setLayer("16BITCOLOR"), kRun}},
    {__LINE__, "8,640,480", {}, 10, 0, nullptr,
     {change(k8, 4), kVer, kGet, setLayer("256COLOR"), kRun}},
    {__LINE__, "24,640,480", {}, 10, 0, nullptr, {change("32 640x480", 4), kRun}},
    {__LINE__, "32,640,480", {}, 10, 0, nullptr, {change("32 640x480", 4), kRun}},
    {__LINE__, "8,640,480", {-1, 0}, 10, 0, " RunAsInvoker \t HighDpiAware ",
     {change(k8, 4), change(k8, 9), kVer, kGet, setLayer("RunAsInvoker HighDpiAware 256COLOR"),
      kRun}, {kRestoreAndStore}},
    {__LINE__, nullptr, {}, 10, 0, "16bitcolor RunAsInvoker", {change(k16, 4), kVer, kGet, kRun}},
    {__LINE__, nullptr, {}, 10, 0, kLongest.c_str(),
     {change(k16, 4), kVer, kGet, setLayer(kLongest + " 16BITCOLOR"), kRun}},
    {__LINE__, nullptr, {}, 10, 0, kTooLong.c_str(), {change(k16, 4), kVer, kGet, kRun}},
    {__LINE__, nullptr, {}, 10, 0, kUnreadable.c_str(), {change(k16, 4), kVer, kGet, kRun}},
    {__LINE__, nullptr, {-2, -2}, 10, 0, nullptr,
     {change(k16, 4), change(k16, 9), "MessageBoxA(null, Tolvex Error: DISP_CHANGE_BADMODE, 0)"}},
    {__LINE__, "16,800,600,0", {-2, -2}, 10, 0, nullptr,
     {change(k16, 4), change(k16, 9), change(k16, 4, "0x180000"), kRun}, {kRestore}},
    {__LINE__, nullptr, {-2, -3}, 6, 1, nullptr,
     {change(k16, 4), change(k16, 9), "MessageBoxA(null, Tolvex Error: DISP_CHANGE_NOTUPDATED, 0)"},
     {kRestore}},
    {__LINE__, nullptr, {-1, 0, -3}, 6, 1, nullptr, {change(k16, 4), change(k16, 9), kVer, kRun},
     {kRestoreAndStore, kRestore}},
    {__LINE__, nullptr, {-1, 1}, 6, 1, nullptr,
     {change(k16, 4), change(k16, 9), "MessageBoxA(null, Tolvex Error: DISP_CHANGE_RESTART, 0)"},
     {kRestoreAndStore}},
};
// clang-format on

TEST(RunSequence, ColourLayerForTheApplicationOnWindows8AndLater) {
  for (const ColourLayerCase& c : kColourLayerCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakePlatform platform;
    platform.startable = {"D:\\Shows\\PROJECTOR.EXE"};
    if (c.settings != nullptr) {
      platform.files["Tolvex.ini"] = storedSettings(c.settings);
    }
    platform.changeResults = c.answers;
    platform.versionMajor = c.major;
    platform.versionMinor = c.minor;
    if (c.before != nullptr) {
      platform.environment["__COMPAT_LAYER"] = c.before;
    }
    runTolvex(platform, kProgram.c_str());
    auto from = platform.calls.begin();
    while (from != platform.calls.end() && from->rfind("ChangeDisplaySettingsA", 0) != 0) {
      ++from;
    }
    auto to = from;
    while (to != platform.calls.end() && to->rfind("CreateProcessA", 0) != 0 &&
           to->rfind("MessageBoxA", 0) != 0) {
      ++to;
    }
    EXPECT_EQ(c.calls, Calls(from, to == platform.calls.end() ? to : to + 1));
    EXPECT_EQ(c.back, platform.callsStartingWith("ChangeDisplaySettingsA(fields=0x5C0000"));
  }
}

}  // namespace
}  // namespace tolvex
