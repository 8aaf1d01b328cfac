#include "app/run_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/argument_zero.h"
#include "tests/fake_platform.h"

namespace tolvex {
namespace {

struct PathCase {
  int line;
  std::string argument0;
  const char* programDir;
  const char* baseName;
  const char* appPath;
  bool shiftJis = false;       // the ANSI code page is 932, whose second bytes may be 0x5C
  const char* held = nullptr;  // argument 0 as Windows NT holds it (UTF-8), when it does
  const char* outside = "";    // the folder named where no ANSI path reaches it
};

// What the fake's code page holds (Shift-JIS's and ó, for the rows' sake), and the short forms
// that Windows gives.
void holdNames(FakePlatform& platform) {
  platform.ansiChars = {{"ó", "\xF3"},   {"ソ", "\x83\\"}, {"フ", "\x83t"},
                        {"ト", "\x83g"}, {"表", "\x95\\"}, {"示", "\x8E\xA6"}};
  platform.shortPaths = {{"C:\\Users\\Łódź\\Title\\", "C:\\Users\\LDZ~1\\Title\\"},
                         {"C:\\Игра\\", "C:\\2C1B~1\\"},
                         {"Łódź\\T\\", "LDZ~1\\T\\"},
                         {"C:\\G\\Łódź.exe", "C:\\G\\LDZ~1.EXE"}};
}

// programDir is always a folder (empty, or ending with the last backslash); baseName runs to
// the leftmost dot after it; '/' and ':' separate nothing.
const PathCase kPathCases[] = {
    {__LINE__, "D:\\Shows\\Intro.exe", "D:\\Shows\\", "Intro", "D:\\Shows\\PROJECTOR.EXE"},
    {__LINE__, "D:\\Shows\\Intro.final.exe", "D:\\Shows\\", "Intro", "D:\\Shows\\PROJECTOR.EXE"},
    {__LINE__, "D:\\My.Shows\\Intro", "D:\\My.Shows\\", "Intro", "D:\\My.Shows\\PROJECTOR.EXE"},
    {__LINE__, "Intro", "", "Intro", "PROJECTOR.EXE"},
    {__LINE__, "Intro.exe", "", "Intro", "PROJECTOR.EXE"},
    {__LINE__, ".\\Intro.exe", ".\\", "Intro", ".\\PROJECTOR.EXE"},
    {__LINE__, "D:/Shows/Intro.exe", "", "D:/Shows/Intro", "PROJECTOR.EXE"},
    {__LINE__, "C:Intro.exe", "", "C:Intro", "PROJECTOR.EXE"},
    {__LINE__, "D:\\Shows\\", "D:\\Shows\\", "", "D:\\Shows\\PROJECTOR.EXE"},
    {__LINE__, "\\Intro.exe", "\\", "Intro", "\\PROJECTOR.EXE"},
    {__LINE__, "\\", "\\", "", "\\PROJECTOR.EXE"},
    {__LINE__, "a", "", "a", "PROJECTOR.EXE"},
    {__LINE__, "", "", "", "PROJECTOR.EXE"},
    {__LINE__, ".hidden", "", "", "PROJECTOR.EXE"},
    {__LINE__, "\\\\server\\share\\x.y.z", "\\\\server\\share\\", "x",
     "\\\\server\\share\\PROJECTOR.EXE"},
    {__LINE__, "C:\\A\xE4\\\x81\\.exe", "C:\\A\xE4\\\x81\\", "", "C:\\A\xE4\\\x81\\PROJECTOR.EXE"},
    // Code page 932: "ソ" is 0x83 0x5C and "表" 0x95 0x5C, whose second bytes are no backslash.
    {__LINE__, "C:\\G\\\x83\\\x83t\x83g.exe", "C:\\G\\", "\x83\\\x83t\x83g", "C:\\G\\PROJECTOR.EXE",
     true},
    {__LINE__, "\x83\\\x83t\x83g", "", "\x83\\\x83t\x83g", "PROJECTOR.EXE", true},
    {__LINE__, "C:\\\x95\\\x8E\xA6\\T.exe", "C:\\\x95\\\x8E\xA6\\", "T",
     "C:\\\x95\\\x8E\xA6\\PROJECTOR.EXE", true},
    {__LINE__, "C:\\A\xE4\\\x81\\.exe", "C:\\", "A\xE4\\\x81\\", "C:\\PROJECTOR.EXE", true},
    {__LINE__, "C:\\A\\\x81", "C:\\A\\", "\x81", "C:\\A\\PROJECTOR.EXE", true},
    // Where the ANSI argument 0 has lost characters ("Lodz" for "Łódź", '?' for Cyrillic), the
    // short form of the folders, and of the name only where the code page lacks it.
    {__LINE__, "C:\\Users\\Lodz\\Title\\Tolvex.exe", "C:\\Users\\LDZ~1\\Title\\", "Tolvex", nullptr,
     false, "C:\\Users\\Łódź\\Title\\Tolvex.exe"},
    {__LINE__, "C:\\????\\Tolvex.exe", "C:\\2C1B~1\\", "Tolvex", nullptr, false,
     "C:\\Игра\\Tolvex.exe"},
    {__LINE__, "Lodz\\T\\Intró.exe", "LDZ~1\\T\\", "Intr\xF3", nullptr, false,
     "Łódź\\T\\Intró.exe"},
    {__LINE__, "C:\\G\\Lodz.exe", "C:\\G\\", "LDZ~1", nullptr, false, "C:\\G\\Łódź.exe"},
    {__LINE__, "C:\\G\\\x83\\\x83t\x83g.exe", "C:\\G\\", "\x83\\\x83t\x83g", nullptr, true,
     "C:\\G\\ソフト.exe"},
    // No short form: nothing of argument 0 is used, and the folder is named as it is.
    {__LINE__, "C:\\Lodz\\T.exe", "", "", nullptr, false, "C:\\Łódź\\T.exe", "C:\\Łódź\\"},
    {__LINE__, "C:\\Lodz.exe", "", "", nullptr, false, "C:\\Łódź.exe", "C:\\Łódź.exe"},
    // The longest folder that still leaves room for "PROJECTOR.EXE" in 1,024 bytes.
    {__LINE__, std::string(1009, 'f') + "\\x.exe", nullptr, "x", nullptr},
};

// Argument 0 from the raw command line: the first token; a quoted one runs to the next quote
// without the quotes, any other to the first blank or tab. Only an empty command line means the
// module file name.
struct CommandLineCase {
  int line;
  const char* commandLine;
  const char* argument0;  // nullptr: the module file name
};

const CommandLineCase kCommandLineCases[] = {
    {__LINE__, "\"C:\\My Shows\\Tolvex.exe\" x y", "C:\\My Shows\\Tolvex.exe"},
    {__LINE__, "C:\\Shows\\Tolvex.exe x", "C:\\Shows\\Tolvex.exe"},
    {__LINE__, "Tolvex.exe\tx", "Tolvex.exe"},
    {__LINE__, "", nullptr},
    {__LINE__, "\"C:\\My Shows\\Tolvex.exe", "C:\\My Shows\\Tolvex.exe"},
    {__LINE__, "  Tolvex.exe", ""},
    {__LINE__, "\"C:\\a\"b.exe", "C:\\a"},
    {__LINE__, "\"\" Tolvex.exe", ""},
};

TEST(ArgumentZero, FirstTokenOfTheCommandLine) {
  for (const CommandLineCase& c : kCommandLineCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const ArgumentZero found = findArgumentZero(c.commandLine);
    EXPECT_EQ(c.argument0 == nullptr, found.useModuleName);
    if (c.argument0 != nullptr) {
      EXPECT_EQ(std::string(c.argument0), std::string(found.begin, found.length));
    }
  }
}

TEST(ArgumentZero, CopiedOnlyWhole) {
  char out[6] = "xxxxx";
  EXPECT_FALSE(copyArgumentZero("Tolvex x", out, sizeof out));
  EXPECT_STREQ("xxxxx", out);
  EXPECT_TRUE(copyArgumentZero("\"Tolve\" x", out, sizeof out));
  EXPECT_STREQ("Tolve", out);
}

// The module file name, asked with room for 32,767 bytes and written without a zero (as Windows
// XP does when it fills the room). A full room may hold a cut name: never used.
std::string gModuleName;
std::uint32_t moduleFileNameOf(char* name, std::uint32_t size) {
  const std::uint32_t length = std::min(static_cast<std::uint32_t>(gModuleName.size()), size);
  std::memcpy(name, gModuleName.data(), length);
  return length;
}

TEST(ArgumentZero, ModuleFileNameOnlyWhole) {
  static char out[kModuleNameRoom + 100];
  for (const std::uint32_t length : {9U, kModuleNameRoom - 1, kModuleNameRoom}) {
    SCOPED_TRACE(testing::Message() << "a name of " << length << " bytes");
    gModuleName = "C:\\T\\" + std::string(length - 9, 'n') + ".exe";
    const char* got = readArgumentZero("", &moduleFileNameOf, out, sizeof out);
    EXPECT_EQ(length < kModuleNameRoom, got != nullptr);
    EXPECT_TRUE(got == nullptr || gModuleName == got);
    FakePlatform platform;
    EXPECT_EQ(got == nullptr, RunContext(platform, got).appPath.overflowed());
  }
}

TEST(RunContextPaths, DerivedFromArgumentZero) {
  for (const PathCase& c : kPathCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakePlatform platform;
    platform.codePage = c.shiftJis ? shiftJis() : LeadBytes();
    holdNames(platform);
    RunContext run(platform, c.argument0.c_str(), nullptr, c.held);
    EXPECT_STREQ(c.outside, run.outsideCodePage.c_str());
    if (c.outside[0] != '\0') {
      EXPECT_TRUE(run.programDir.overflowed() && run.appPath.overflowed());
      continue;
    }
    const std::string folder =
        c.programDir ? c.programDir : c.argument0.substr(0, c.argument0.rfind('\\') + 1);
    const std::string app = c.appPath ? c.appPath : folder + "PROJECTOR.EXE";
    EXPECT_EQ(folder, run.programDir.c_str());
    EXPECT_EQ(std::string(c.baseName), run.baseName.c_str());
    EXPECT_EQ(app, run.appPath.c_str());
    EXPECT_FALSE(run.appPath.overflowed());
    EXPECT_STREQ("Tolvex.ini", run.settingsPath.c_str());
    EXPECT_STREQ("", run.messageText.c_str());
  }
}

TEST(RunContextPaths, OverlongPiecesAreMarkedNeverCut) {
  FakePlatform platform;
  {
    SCOPED_TRACE("folder of 1,011 bytes: PROJECTOR.EXE no longer fits");
    const std::string argument0 = std::string(1009, 'f') + "\\\\x.exe";
    RunContext run(platform, argument0.c_str());
    EXPECT_FALSE(run.programDir.overflowed());
    EXPECT_TRUE(run.appPath.overflowed());
    EXPECT_EQ(nullptr, std::strstr(run.appPath.c_str(), "PROJECTOR"));
  }
  {
    SCOPED_TRACE("folder longer than its field");
    const std::string argument0 = "C:\\" + std::string(1100, 'd') + "\\Intro.exe";
    RunContext run(platform, argument0.c_str());
    EXPECT_TRUE(run.programDir.overflowed());
    EXPECT_TRUE(run.appPath.overflowed());
    EXPECT_STREQ("Intro", run.baseName.c_str());
  }
  {
    SCOPED_TRACE("file name longer than its field, in a short folder");
    const std::string argument0 = "C:\\" + std::string(1100, 'n') + ".exe";
    RunContext run(platform, argument0.c_str());
    EXPECT_STREQ("C:\\", run.programDir.c_str());
    EXPECT_STREQ("C:\\PROJECTOR.EXE", run.appPath.c_str());
    EXPECT_TRUE(run.baseName.overflowed());
  }
  {
    SCOPED_TRACE("a bare name of exactly 1,023 bytes still fits");
    const std::string argument0(1023, 'b');
    RunContext run(platform, argument0.c_str());
    EXPECT_EQ(argument0, run.baseName.c_str());
  }
}

TEST(RunContextConstruction, DefaultsAndTwoCopiesOfTheStoredMode) {
  FakePlatform platform;
  RunContext run(platform, "D:\\Shows\\Intro.exe");
  EXPECT_EQ((std::vector<std::string>{"EnumDisplaySettingsA(-2)", "EnumDisplaySettingsA(-2)",
                                      "IsDBCSLeadByte(0x80-0xFF)"}),
            platform.calls);
  EXPECT_EQ(0, std::memcmp(&platform.storedMode, &run.savedMode, sizeof(DevModeA)));
  EXPECT_EQ(0, std::memcmp(&platform.storedMode, &run.workingMode, sizeof(DevModeA)));
  EXPECT_EQ(16, run.depth);
  EXPECT_EQ(800, run.width);
  EXPECT_EQ(600, run.height);
  EXPECT_EQ(1, run.strictFlag);
  EXPECT_EQ(nullptr, run.consoleWindow);
  EXPECT_EQ(sizeof(StartupInfoA), run.startupInfo.cb);
  EXPECT_EQ(nullptr, run.startupInfo.lpDesktop);
  EXPECT_EQ(nullptr, run.processInfo.hProcess);
}

TEST(RunContextConstruction, FailedStoredModeQueryLeavesZeroedRecords) {
  FakePlatform platform;
  platform.enumSucceeds = false;
  RunContext run(platform, "x.exe");
  const DevModeA zero{};
  EXPECT_EQ(0, std::memcmp(&zero, &run.savedMode, sizeof(DevModeA)));
  EXPECT_EQ(0, std::memcmp(&zero, &run.workingMode, sizeof(DevModeA)));
}

}  // namespace
}  // namespace tolvex
