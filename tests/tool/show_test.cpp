// tolvex-ini show, encode, decode and the command line around them; and that show and
// Tolvex's own settings stage (RunContext::readSettings) agree on every file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/run_context.h"
#include "tests/fake_platform.h"
#include "tests/tool/fake_tool_io.h"

namespace tolvex_ini {
namespace {

TEST(Show, ReportsAnAcceptedFileInFull) {
  FakeToolIo io;
  io.files["Tolvex.ini"] = complemented("16 800 600 0 show.exe");
  EXPECT_EQ(0, io.run({"show"}));
  EXPECT_EQ(
      "File:        Tolvex.ini (21 bytes)\n"
      "Text:        \"16 800 600 0 show.exe\"\n"
      "Result:      accepted with an application\n"
      "Depth:       16 bits per pixel\n"
      "Width:       800\n"
      "Height:      600\n"
      "Strictness:  lenient: the application is started even when the mode cannot be set\n"
      "Application: show.exe (in Tolvex's folder)\n",
      io.out);
  EXPECT_EQ("", io.err);
}

TEST(Show, ReportsARejectedFileWithTolvexsMessageBox) {
  FakeToolIo io;
  io.files["D:\\Shows\\Intro.ini"] = complemented("16,1000,600");
  EXPECT_EQ(1, io.run({"show", "D:\\Shows\\Intro.ini"}));
  EXPECT_EQ(
      "File:        D:\\Shows\\Intro.ini (11 bytes)\n"
      "Text:        \"16,1000,600\"\n"
      "Result:      rejected: Tolvex shows this message and starts nothing\n"
      "Caption:     Tolvex Error: Bad Tolvex.ini parameters\n"
      "Message:     | 16 bits per pixel, 1000 width x 600 height\n"
      "             |\n"
      "             | The width value has to be one of\n"
      "             | 640,800,832,1024,1152,1280 or 1600\n"
      "Exact text:  \"16 bits per pixel, 1000 width x 600 height\\r\\rThe width value has to be "
      "one of\\r640,800,832,1024,1152,1280 or 1600\"\n",
      io.out);
}

TEST(Show, HintsAtAFileThatWasNeverComplemented) {
  FakeToolIo io;
  io.files["Tolvex.ini"] = {'1', '6', ',', '6', '4', '0', ',', '4', '8', '0', '\r', '\n'};
  EXPECT_EQ(1, io.run({"show"}));
  EXPECT_EQ(
      "File:        Tolvex.ini (12 bytes)\n"
      "Text:        \"\\xCE\\xC9\\xD3\\xC9\\xCB\\xCF\\xD3\\xCB\\xC7\\xCF\\xF2\\xF5\"\n"
      "Result:      ignored: no setting can be read from the text, and Tolvex goes on with its "
      "defaults\n"
      "Depth:       16 bits per pixel (default)\n"
      "Width:       800 (default)\n"
      "Height:      600 (default)\n"
      "Strictness:  strict: nothing is started when the mode cannot be set (default)\n"
      "Application: PROJECTOR.EXE (in Tolvex's folder) (default)\n"
      "Hint:        the file looks like plain text, but Tolvex reads every byte complemented;\n"
      "             make it with 'tolvex-ini write' or 'tolvex-ini encode < FILE > Tolvex.ini'\n",
      io.out);
}

struct ShowCase {
  int line;
  std::vector<std::uint8_t> stored;
  int status;
  std::string text;                  // the Text line
  std::string result;                // the Result line
  std::string depth, width, height;  // when not empty
  std::string note;                  // the Note line, or "<missing>"
  std::vector<std::string> message;  // the message box lines, for a rejection
};

std::vector<std::uint8_t> withByte(std::vector<std::uint8_t> bytes, std::size_t at,
                                   std::uint8_t value) {
  bytes[at] = value;
  return bytes;
}

const std::string kIgnored =
    "ignored: no setting can be read from the text, and Tolvex goes on with its defaults";
const std::string kRejected = "rejected: Tolvex shows this message and starts nothing";
const std::string kNone = "<missing>";

const ShowCase kShowCases[] = {
    {__LINE__,
     complemented("24,1024,768"),
     0,
     "\"24,1024,768\"",
     "accepted: 3 of the 5 fields, the others keep their defaults",
     "32 bits per pixel (24 in the file)",
     "1024",
     "768",
     kNone,
     {}},
    {__LINE__,
     complemented("32"),
     0,
     "\"32\"",
     "accepted: 1 of the 5 fields, the others keep their defaults",
     "32 bits per pixel",
     "800 (default)",
     "600 (default)",
     kNone,
     {}},
    {__LINE__,
     complemented("16,abc,600"),
     0,
     "\"16,abc,600\"",
     "accepted: 1 of the 5 fields, the others keep their defaults",
     "16 bits per pixel",
     "800 (default)",
     "",
     kNone,
     {}},
    {__LINE__,
     complemented("16 800 600 0show.exe"),
     0,
     "\"16 800 600 0show.exe\"",
     "accepted with an application",
     "",
     "",
     "",
     kNone,
     {}},
    {__LINE__,
     complemented("x16"),
     1,
     "\"x16\"",
     kIgnored,
     "16 bits per pixel (default)",
     "",
     "",
     kNone,
     {}},
    {__LINE__,
     complemented(" \t\r\n\v\f "),
     1,
     "\" \\t\\r\\n\\x0B\\x0C \"",
     kIgnored,
     "",
     "",
     "",
     kNone,
     {}},
    {__LINE__,
     {},
     1,
     "\"\"",
     "ignored: the file is empty, and Tolvex goes on with its defaults",
     "",
     "",
     "",
     kNone,
     {}},
    {__LINE__,
     complemented("0x20"),
     1,
     "\"0x20\"",
     kRejected,
     "",
     "",
     "",
     kNone,
     {"0 bits per pixel, 0 width x 0 height", "", "The depth value has to be one of",
      "8,16,24 or 32"}},
    {__LINE__,
     complemented("16,800,600,2"),
     1,
     "\"16,800,600,2\"",
     kRejected,
     "",
     "",
     "",
     kNone,
     {"16 bits per pixel, 800 width x 600 height, 2 strictFlag", "",
      "The strictFlag value can only be 1 or 0"}},
    {__LINE__,
     complemented("16,800,600,1,a.ex"),
     1,
     "\"16,800,600,1,a.ex\"",
     kRejected,
     "",
     "",
     "",
     kNone,
     {"16 bits per pixel, 800 width x 600 height, app name 'a.ex'", "",
      "The application name need to be more than four chars long"}},
    {__LINE__,
     complemented("16,800,600,1," + std::string(300, 'n')),
     1,
     "",
     kRejected,
     "",
     "",
     "",
     kNone,
     {"16 bits per pixel, 800 width x 600 height, app name '" + std::string(255, 'n') + "'", "",
      "The application name need to be more than four chars long"}},
    // What Tolvex never reads is shown as such.
    {__LINE__,
     complemented(std::string(990, ' ') + "16,1024,768,0,x.exe"),
     0,
     "",
     "accepted: 3 of the 5 fields, the others keep their defaults",
     "16 bits per pixel",
     "1024",
     "7",
     "only the first 999 bytes count; the other 10 are never read",
     {}},
    {__LINE__,
     withByte(complemented("16,1024,768,0,show.exe"), 7, 0xFF),
     0,
     "\"16,1024\"",
     "accepted: 2 of the 5 fields, the others keep their defaults",
     "16 bits per pixel",
     "1024",
     "600 (default)",
     "the byte at offset 7 is stored as 0xFF, which ends the text; the 15 bytes from there on do "
     "not count",
     {}},
    {__LINE__,
     withByte(complemented(std::string(1200, ' ')), 0, 0xFF),
     1,
     "\"\"",
     kIgnored,
     "",
     "",
     "",
     "the byte at offset 0 is stored as 0xFF, which ends the text; the 1200 bytes from there "
     "on do not count",
     {}},
    // Every byte the text line has to make visible.
    {__LINE__,
     complemented("16,\"800\"\\\x01\x7F\x80\xFF"),
     0,
     "\"16,\\\"800\\\"\\\\\\x01\\x7F\\x80\\xFF\"",
     "accepted: 1 of the 5 fields, the others keep their defaults",
     "",
     "",
     "",
     kNone,
     {}},
};

TEST(Show, ResultsRequestsAndNotes) {
  for (const ShowCase& c : kShowCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeToolIo io;
    io.files["Tolvex.ini"] = c.stored;
    EXPECT_EQ(c.status, io.run({"show"})) << io.out;
    EXPECT_EQ("", io.err);
    if (!c.text.empty()) {
      EXPECT_EQ(c.text, reportLine(io.out, "Text:"));
    }
    EXPECT_EQ(c.result, reportLine(io.out, "Result:"));
    if (!c.depth.empty()) {
      EXPECT_EQ(c.depth, reportLine(io.out, "Depth:"));
    }
    if (!c.width.empty()) {
      EXPECT_EQ(c.width, reportLine(io.out, "Width:"));
    }
    if (!c.height.empty()) {
      EXPECT_EQ(c.height, reportLine(io.out, "Height:"));
    }
    EXPECT_EQ(c.note, reportLine(io.out, "Note:"));
    EXPECT_EQ(kNone, reportLine(io.out, "Hint:"));
    if (c.message.empty()) {
      EXPECT_EQ(kNone, reportLine(io.out, "Caption:"));
    } else {
      EXPECT_EQ("Tolvex Error: Bad Tolvex.ini parameters", reportLine(io.out, "Caption:"));
      std::string lines;
      for (const std::string& line : c.message) {
        lines += std::string(13, ' ') + (line.empty() ? "|" : "| " + line) + "\n";
      }
      lines.replace(0, 13, "Message:     ");
      EXPECT_NE(std::string::npos, io.out.find(lines)) << io.out;
    }
  }
}

TEST(Show, RefusesWhatItCannotRead) {
  FakeToolIo io;
  EXPECT_EQ(2, io.run({"show"}));
  EXPECT_EQ("tolvex-ini: cannot read 'Tolvex.ini': No such file or directory\n", io.err);
  EXPECT_EQ("", io.out);

  EXPECT_EQ(2, io.run({"show", "a.ini", "b.ini"}));
  EXPECT_EQ(
      "tolvex-ini: show: too many arguments, starting with 'b.ini'\n"
      "Try 'tolvex-ini --help' for more information.\n",
      io.err);
  EXPECT_EQ(2, io.run({"show", "--all"}));
  EXPECT_EQ(
      "tolvex-ini: show: unrecognized option '--all'\n"
      "Try 'tolvex-ini --help' for more information.\n",
      io.err);

  io.files["-odd.ini"] = complemented("16");
  EXPECT_EQ(0, io.run({"show", "--", "-odd.ini"}));
}

TEST(EncodeDecode, ComplementEveryByteBothWays) {
  std::vector<std::uint8_t> all;
  for (int round = 0; round < 600; ++round) {  // more than one read's worth
    for (int b = 0; b < 256; ++b) {
      all.push_back(static_cast<std::uint8_t>(b));
    }
  }
  FakeToolIo encode;
  encode.input = all;
  EXPECT_EQ(0, encode.run({"encode"}));
  EXPECT_TRUE(encode.binaryStreams);
  ASSERT_EQ(all.size(), encode.output.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    ASSERT_EQ(255 - all[i], encode.output[i]) << "byte " << i;
  }
  FakeToolIo decode;
  decode.input = encode.output;
  EXPECT_EQ(0, decode.run({"decode"}));
  EXPECT_EQ(all, decode.output);

  FakeToolIo text;
  text.input = {'1', '6'};
  EXPECT_EQ(0, text.run({"encode"}));
  EXPECT_EQ((std::vector<std::uint8_t>{0xCE, 0xC9}), text.output);

  FakeToolIo empty;
  EXPECT_EQ(0, empty.run({"decode"}));
  EXPECT_TRUE(empty.output.empty());
}

TEST(EncodeDecode, ReportStreamFailures) {
  FakeToolIo io;
  io.input = {1, 2, 3};
  io.inputFails = true;
  EXPECT_EQ(2, io.run({"decode"}));
  EXPECT_EQ("tolvex-ini: standard input: Input/output error\n", io.err);

  FakeToolIo full;
  full.input = {1, 2, 3};
  full.outputFails = true;
  EXPECT_EQ(2, full.run({"encode"}));
  EXPECT_EQ("tolvex-ini: standard output: No space left on device\n", full.err);

  FakeToolIo args;
  EXPECT_EQ(2, args.run({"encode", "Tolvex.ini"}));
  EXPECT_EQ(
      "tolvex-ini: encode: unexpected argument 'Tolvex.ini'; it reads standard input and writes "
      "standard output\nTry 'tolvex-ini --help' for more information.\n",
      args.err);
  EXPECT_FALSE(args.binaryStreams);
}

TEST(CommandLine, HelpVersionAndMistakes) {
  FakeToolIo io;
  EXPECT_EQ(0, io.run({"--version"}));
  EXPECT_EQ("tolvex-ini (Tolvex) 1.2.1.0\n", io.out);

  EXPECT_EQ(0, io.run({"--help"}));
  EXPECT_EQ(0u, io.out.find("Usage: tolvex-ini write [-o FILE] [--force] DEPTH WIDTH HEIGHT "
                            "[STRICT [APP]]\n"));
  EXPECT_EQ("", io.err);
  const std::string help = io.out;
  EXPECT_EQ(0, io.run({"write", "--help"}));
  EXPECT_EQ(help, io.out);
  EXPECT_EQ(0, io.run({"show", "-h"}));
  EXPECT_EQ(help, io.out);

  const std::string tryHelp = "Try 'tolvex-ini --help' for more information.\n";
  EXPECT_EQ(2, io.run({}));
  EXPECT_EQ("tolvex-ini: missing command\n" + tryHelp, io.err);
  EXPECT_EQ(2, io.run({"wrte", "16", "800", "600"}));
  EXPECT_EQ("tolvex-ini: unknown command 'wrte'\n" + tryHelp, io.err);
  EXPECT_EQ(2, io.run({"--verbose"}));
  EXPECT_EQ("tolvex-ini: unrecognized option '--verbose'\n" + tryHelp, io.err);
  EXPECT_EQ("", io.out);
}

// ---- show and Tolvex agree ----

// The quoted form of show's "Exact text" line, back to bytes.
std::string unescape(const std::string& quoted) {
  std::string bytes;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    if (quoted[i] != '\\') {
      bytes += quoted[i];
      continue;
    }
    const char kind = quoted[++i];
    if (kind == 'x') {
      bytes += static_cast<char>(std::stoi(quoted.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      bytes += kind == 'r' ? '\r' : kind == 'n' ? '\n' : kind == 't' ? '\t' : kind;
    }
  }
  return bytes;
}

bool startsWith(const std::string& line, const std::string& start) {
  return line.compare(0, start.size(), start) == 0 &&
         (line.size() == start.size() || line[start.size()] == ' ');
}

// Settings texts built from the pieces that matter to the reader, in any order.
std::vector<std::string> mixedTexts() {
  const char* const pieces[] = {
      "8", "16", "24",   "32",  "640",  "800", "1024",        "1600",        "768",   "0", "1",
      "2", "-1", "+600", "010", "0x20", "abc", "show.exe",    "a.ex",        "b.exe", ",", ",,",
      " ", "\t", "\r\n", "-",   "+",    "x",   "99999999999", "run\\me.exe", "\xE9"};
  const std::size_t n = sizeof pieces / sizeof pieces[0];
  std::vector<std::string> texts;
  std::uint32_t state = 12345;
  for (int t = 0; t < 600; ++t) {
    std::string text;
    const int parts = 1 + static_cast<int>(state % 12);
    for (int p = 0; p < parts; ++p) {
      state = state * 1103515245u + 12345u;
      text += pieces[(state >> 16) % n];
      state = state * 1103515245u + 12345u;
      if ((state >> 16) % 3 != 0) {
        text += (state >> 20) % 2 != 0 ? "," : " ";
      }
    }
    texts.push_back(text);
  }
  return texts;
}

TEST(ShowAgreesWithTolvex, OnEveryFile) {
  std::vector<std::string> texts = {"24,1024,768",
                                    "16 800 600 0 show.exe",
                                    "8,1600,1200,1,games\\run.exe",
                                    "16,1000,600",
                                    "32",
                                    "16,800,0",
                                    "16,800,-600",
                                    "16,800,600,1,a.ex",
                                    "16,800,600,1,b.exe",
                                    "x16",
                                    "16,0800,600",
                                    "010",
                                    "0x20",
                                    "16,,768",
                                    "16 800 600 0show.exe",
                                    "16-5",
                                    "16,abc,600",
                                    "16,800,600,2",
                                    "16,800,600,-1,show.exe",
                                    " \t\r\n\v\f ",
                                    "+16\n+1024\r\n+768",
                                    "- 16",
                                    "16 -",
                                    "16 800 600 1 show.exe and more",
                                    "16\xA0"
                                    "800",
                                    "99999999999,800",
                                    "16,800,-99999999999",
                                    "16,800,600,4294967297",
                                    "",
                                    std::string(990, ' ') + "16,1024,768,0,x.exe",
                                    "16,800,600,1," + std::string(255, 'n'),
                                    "16,800,600,1," + std::string(256, 'n')};
  for (const std::string& mixed : mixedTexts()) {
    texts.push_back(mixed);
  }
  int rejected = 0;
  int withApp = 0;
  for (const std::string& text : texts) {
    SCOPED_TRACE(testing::Message() << "text '" << text << "'");
    tolvex::FakePlatform platform;
    platform.files["Tolvex.ini"] = tolvex::storedSettings(text);
    tolvex::RunContext run(platform, "Tolvex.exe");
    const int result = run.readSettings("Tolvex.ini");

    FakeToolIo io;
    io.files["Tolvex.ini"] = tolvex::storedSettings(text);
    const int status = io.run({"show"});
    const std::string verdict = reportLine(io.out, "Result:");
    if (result < 0) {
      ++rejected;
      EXPECT_EQ(1, status);
      EXPECT_EQ(kRejected, verdict);
      ASSERT_EQ(1u, platform.boxes.size());
      EXPECT_EQ(platform.boxes[0].caption, reportLine(io.out, "Caption:"));
      EXPECT_EQ(platform.boxes[0].text, unescape(reportLine(io.out, "Exact text:")));
      continue;
    }
    withApp += result == 1;
    EXPECT_EQ(result == 1, verdict == "accepted with an application") << verdict;
    EXPECT_EQ(verdict.compare(0, 8, "ignored:") == 0 ? 1 : 0, status);
    EXPECT_TRUE(
        startsWith(reportLine(io.out, "Depth:"), std::to_string(run.depth) + " bits per pixel"));
    EXPECT_TRUE(startsWith(reportLine(io.out, "Width:"), std::to_string(run.width)));
    EXPECT_TRUE(startsWith(reportLine(io.out, "Height:"), std::to_string(run.height)));
    EXPECT_TRUE(startsWith(reportLine(io.out, "Strictness:"),
                           run.strictFlag != 0 ? "strict:" : "lenient:"));
    const std::string app = reportLine(io.out, "Application:");
    if (text.find('\xE9') == std::string::npos) {
      EXPECT_TRUE(startsWith(app, std::string(run.appPath.c_str()) + " (in Tolvex's folder)"))
          << app;
    }
  }
  // The mixture has to reach every outcome for the comparison to mean something.
  EXPECT_GT(rejected, 50);
  EXPECT_GT(withApp, 5);
}

}  // namespace
}  // namespace tolvex_ini
