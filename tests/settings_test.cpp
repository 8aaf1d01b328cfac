#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_context.h"
#include "settings/settings_text.h"
#include "tests/fake_platform.h"

namespace tolvex {
namespace {

const char kProgram[] = "D:\\Shows\\Intro.exe";
const char kCaption[] = "Tolvex Error: Bad Tolvex.ini parameters";
const std::string kDepthWhy = "The depth value has to be one of\r8,16,24 or 32";
const std::string kWidthWhy =
    "The width value has to be one of\r640,800,832,1024,1152,1280 or 1600";
const std::string kStrictWhy = "The strictFlag value can only be 1 or 0";
const std::string kNameWhy = "The application name need to be more than four chars long";

std::string summary(int depth, int width, int height) {
  return std::to_string(depth) + " bits per pixel, " + std::to_string(width) + " width x " +
         std::to_string(height) + " height\r\r";
}

struct TextCase {
  int line;
  std::string text;  // decoded text of "Tolvex.ini"
  int result;
  int depth, width, height, strictFlag;  // the request afterwards
  std::string appPath;
  std::string message;  // messageText afterwards; for -1 also the message box text
};

const std::string kDefaultApp = "D:\\Shows\\PROJECTOR.EXE";

const TextCase kTextCases[] = {
    {__LINE__, "24,1024,768", 0, 32, 1024, 768, 1, kDefaultApp, summary(24, 1024, 768)},
    {__LINE__, "16 800 600 0 show.exe", 1, 16, 800, 600, 0, "D:\\Shows\\show.exe",
     summary(16, 800, 600)},
    {__LINE__, "8,1600,1200,1,games\\run.exe", 1, 8, 1600, 1200, 1, "D:\\Shows\\games\\run.exe",
     summary(8, 1600, 1200)},
    {__LINE__, "16,1000,600", -1, 16, 800, 600, 1, kDefaultApp, summary(16, 1000, 600) + kWidthWhy},
    {__LINE__, "32", 0, 32, 800, 600, 1, kDefaultApp, summary(32, 0, 0)},
    {__LINE__, "16,800,0", 0, 16, 800, 0, 1, kDefaultApp, summary(16, 800, 0)},
    {__LINE__, "16,800,-600", 0, 16, 800, -600, 1, kDefaultApp, summary(16, 800, -600)},
    {__LINE__, "16,800,600,1,a.ex", -1, 16, 800, 600, 1, kDefaultApp,
     "16 bits per pixel, 800 width x 600 height, app name 'a.ex'\r\r" + kNameWhy},
    {__LINE__, "16,800,600,1,b.exe", 1, 16, 800, 600, 1, "D:\\Shows\\b.exe", summary(16, 800, 600)},
    {__LINE__, "x16", 0, 16, 800, 600, 1, kDefaultApp, summary(0, 0, 0)},
    {__LINE__, "16,0800,600", 0, 16, 800, 600, 1, kDefaultApp, summary(16, 800, 600)},
    {__LINE__, "010", -1, 16, 800, 600, 1, kDefaultApp, summary(10, 0, 0) + kDepthWhy},
    {__LINE__, "0x20", -1, 16, 800, 600, 1, kDefaultApp, summary(0, 0, 0) + kDepthWhy},
    {__LINE__, "16,,768", -1, 16, 800, 600, 1, kDefaultApp, summary(16, 768, 0) + kWidthWhy},
    {__LINE__, "16 800 600 0show.exe", 1, 16, 800, 600, 0, "D:\\Shows\\show.exe",
     summary(16, 800, 600)},
    {__LINE__, "16-5", -1, 16, 800, 600, 1, kDefaultApp, summary(16, -5, 0) + kWidthWhy},
    {__LINE__, "16,abc,600", 0, 16, 800, 600, 1, kDefaultApp, summary(16, 0, 0)},
    {__LINE__, "16,800,600,2", -1, 16, 800, 600, 1, kDefaultApp,
     "16 bits per pixel, 800 width x 600 height, 2 strictFlag\r\r" + kStrictWhy},
    {__LINE__, "16,800,600,-1,show.exe", -1, 16, 800, 600, 1, kDefaultApp,
     "16 bits per pixel, 800 width x 600 height, -1 strictFlag\r\r" + kStrictWhy},
    {__LINE__, " \t\r\n\v\f ", 0, 16, 800, 600, 1, kDefaultApp, summary(0, 0, 0)},
    {__LINE__, "+16\n+1024\r\n+768", 0, 16, 1024, 768, 1, kDefaultApp, summary(16, 1024, 768)},
    {__LINE__, "- 16", 0, 16, 800, 600, 1, kDefaultApp, summary(0, 0, 0)},
    {__LINE__, "16 -", 0, 16, 800, 600, 1, kDefaultApp, summary(16, 0, 0)},
    {__LINE__, "16 800 600 1 show.exe and more", 1, 16, 800, 600, 1, "D:\\Shows\\show.exe",
     summary(16, 800, 600)},
    {__LINE__, "16,800,600,1,sh\xE9w.exe", 1, 16, 800, 600, 1, "D:\\Shows\\sh\xE9w.exe",
     summary(16, 800, 600)},
    {__LINE__,
     "16\xA0"
     "800",
     0, 16, 800, 600, 1, kDefaultApp, summary(16, 0, 0)},
    {__LINE__, "99999999999,800", -1, 16, 800, 600, 1, kDefaultApp,
     summary(2147483647, 800, 0) + kDepthWhy},
    {__LINE__, "16,800,-99999999999", 0, 16, 800, -2147483647 - 1, 1, kDefaultApp,
     summary(16, 800, -2147483647 - 1)},
    {__LINE__, "16,800,600,4294967297", -1, 16, 800, 600, 1, kDefaultApp,
     "16 bits per pixel, 800 width x 600 height, 2147483647 strictFlag\r\r" + kStrictWhy},
};

TEST(ReadSettings, DecodedTexts) {
  for (const TextCase& c : kTextCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakePlatform platform;
    platform.files["Tolvex.ini"] = storedSettings(c.text);
    RunContext run(platform, kProgram);
    EXPECT_EQ(c.result, run.readSettings("Tolvex.ini"));
    EXPECT_EQ(c.depth, run.depth);
    EXPECT_EQ(c.width, run.width);
    EXPECT_EQ(c.height, run.height);
    EXPECT_EQ(c.strictFlag, run.strictFlag);
    EXPECT_EQ(c.appPath, run.appPath.c_str());
    EXPECT_EQ(c.message, run.messageText.c_str());
    if (c.result < 0) {
      ASSERT_EQ(1u, platform.boxes.size());
      EXPECT_EQ(c.message, platform.boxes[0].text);
      EXPECT_EQ(kCaption, platform.boxes[0].caption);
    } else {
      EXPECT_TRUE(platform.boxes.empty());
    }
  }
}

TEST(ReadSettings, ListsAreExactAtTheirBoundaries) {
  const int depths[] = {-16, 0, 7, 8, 9, 15, 16, 17, 23, 24, 25, 31, 32, 33, 64};
  for (int depth : depths) {
    SCOPED_TRACE(testing::Message() << "depth " << depth);
    const SettingsScan scan = scanSettings(std::to_string(depth).c_str());
    SettingsVerdict verdict;
    judgeSettings(scan, PathText(""), verdict);
    const bool listed = depth == 8 || depth == 16 || depth == 24 || depth == 32;
    EXPECT_EQ(listed ? 0 : -1, verdict.result);
    if (listed) {
      EXPECT_EQ(depth == 24 ? 32 : depth, verdict.depth);
    }
  }
  const int widths[] = {0,    639,  640,  641,  800,  832,  1024, 1152,
                        1280, 1366, 1600, 1601, 1920, -640, 768};
  for (int width : widths) {
    SCOPED_TRACE(testing::Message() << "width " << width);
    const SettingsScan scan = scanSettings(("16 " + std::to_string(width)).c_str());
    SettingsVerdict verdict;
    judgeSettings(scan, PathText(""), verdict);
    const bool listed = width == 640 || width == 800 || width == 832 || width == 1024 ||
                        width == 1152 || width == 1280 || width == 1600;
    EXPECT_EQ(listed ? 0 : -1, verdict.result);
  }
}

TEST(ReadSettings, ApplicationNamesMustFitWholeOrAreRefused) {
  const std::string longest(255, 'n');
  struct {
    int line;
    std::string programDir;
    std::string name;
    int result;
  } cases[] = {
      {__LINE__, "D:\\", longest, 1},
      {__LINE__, "D:\\", longest + "x", -1},
      {__LINE__, std::string(767, 'd') + "\\", longest, 1},  // 768 + 255 = 1023 bytes
      {__LINE__, std::string(768, 'd') + "\\", longest, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const SettingsScan scan = scanSettings(("16 800 600 1 " + c.name).c_str());
    SettingsVerdict verdict;
    judgeSettings(scan, PathText(c.programDir.c_str()), verdict);
    EXPECT_EQ(c.result, verdict.result);
    if (c.result == 1) {
      EXPECT_EQ(c.programDir + c.name, verdict.appPath.c_str());
    } else {
      EXPECT_EQ(SettingsField::kAppName, verdict.rejected);
      EXPECT_STREQ("", verdict.appPath.c_str()) << "never a cut path";
      const std::string shown = c.name.substr(0, 255);
      EXPECT_EQ(
          "16 bits per pixel, 800 width x 600 height, app name '" + shown + "'\r\r" + kNameWhy,
          verdict.message.c_str());
    }
  }
}

TEST(ReadSettings, LooksBesideTheProgramOnlyWhenTolvexIniCannotBeOpened) {
  {
    SCOPED_TRACE("no file at all");
    FakePlatform platform;
    RunContext run(platform, kProgram);
    EXPECT_EQ(0, run.readSettings("Tolvex.ini"));
    EXPECT_EQ((std::vector<std::string>{"ReadFile(Tolvex.ini, 999)",
                                        "ReadFile(D:\\Shows\\Intro.ini, 999)"}),
              platform.callsStartingWith("ReadFile"));
    EXPECT_STREQ("", run.messageText.c_str());
    EXPECT_STREQ("D:\\Shows\\Intro.ini", run.settingsPath.c_str());
  }
  {
    SCOPED_TRACE("only the file beside the program");
    FakePlatform platform;
    platform.files["D:\\Shows\\Intro.ini"] = storedSettings("8,640,480,0,intro.exe");
    RunContext run(platform, kProgram);
    EXPECT_EQ(1, run.readSettings("Tolvex.ini"));
    EXPECT_EQ(8, run.depth);
    EXPECT_STREQ("D:\\Shows\\intro.exe", run.appPath.c_str());
  }
  for (const char* hiding : {"", "  ", "junk"}) {
    SCOPED_TRACE(testing::Message() << "Tolvex.ini holding '" << hiding << "'");
    FakePlatform platform;
    platform.files["Tolvex.ini"] = storedSettings(hiding);
    platform.files["D:\\Shows\\Intro.ini"] = storedSettings("8,640,480,0,intro.exe");
    RunContext run(platform, kProgram);
    EXPECT_EQ(0, run.readSettings("Tolvex.ini"));
    EXPECT_EQ(16, run.depth);
    EXPECT_EQ(1u, platform.callsStartingWith("ReadFile").size())
        << "the file beside the program is never read";
    EXPECT_STREQ(*hiding == '\0' ? "" : "0 bits per pixel, 0 width x 0 height\r\r",
                 run.messageText.c_str());
  }
  {
    SCOPED_TRACE("second name follows argument 0");
    const struct {
      const char* argument0;
      const char* second;
    } names[] = {{"Intro", "Intro.ini"},
                 {"Intro.exe", "Intro.ini"},
                 {"", ".ini"},
                 {"C:\\Games\\Tolvex.exe", "C:\\Games\\Tolvex.ini"}};
    for (const auto& n : names) {
      FakePlatform platform;
      RunContext run(platform, n.argument0);
      run.readSettings("Tolvex.ini");
      EXPECT_EQ("ReadFile(" + std::string(n.second) + ", 999)", platform.calls.back());
    }
  }
}

TEST(ReadSettings, StoredBytesAreDecodedWithinTheirLimits) {
  {
    SCOPED_TRACE("a plain-text file decodes to high bytes: nothing applies");
    FakePlatform platform;
    platform.files["Tolvex.ini"] = {'1', '6', ',', '6', '4', '0', ',', '4', '8', '0'};
    RunContext run(platform, kProgram);
    EXPECT_EQ(0, run.readSettings("Tolvex.ini"));
    EXPECT_EQ(800, run.width);
    EXPECT_STREQ("0 bits per pixel, 0 width x 0 height\r\r", run.messageText.c_str());
  }
  {
    SCOPED_TRACE("only the first 999 bytes count");
    FakePlatform platform;
    platform.files["Tolvex.ini"] = storedSettings(std::string(990, ' ') + "16,1024,768,0,x.exe");
    RunContext run(platform, kProgram);
    EXPECT_EQ(0, run.readSettings("Tolvex.ini"));
    EXPECT_EQ(7, run.height) << "'768' is cut after its first byte";
    EXPECT_EQ(1, run.strictFlag);
  }
  {
    SCOPED_TRACE("a stored 0xFF ends the text");
    FakePlatform platform;
    std::vector<std::uint8_t> bytes = storedSettings("16,1024,768,0,show.exe");
    bytes[7] = 0xFF;  // the comma after 1024
    platform.files["Tolvex.ini"] = bytes;
    RunContext run(platform, kProgram);
    EXPECT_EQ(0, run.readSettings("Tolvex.ini"));
    EXPECT_EQ(1024, run.width);
    EXPECT_EQ(600, run.height);
  }
  {
    SCOPED_TRACE("every byte value is handled");
    std::vector<std::uint8_t> all;
    for (int i = 0; i < 2000; ++i) {
      all.push_back(static_cast<std::uint8_t>((i * 37) & 0xFF));
    }
    FakePlatform platform;
    platform.files["Tolvex.ini"] = all;
    RunContext run(platform, kProgram);
    const int result = run.readSettings("Tolvex.ini");
    EXPECT_TRUE(result >= -1 && result <= 1);
    EXPECT_LT(run.messageText.length(), kMessageCapacity);
  }
}

TEST(ReadSettings, EncodingIsItsOwnInverse) {
  std::uint8_t bytes[] = {'1', '6', 0x00, 0xFF, 0x80};
  complementBytes(bytes, sizeof bytes);
  EXPECT_EQ(0xCE, bytes[0]);
  EXPECT_EQ(0xC9, bytes[1]);
  EXPECT_EQ(0xFF, bytes[2]);
  complementBytes(bytes, sizeof bytes);
  EXPECT_EQ('1', bytes[0]);
  EXPECT_EQ(0x80, bytes[4]);
}

}  // namespace
}  // namespace tolvex
