// tolvex-ini's words, byte for byte: scripts may rely on them. One row for each kind of outcome
// the command line words; what each command decides is tested on its outcome
// (operations_test.cpp).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/tool/fake_tool_io.h"
#include "tools/tolvex-ini/command_line.h"

namespace tolvex_commands {
namespace {

struct Golden {
  int line;
  std::vector<std::string> args;  // after the program name
  const char* settings;           // the decoded Tolvex.ini; nullptr: none
  int status;
  std::string out;
  std::string err;
  std::function<void(FakeToolIo&, tolvex::FakePlatform&)> setUp = nullptr;
};

const std::string kTry = "\nTry 'tolvex-ini --help' for more information.\n";

std::string times(int count, const std::string& text) {
  std::string all;
  for (int i = 0; i < count; ++i) {
    all += text;
  }
  return all;
}

const std::string kLongPath = times(1919, "\xC3\xA9") + "x";
const std::string kReason(255, 'r');
const std::string kLongPathShown = times(1919, "\\xC3\\xA9") + "x";
const std::string kShowExe =
    "Text:        \"16 800 600 0 show.exe\"\n"
    "Result:      accepted with an application\n"
    "Depth:       16 bits per pixel\n"
    "Width:       800\n"
    "Height:      600\n"
    "Strictness:  lenient: the application is started even when the mode cannot be set\n"
    "Application: show.exe (in Tolvex's folder)\n";

// A display now at 800 x 600, stored at 1280 x 1024 (the fake's), that lists its modes unsorted
// and one of them twice.
void display(FakeToolIo& io, tolvex::FakePlatform& system) {
  const auto mode = [](std::uint32_t width, std::uint32_t height, std::uint32_t depth,
                       std::uint32_t rate) {
    tolvex::DevModeA m{};
    m.dmPelsWidth = width;
    m.dmPelsHeight = height;
    m.dmBitsPerPel = depth;
    m.dmDisplayFrequency = rate;
    return m;
  };
  system.switched = true;
  system.currentMode = mode(800, 600, 32, 60);
  system.listedModes = {mode(1366, 768, 32, 60), mode(800, 600, 32, 75), mode(800, 600, 16, 60),
                        mode(640, 480, 8, 0),    mode(800, 600, 32, 60), mode(1280, 1024, 32, 60),
                        mode(800, 600, 16, 60)};
  system.files = io.files;
  io.platform = &system;
}

// clang-format off
const Golden kGolden[] = {
    // write
    {__LINE__, {"write", "24", "1024", "768", "0", "show.exe"}, nullptr, 0,
     "Wrote 'Tolvex.ini': 32 bits per pixel (24 in the file), 1024 x 768, lenient, application "
     "show.exe\n", ""},
    {__LINE__, {"write", "-o", "Intro.ini", "16", "800", "600"}, nullptr, 0,
     "Wrote 'Intro.ini': 16 bits per pixel, 800 x 600, strict, application PROJECTOR.EXE "
     "(default)\n", ""},
    {__LINE__, {"write", "15", "800", "600"}, nullptr, 1, "",
     "tolvex-ini: Tolvex would reject DEPTH 15, saying:\n  The depth value has to be one of\n"
     "  8,16,24 or 32\n"},
    {__LINE__, {"write", "16", "-640", "480"}, nullptr, 1, "",
     "tolvex-ini: Tolvex would reject WIDTH -640, saying:\n  The width value has to be one of\n"
     "  640,800,832,1024,1152,1280 or 1600\n"},
    {__LINE__, {"write", "16", "800", "600", "2"}, nullptr, 1, "",
     "tolvex-ini: Tolvex would reject STRICT 2, saying:\n  The strictFlag value can only be 1 or "
     "0\n"},
    {__LINE__, {"write", "16", "800", "600", "1", "a.ex"}, nullptr, 1, "",
     "tolvex-ini: Tolvex would reject APP 'a.ex', saying:\n  The application name need to be "
     "more than four chars long\n"},
    {__LINE__, {"write", "16", "800", "600", "1", "a\rb.exe"}, nullptr, 1, "",
     "tolvex-ini: APP 'a\\rb.exe' contains a blank, and Tolvex reads a name only up to the first "
     "blank\n"},
    {__LINE__, {"write", "16", "800", "600", "1", "show,2.exe"}, nullptr, 1, "",
     "tolvex-ini: APP 'show,2.exe' contains a comma, and Tolvex reads a comma as the end of a "
     "field\n"},
    {__LINE__, {"write", "16", "800", "600", "1", std::string(256, 'n')}, nullptr, 1, "",
     "tolvex-ini: APP is 256 bytes long, and Tolvex reads at most 255\n"},
    {__LINE__, {"write", "99999999999999999999999", "x", "600"}, nullptr, 2, "",
     "tolvex-ini: DEPTH is out of range: '99999999999999999999999' (Tolvex reads numbers from "
     "-2147483648 to 2147483647)\n"},
    {__LINE__, {"write", "16", "800", "-2147483649"}, nullptr, 2, "",
     "tolvex-ini: HEIGHT is out of range: '-2147483649' (Tolvex reads numbers from -2147483648 "
     "to 2147483647)\n"},
    {__LINE__, {"write", "16", "800", "600", "+"}, nullptr, 2, "",
     "tolvex-ini: STRICT is not a decimal number: '+'" + kTry},
    {__LINE__, {"write", "16", "800"}, nullptr, 2, "",
     "tolvex-ini: write needs at least DEPTH, WIDTH and HEIGHT" + kTry},
    {__LINE__, {"write", "16", "800", "600", "1", "show.exe", "extra"}, nullptr, 2, "",
     "tolvex-ini: write: too many arguments, starting with 'extra'" + kTry},
    {__LINE__, {"write", "16", "800", "600", "0", "-show.exe"}, nullptr, 2, "",
     "tolvex-ini: write: unrecognized option '-show.exe'" + kTry},
    {__LINE__, {"write", "16", "800", "600", "-o"}, nullptr, 2, "",
     "tolvex-ini: option requires an argument -- 'o'" + kTry},
    {__LINE__, {"write", "-o", "", "16", "800", "600"}, nullptr, 2, "",
     "tolvex-ini: write: the file name is empty" + kTry},
    {__LINE__, {"write", "16", "800", "600"}, "8,640,480", 1, "",
     "tolvex-ini: 'Tolvex.ini' already exists; use --force to replace it\n"},
    {__LINE__, {"write", "-o", "ro/Tolvex.ini", "16", "800", "600"}, nullptr, 2, "",
     "tolvex-ini: cannot write 'ro/Tolvex.ini': Permission denied\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) { io.writeFailure = "Permission denied"; }},
    // A reason of 255 bytes: the line is formatted in more than one piece, and none is lost.
    {__LINE__, {"write", "-o", "x.ini", "16", "800", "600"}, nullptr, 2, "",
     "tolvex-ini: cannot write 'x.ini': " + kReason + "\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) { io.writeFailure = kReason.c_str(); }},
    {__LINE__, {"write", "--force", "16", "800", "600"}, "8,640,480", 2, "",
     "tolvex-ini: cannot write 'Tolvex.ini': File too large; the old file is kept as it was\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) { io.writeFailure = "File too large"; }},
    {__LINE__, {"write", "--force", "16", "800", "600"}, "8,640,480", 2, "",
     "tolvex-ini: cannot write 'Tolvex.ini': No space left on device; the folder has no room for "
     "the new file beside the old one, which is kept\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) {
       io.writeFailure = "No space left on device";
       io.noRoom = true;
     }},
    {__LINE__, {"write", "16", "800", "600"}, nullptr, 2, "",
     "tolvex-ini: 'Tolvex.ini' does not read back as written (10 bytes written, 10 read; Tolvex "
     "would read 3 fields, result -1); the file was removed\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) {
       io.damageWrite = [](Bytes& bytes) { bytes[1] = 0xC7; };  // '6' -> '8'
     }},
    {__LINE__, {"write", "--force", "16", "800", "600"}, "8,640,480", 2, "",
     "tolvex-ini: 'Tolvex.ini' does not read back as written (10 bytes written, 10 read; Tolvex "
     "would read 3 fields, result -1); the file was removed, and the old one is kept as it was\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) {
       io.damageWrite = [](Bytes& bytes) { bytes[1] = 0xC7; };
     }},
    {__LINE__, {"write", "16", "800", "600", "0", "show.exe"}, nullptr, 2, "",
     "tolvex-ini: 'Tolvex.ini' does not read back as written (21 bytes written, 12 read; Tolvex "
     "would read 4 fields, result 0, 16 bits per pixel, 800 x 600, strictFlag 0, application "
     "'PROJECTOR.EXE'); the file was removed\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) {
       io.damageWrite = [](Bytes& bytes) { bytes.resize(bytes.size() - 9); };
     }},
    // show
    {__LINE__, {"show"}, "16 800 600 0 show.exe", 0,
     "File:        Tolvex.ini (21 bytes)\n" + kShowExe, ""},
    // A Linux path of 3,839 bytes, every row whole.
    {__LINE__, {"show", kLongPath}, nullptr, 0,
     "File:        " + kLongPathShown + " (21 bytes)\n" + kShowExe, "",
     [](FakeToolIo& io, tolvex::FakePlatform&) {
       io.files[kLongPath] = storedSettings("16 800 600 0 show.exe");
     }},
    {__LINE__, {"show"}, "24,1024", 0,
     "File:        Tolvex.ini (7 bytes)\n"
     "Text:        \"24,1024\"\n"
     "Result:      accepted: 2 of the 5 fields, the others keep their defaults\n"
     "Depth:       32 bits per pixel (24 in the file)\n"
     "Width:       1024\n"
     "Height:      600 (default)\n"
     "Strictness:  strict: nothing is started when the mode cannot be set (default)\n"
     "Application: PROJECTOR.EXE (in Tolvex's folder) (default)\n", ""},
    {__LINE__, {"show"}, "16,1000,600", 1,
     "File:        Tolvex.ini (11 bytes)\n"
     "Text:        \"16,1000,600\"\n"
     "Result:      rejected: Tolvex shows this message and starts nothing\n"
     "Caption:     Tolvex Error: Bad Tolvex.ini parameters\n"
     "Message:     | 16 bits per pixel, 1000 width x 600 height\n"
     "             |\n"
     "             | The width value has to be one of\n"
     "             | 640,800,832,1024,1152,1280 or 1600\n"
     "Exact text:  \"16 bits per pixel, 1000 width x 600 height\\r\\rThe width value has to be "
     "one of\\r640,800,832,1024,1152,1280 or 1600\"\n", ""},
    {__LINE__, {"show"}, "", 1,
     "File:        Tolvex.ini (0 bytes)\n"
     "Text:        \"\"\n"
     "Result:      ignored: the file is empty, and Tolvex goes on with its defaults\n"
     "Depth:       16 bits per pixel (default)\n"
     "Width:       800 (default)\n"
     "Height:      600 (default)\n"
     "Strictness:  strict: nothing is started when the mode cannot be set (default)\n"
     "Application: PROJECTOR.EXE (in Tolvex's folder) (default)\n", ""},
    {__LINE__, {"show"}, "\xCE\xC9\xD3\xC9\xCB\xCF\xF2\xF5", 1,
     "File:        Tolvex.ini (8 bytes)\n"
     "Text:        \"\\xCE\\xC9\\xD3\\xC9\\xCB\\xCF\\xF2\\xF5\"\n"
     "Result:      ignored: no setting can be read from the text, and Tolvex goes on with its "
     "defaults\n"
     "Depth:       16 bits per pixel (default)\n"
     "Width:       800 (default)\n"
     "Height:      600 (default)\n"
     "Strictness:  strict: nothing is started when the mode cannot be set (default)\n"
     "Application: PROJECTOR.EXE (in Tolvex's folder) (default)\n"
     "Hint:        the file looks like plain text, but Tolvex reads every byte complemented;\n"
     "             make it with 'tolvex-ini write' or 'tolvex-ini encode < FILE > Tolvex.ini'\n",
     ""},
    {__LINE__, {"show"}, nullptr, 2, "",
     "tolvex-ini: cannot read 'Tolvex.ini': No such file or directory\n"},
    // Names as their characters on code page 932 ("表示", a half-width "ｦ"), but not a control
    // byte, nor a lead byte without its second byte; the text's bytes stay escaped.
    {__LINE__, {"show", "\x95\\\x8E\xA6\xA6\x83\t\x83"}, nullptr, 0,
     "File:        \x95\\\x8E\xA6\xA6\\x83\\t\\x83 (21 bytes)\n"
     "Text:        \"16,800,600,1,\\x95\\\\\\x8E\\xA6.exe\"\n"
     "Result:      accepted with an application\n"
     "Depth:       16 bits per pixel\nWidth:       800\nHeight:      600\n"
     "Strictness:  strict: nothing is started when the mode cannot be set\n"
     "Application: \x95\\\x8E\xA6.exe (in Tolvex's folder)\n", "",
     [](FakeToolIo& io, tolvex::FakePlatform&) {
       io.files["\x95\\\x8E\xA6\xA6\x83\t\x83"] = storedSettings("16,800,600,1,\x95\\\x8E\xA6.exe");
       io.characters = true;
       io.codePage = tolvex::shiftJis();
     }},
    {__LINE__, {"show", "a.ini", "b.ini"}, nullptr, 2, "",
     "tolvex-ini: show: too many arguments, starting with 'b.ini'" + kTry},
    {__LINE__, {"show", "--all"}, nullptr, 2, "", "tolvex-ini: show: unrecognized option '--all'" + kTry},
    // check, modes and restore
    {__LINE__, {"check"}, "16,1152,864,1", 1,
     "Tolvex:      Tolvex.exe (nothing is switched, started or written by this check)\n"
     "Settings:    Tolvex.ini (in the current folder): read, 13 bytes\n"
     "Text:        \"16,1152,864,1\"\n"
     "Result:      accepted: 4 of the 5 fields, the others keep their defaults\n"
     "Depth:       16 bits per pixel\n"
     "Width:       1152\n"
     "Height:      864\n"
     "Strictness:  strict: nothing is started when the mode cannot be set\n"
     "Application: PROJECTOR.EXE (in Tolvex's folder) (default)\n"
     "Display:     1152 x 864 at 16 bits per pixel: DISP_CHANGE_BADMODE\n"
     "             1152 x 864 at 16 bits per pixel, asked again with storing for all users: "
     "DISP_CHANGE_BADMODE\n"
     "Launch:      not tried: the run ends before the launch\n"
     "Switch back: to the stored mode, 1280 x 1024 at 32 bits per pixel: DISP_CHANGE_SUCCESSFUL\n"
     "Other copy:  none running\n"
     "Verdict:     Tolvex shows this message box and starts nothing\n"
     "Caption:     Tolvex Error: DISP_CHANGE_BADMODE\n"
     "Message:     | 16 bits per pixel, 1152 width x 864 height\n"
     "             |\n"
     "             | The graphics mode requested is not supported.\n"
     "Exact text:  \"16 bits per pixel, 1152 width x 864 height\\r\\rThe graphics mode requested "
     "is not supported.\"\n", "",
     [](FakeToolIo& io, tolvex::FakePlatform& system) {
       display(io, system);
       system.changeResults = {-2, -2};
     }},
    // The stored request cannot be stored back: the screen still goes back, unstored.
    {__LINE__, {"check"}, "16,1152,864,1,GAME.EXE", 0,
     "Tolvex:      Tolvex.exe (nothing is switched, started or written by this check)\n"
     "Settings:    Tolvex.ini (in the current folder): read, 22 bytes\n"
     "Text:        \"16,1152,864,1,GAME.EXE\"\n"
     "Result:      accepted with an application\n"
     "Depth:       16 bits per pixel\n"
     "Width:       1152\n"
     "Height:      864\n"
     "Strictness:  strict: nothing is started when the mode cannot be set\n"
     "Application: GAME.EXE (in Tolvex's folder)\n"
     "Display:     1152 x 864 at 16 bits per pixel: DISP_CHANGE_BADMODE\n"
     "             1152 x 864 at 16 bits per pixel, asked again with storing for all users: "
     "DISP_CHANGE_SUCCESSFUL\n"
     "Colour layer: the title starts with __COMPAT_LAYER=16BITCOLOR\n"
     "Launch:      GAME.EXE: there\n"
     "Switch back: to the stored mode, 1280 x 1024 at 32 bits per pixel, storing it again for "
     "all users: DISP_CHANGE_NOTUPDATED\n"
     "             to the stored mode, 1280 x 1024 at 32 bits per pixel, asked again without "
     "storing: DISP_CHANGE_SUCCESSFUL\n"
     "Other copy:  none running\n"
     "Verdict:     Tolvex switches to 1152 x 864 at 16 bits per pixel and starts GAME.EXE\n", "",
     [](FakeToolIo& io, tolvex::FakePlatform& system) {
       io.files["GAME.EXE"] = {};
       display(io, system);
       system.versionMajor = 10;  // where Tolvex adds a colour layer
       system.changeResults = {-2, 0, -3, 0};
     }},
    {__LINE__, {"check", "missing.ini"}, nullptr, 2, "",
     "tolvex-ini: cannot read 'missing.ini': No such file or directory\n", display},
    {__LINE__, {"check", "--tolvex"}, nullptr, 2, "",
     "tolvex-ini: option requires an argument -- 'tolvex'" + kTry, display},
    {__LINE__, {"modes"}, nullptr, 0,
     "Now:         800 x 600, 32 bits per pixel, 60 Hz\n"
     "Stored:      1280 x 1024, 32 bits per pixel, 60 Hz\n"
     "Modes:       6, by size; * marks the widths a Tolvex settings file can ask for\n"
     "  *   640 x 480   8 bits: default\n"
     "  *   800 x 600   16 bits: 60 Hz; 32 bits: 60, 75 Hz  <- now\n"
     "  *  1280 x 1024  32 bits: 60 Hz  <- stored\n"
     "     1366 x 768   32 bits: 60 Hz\n", "", display},
    {__LINE__, {"modes", "x"}, nullptr, 2, "", "tolvex-ini: modes: unexpected argument 'x'" + kTry,
     display},
    {__LINE__, {"restore"}, nullptr, 0,
     "Stored mode: 1280 x 1024, 32 bits per pixel, 60 Hz\n"
     "Before:      800 x 600, 32 bits per pixel, 60 Hz\n"
     "Restore:     DISP_CHANGE_SUCCESSFUL\n"
     "After:       1280 x 1024, 32 bits per pixel, 60 Hz\n"
     "             the display is back in the stored mode: 1280 x 1024, 32 bits per pixel, 60 "
     "Hz\n", "", display},
    {__LINE__, {"restore"}, nullptr, 1,
     "Stored mode: unknown: the display does not say\n"
     "Before:      unknown: the display does not say\n"
     "Restore:     -7, a code Tolvex has no message for\n"
     "After:       unknown: the display does not say\n", "",
     [](FakeToolIo& io, tolvex::FakePlatform& system) {
       display(io, system);
       system.enumSucceeds = false;
       system.changeResults = {-7};
     }},
    {__LINE__, {"restore"}, nullptr, 2, "",
     "tolvex-ini: restore needs Windows: it asks the display of the machine Tolvex runs on; run "
     "tolvex-ini.exe there\n"},
    // encode, decode and the command line
    {__LINE__, {"decode"}, nullptr, 2, "", "tolvex-ini: standard input: Input/output error\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) { io.inputFails = true; }},
    {__LINE__, {"encode"}, nullptr, 2, "", "tolvex-ini: standard output: No space left on device\n",
     [](FakeToolIo& io, tolvex::FakePlatform&) {
       io.input = {1};
       io.outputFails = true;
     }},
    {__LINE__, {"encode", "Tolvex.ini"}, nullptr, 2, "",
     "tolvex-ini: encode: unexpected argument 'Tolvex.ini'; it reads standard input and writes "
     "standard output" + kTry},
    {__LINE__, {"--version"}, nullptr, 0, "tolvex-ini (Tolvex) 1.2.1.0\n", ""},
    {__LINE__, {}, nullptr, 2, "", "tolvex-ini: missing command" + kTry},
    {__LINE__, {"wrte", "16"}, nullptr, 2, "", "tolvex-ini: unknown command 'wrte'" + kTry},
    {__LINE__, {"--verbose"}, nullptr, 2, "", "tolvex-ini: unrecognized option '--verbose'" + kTry},
};
// clang-format on

TEST(CommandLine, SaysWhatItAlwaysHasByteForByte) {
  for (const Golden& c : kGolden) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeToolIo io;
    tolvex::FakePlatform system;
    if (c.settings != nullptr) {
      io.files["Tolvex.ini"] = storedSettings(c.settings);
    }
    if (c.setUp) {
      c.setUp(io, system);
    }
    EXPECT_EQ(c.status, io.run(c.args));
    EXPECT_EQ(c.out, io.out);
    EXPECT_EQ(c.err, io.err);
  }
}

TEST(CommandLine, HelpForEveryCommand) {
  FakeToolIo io;
  EXPECT_EQ(0, io.run({"--help"}));
  EXPECT_EQ(0u, io.out.find("Usage: tolvex-ini write [-o FILE] [--force] DEPTH WIDTH HEIGHT "
                            "[STRICT [APP]]\n"));
  const std::string help = io.out;
  EXPECT_EQ(0, io.run({"write", "--help"}));
  EXPECT_EQ(help, io.out);
  EXPECT_EQ(0, io.run({"show", "-h"}));
  EXPECT_EQ(help, io.out);
}

// tolvex-ini.exe splits its command line itself, as the C runtime did: arguments joined by "|".
TEST(CommandLine, SplitAsTheWindowsCRuntimeDid) {
  const std::pair<const char*, const char*> rows[] = {
      {R"("C:\A B\tolvex-ini.exe"  show "x y.ini")", R"(C:\A B\tolvex-ini.exe|show|x y.ini)"},
      {R"(t -o C:\d\ a\\"b c" \\\"q)", R"(t|-o|C:\d\|a\b c|\"q)"},
      {R"(t "a ""b"" c" "" x"y)", R"(t|a "b|c "|xy)"},
      {R"(t "a""b c" """d e")", R"(t|a"b|c "d e)"},
      {"t\ta\t\"b\tc\"\t", "t|a|b\tc"},
      {"show \"\x90\xDD\x92\xE8\x95\x5C\" \x95", "show|\x90\xDD\x92\xE8\x95\x5C|\x95"},
  };
  for (const auto& [line, expected] : rows) {
    char text[64];
    const char* argv[8];
    const int count =
        tolvex_ini::splitCommandLine(line, tolvex::shiftJis(), text, sizeof text, argv, 8);
    std::string joined;
    for (int i = 0; i < count; ++i) {
      joined += (i == 0 ? "" : "|") + std::string(argv[i]);
    }
    EXPECT_EQ(expected, joined) << line;
  }
  char small[8];
  const char* argv[2];
  EXPECT_EQ(-1, tolvex_ini::splitCommandLine("t 12345678", {}, small, sizeof small, argv, 2));
  EXPECT_EQ(-1, tolvex_ini::splitCommandLine("t a b", {}, small, sizeof small, argv, 2));
}

// The box that names a folder the code page lacks is UTF-8: shown as bytes, never as
// characters of the code page, where names are.
TEST(MessageBox, UnicodeTextStaysEscapedWhereNamesAreCharacters) {
  tolvex::FixedText<256> text;
  TextInto<256> out(text);
  out.namesAsCharacters(tolvex::shiftJis());
  printMessageBox(out, "c", "\x95\\ \xC5\x81", true);
  out.messageLines("\x95\\", nullptr, "");
  EXPECT_STREQ(
      "Caption:     c\nMessage:     | \\x95\\ \\xC5\\x81\nExact text:  \"\\x95\\\\ \\xC5\\x81\"\n"
      "\x95\\\n",
      text.c_str());
}

TEST(EncodeDecode, ComplementEveryByteBothWays) {
  Bytes all;
  for (int round = 0; round < 600; ++round) {  // more than one read's worth
    for (int b = 0; b < 256; ++b) {
      all.push_back(static_cast<std::uint8_t>(b));
    }
  }
  FakeToolIo encode;
  encode.input = all;
  EXPECT_EQ(0, encode.run({"encode"}));
  EXPECT_TRUE(encode.binaryStreams);
  EXPECT_EQ(storedSettings(std::string(all.begin(), all.end())), encode.output);
  FakeToolIo decode;
  decode.input = encode.output;
  EXPECT_EQ(0, decode.run({"decode"}));
  EXPECT_EQ(all, decode.output);
}

}  // namespace
}  // namespace tolvex_commands
