#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_context.h"
#include "tests/fake_platform.h"

namespace tolvex {
namespace {

using Calls = std::vector<std::string>;

Calls findCalls(const std::string& unique, const std::string& restored) {
  return {"GetConsoleTitleA(1024)",
          "GetTickCount",
          "GetCurrentProcessId",
          "SetConsoleTitleA(" + unique + ")",
          "Sleep(40)",
          "FindWindowA(null, " + unique + ")",
          "SetConsoleTitleA(" + restored + ")"};
}

TEST(ConsoleWindow, FoundByAUniqueTitleThenHidden) {
  FakePlatform platform;
  platform.consoleTitle = "Intro";
  RunContext run(platform, "x.exe");
  platform.calls.clear();
  EXPECT_EQ(0, run.findConsoleWindow());
  EXPECT_EQ(1, run.hideConsoleWindow());
  Calls expected = findCalls("123456/4242", "Intro");
  expected.push_back("GetConsoleWindow");
  expected.push_back("ShowWindow(console, 0)");
  EXPECT_EQ(expected, platform.calls);
  EXPECT_EQ(FakePlatform::consoleWindowHandle(), run.consoleWindow);
}

TEST(ConsoleWindow, TitleIsSetBackEvenWhenNoWindowCarriesIt) {
  FakePlatform platform;
  platform.hasConsoleWindow = false;
  platform.consoleTitle = "Intro";
  RunContext run(platform, "x.exe");
  platform.calls.clear();
  EXPECT_EQ(0, run.findConsoleWindow());
  EXPECT_EQ(0, run.hideConsoleWindow());
  EXPECT_EQ(findCalls("123456/4242", "Intro"), platform.calls);
  EXPECT_EQ(nullptr, run.consoleWindow);
  run.showSharedConsoleAgain();
  EXPECT_EQ(findCalls("123456/4242", "Intro"), platform.calls) << "nothing hidden, nothing shown";
}

TEST(ConsoleWindow, NumbersPrintAsSignedDecimals) {
  FakePlatform platform;
  platform.tickCount = 0x80000005u;  // past 2^31 ms: about 25 days of uptime
  platform.processId = 0xFFFFFFFEu;
  RunContext run(platform, "x.exe");
  run.findConsoleWindow();
  ASSERT_FALSE(platform.titlesSet.empty());
  EXPECT_EQ("-2147483643/-2", platform.titlesSet[0]);
}

TEST(ConsoleWindow, UnreadableOrOverlongTitlesAreSetBackSafely) {
  {
    FakePlatform platform;
    platform.titleReadable = false;
    RunContext run(platform, "x.exe");
    run.findConsoleWindow();
    ASSERT_EQ(2u, platform.titlesSet.size());
    EXPECT_EQ("", platform.titlesSet[1]) << "an unreadable title comes back empty";
  }
  {
    FakePlatform platform;
    platform.consoleTitle = std::string(3000, 't');
    RunContext run(platform, "x.exe");
    run.findConsoleWindow();
    ASSERT_EQ(2u, platform.titlesSet.size());
    EXPECT_EQ(std::string(1023, 't'), platform.titlesSet[1]) << "cut at the buffer's end";
  }
}

// The window found by the title is hidden only when it is the console's own; a terminal's
// window that took the title is left alone, and so never shown again either.
struct OwnWindowCase {
  int line;
  bool hasGetConsoleWindow;
  bool ownIsFound;  // GetConsoleWindow answers the window FindWindowA found, or another one
  int hidden;
  Calls after;  // the calls after finding, through showSharedConsoleAgain on a shared console
};

const OwnWindowCase kOwnWindowCases[] = {
    {__LINE__,
     true,
     true,
     1,
     {"GetConsoleWindow", "ShowWindow(console, 0)", "GetConsoleProcessList",
      "ShowWindow(console, 5)"}},
    {__LINE__, true, false, 0, {"GetConsoleWindow"}},
    {__LINE__,
     false,
     false,
     1,
     {"GetConsoleWindow", "ShowWindow(console, 0)", "GetConsoleProcessList",
      "ShowWindow(console, 5)"}},
};

TEST(ConsoleWindow, OnlyTheConsolesOwnWindowIsHidden) {
  for (const OwnWindowCase& c : kOwnWindowCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakePlatform platform;
    platform.hasGetConsoleWindow = c.hasGetConsoleWindow;
    platform.ownConsoleWindow =
        c.ownIsFound ? FakePlatform::consoleWindowHandle() : FakePlatform::otherWindowHandle();
    platform.consoleProcessCount = 2;
    RunContext run(platform, "x.exe");
    run.findConsoleWindow();
    platform.calls.clear();
    EXPECT_EQ(c.hidden, run.hideConsoleWindow());
    run.showSharedConsoleAgain();
    EXPECT_EQ(c.after, platform.calls);
    EXPECT_EQ(c.hidden ? FakePlatform::consoleWindowHandle() : nullptr, run.consoleWindow);
  }
}

TEST(ConsoleWindow, ShownAgainAtTheEndOnlyWhenSharedWithAnotherProcess) {
  for (std::uint32_t sharers : {0u, 1u, 2u, 5u}) {
    SCOPED_TRACE(testing::Message() << sharers << " processes on the console");
    FakePlatform platform;
    platform.consoleProcessCount = sharers;
    platform.startable = {"PROJECTOR.EXE"};
    runTolvex(platform, "x.exe");
    const Calls shows = platform.callsStartingWith("ShowWindow");
    const Calls expected = sharers > 1 ? Calls{"ShowWindow(console, 0)", "ShowWindow(console, 5)"}
                                       : Calls{"ShowWindow(console, 0)"};
    EXPECT_EQ(expected, shows);
    EXPECT_EQ("GetConsoleProcessList",
              platform.calls[platform.calls.size() - (sharers > 1 ? 2 : 1)])
        << "asked after the restore, at the very end";
  }
}

}  // namespace
}  // namespace tolvex
