#include "display/display_mode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_context.h"
#include "tests/fake_platform.h"

namespace tolvex {
namespace {

const std::string kSummary = "16 bits per pixel, 1024 width x 768 height\r\r";

struct StrictCase {
  int line;
  std::int32_t code;    // what both the plain and the storing attempt answer
  const char* caption;  // nullptr: no message box
  const char* explanation;
};

const StrictCase kStrictCases[] = {
    {__LINE__, 1, "Tolvex Error: DISP_CHANGE_RESTART", "Tolvex couldn't set this setting"},
    {__LINE__, -1, "Tolvex Error: DISP_CHANGE_FAILED",
     "Your graphics card failed to change the settings."},
    {__LINE__, -2, "Tolvex Error: DISP_CHANGE_BADMODE",
     "The graphics mode requested is not supported."},
    {__LINE__, -3, "Tolvex Error: DISP_CHANGE_NOTUPDATED",
     "The mode could not be written to the registry."},
    {__LINE__, -4, "Tolvex Error: DISP_CHANGE_BADFLAGS", "Tolvex couldn't set this setting"},
    {__LINE__, -5, "Tolvex Error: DISP_CHANGE_BADPARAM", "Tolvex couldn't set this setting"},
    {__LINE__, -6, nullptr, nullptr},
    {__LINE__, 2, nullptr, nullptr},
};

std::string attempt(std::uint32_t fields, std::uint32_t flags) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "ChangeDisplaySettingsA(fields=0x%X bpp=16 1024x768, %u)",
                fields, flags);
  return buffer;
}

TEST(SwitchMode, StrictFailuresTellTheUserFromTheTable) {
  for (const StrictCase& c : kStrictCases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code << ", case at line " << c.line);
    FakePlatform platform;
    RunContext run(platform, "D:\\Shows\\Intro.exe");
    platform.calls.clear();
    platform.changeResults = {-2, c.code};
    run.messageText.assign(kSummary.c_str());

    EXPECT_EQ(c.code, run.switchMode(16, 1024, 768));

    std::vector<std::string> expected = {attempt(0x1C0000, 4), attempt(0x1C0000, 9)};
    if (c.caption != nullptr) {
      expected.push_back(std::string("MessageBoxA(null, ") + c.caption + ", 0)");
      ASSERT_EQ(1u, platform.boxes.size());
      EXPECT_EQ(c.caption, platform.boxes[0].caption);
      EXPECT_EQ(kSummary + c.explanation, platform.boxes[0].text);
    } else {
      EXPECT_TRUE(platform.boxes.empty());
    }
    EXPECT_EQ(expected, platform.calls);
  }
}

TEST(SwitchMode, LenientFailuresRetryOnceWithoutDepthAndStaySilent) {
  for (const StrictCase& c : kStrictCases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code << ", case at line " << c.line);
    FakePlatform platform;
    RunContext run(platform, "D:\\Shows\\Intro.exe");
    run.strictFlag = 0;
    platform.calls.clear();
    platform.changeResults = {c.code, c.code, -2};

    EXPECT_EQ(-2, run.switchMode(16, 1024, 768)) << "the size-only attempt's answer is returned";
    EXPECT_EQ((std::vector<std::string>{attempt(0x1C0000, 4), attempt(0x1C0000, 9),
                                        attempt(0x180000, 4)}),
              platform.calls);
    EXPECT_TRUE(platform.boxes.empty());
  }
}

TEST(SwitchMode, AcceptedAttemptsStopThere) {
  for (std::int32_t strict : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "strictFlag " << strict);
    FakePlatform platform;
    RunContext run(platform, "x.exe");
    run.strictFlag = strict;
    platform.calls.clear();
    EXPECT_EQ(0, run.switchMode(16, 1024, 768));
    EXPECT_EQ((std::vector<std::string>{attempt(0x1C0000, 4)}), platform.calls)
        << "a mode the first attempt takes is never stored";
    EXPECT_FALSE(run.storedModeChanged);

    platform.calls.clear();
    platform.changeResults = {-1, 0};
    EXPECT_EQ(0, run.switchMode(16, 1024, 768));
    EXPECT_EQ((std::vector<std::string>{attempt(0x1C0000, 4), attempt(0x1C0000, 9)}),
              platform.calls);
    EXPECT_TRUE(run.storedModeChanged);
  }
}

TEST(SwitchMode, WritesOnlyTheFourRequestMembers) {
  FakePlatform platform;
  platform.storedMode.dmDisplayFrequency = 75;
  platform.storedMode.dmDisplayFlags = 2;
  RunContext run(platform, "x.exe");
  DevModeA expected = run.workingMode;
  run.switchMode(8, 640, -480);
  expected.dmFields = 0x1C0000;
  expected.dmBitsPerPel = 8;
  expected.dmPelsWidth = 640;
  expected.dmPelsHeight = static_cast<std::uint32_t>(-480);
  ASSERT_EQ(1u, platform.changedModes.size());
  EXPECT_EQ(0, std::memcmp(&expected, &platform.changedModes[0], sizeof expected));
}

TEST(RestoreMode, PutsTheSavedRecordBackAndStoresItOnlyWhenTheRunStoredAnother) {
  FakePlatform platform;
  RunContext run(platform, "x.exe");
  run.switchMode(16, 800, 600);
  run.restoreMode();
  ASSERT_EQ(2u, platform.changeFlags.size());
  EXPECT_EQ(0u, platform.changeFlags[1]);
  EXPECT_EQ(0, std::memcmp(&platform.storedMode, &platform.changedModes[1], sizeof(DevModeA)))
      << "the saved record is passed as the query left it, dmFields included";

  FakePlatform storing;
  RunContext storingRun(storing, "x.exe");
  storing.changeResults = {-1, 1};  // DISP_CHANGE_RESTART: stored for the next start
  storingRun.switchMode(16, 800, 600);
  storingRun.restoreMode();
  EXPECT_EQ(9u, storing.changeFlags.back());
  EXPECT_EQ(0, std::memcmp(&storing.storedMode, &storing.changedModes.back(), sizeof(DevModeA)));
}

}  // namespace
}  // namespace tolvex
