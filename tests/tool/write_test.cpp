// tolvex-ini write: what reaches the disk, and every refusal with its message.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/tool/fake_tool_io.h"

namespace tolvex_ini {
namespace {

struct RoundTrip {
  int line;
  std::vector<std::string> args;  // after "write"
  std::string path;               // where the file lands
  std::string text;               // the decoded text written
  std::string wrote;              // the confirmation on standard output
  // show's report of the file written
  std::string depth, width, height, strictness, application;
};

const std::string kStrict = "strict: nothing is started when the mode cannot be set";
const std::string kLenient = "lenient: the application is started even when the mode cannot be set";

const RoundTrip kRoundTrips[] = {
    {__LINE__,
     {"16", "800", "600"},
     "Tolvex.ini",
     "16,800,600",
     "Wrote 'Tolvex.ini': 16 bits per pixel, 800 x 600, strict, application PROJECTOR.EXE "
     "(default)\n",
     "16 bits per pixel",
     "800",
     "600",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    {__LINE__,
     {"24", "1024", "768"},
     "Tolvex.ini",
     "24,1024,768",
     "Wrote 'Tolvex.ini': 32 bits per pixel (24 in the file), 1024 x 768, strict, application "
     "PROJECTOR.EXE (default)\n",
     "32 bits per pixel (24 in the file)",
     "1024",
     "768",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    {__LINE__,
     {"8", "640", "480", "0"},
     "Tolvex.ini",
     "8,640,480,0",
     "Wrote 'Tolvex.ini': 8 bits per pixel, 640 x 480, lenient, application PROJECTOR.EXE "
     "(default)\n",
     "8 bits per pixel",
     "640",
     "480",
     kLenient,
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    {__LINE__,
     {"32", "1600", "1200", "1", "show.exe"},
     "Tolvex.ini",
     "32,1600,1200,1,show.exe",
     "Wrote 'Tolvex.ini': 32 bits per pixel, 1600 x 1200, strict, application show.exe\n",
     "32 bits per pixel",
     "1600",
     "1200",
     kStrict,
     "show.exe (in Tolvex's folder)"},
    {__LINE__,
     {"16", "832", "624", "0", "games\\run.exe"},
     "Tolvex.ini",
     "16,832,624,0,games\\run.exe",
     "Wrote 'Tolvex.ini': 16 bits per pixel, 832 x 624, lenient, application games\\run.exe\n",
     "16 bits per pixel",
     "832",
     "624",
     kLenient,
     "games\\run.exe (in Tolvex's folder)"},
    // Any height goes, to the ends of the 32-bit range; "-600" is a value, not an option.
    {__LINE__,
     {"16", "1152", "-600"},
     "Tolvex.ini",
     "16,1152,-600",
     "Wrote 'Tolvex.ini': 16 bits per pixel, 1152 x -600, strict, application PROJECTOR.EXE "
     "(default)\n",
     "16 bits per pixel",
     "1152",
     "-600",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    {__LINE__,
     {"16", "1280", "0"},
     "Tolvex.ini",
     "16,1280,0",
     "",
     "16 bits per pixel",
     "1280",
     "0",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    {__LINE__,
     {"16", "800", "-2147483648"},
     "Tolvex.ini",
     "16,800,-2147483648",
     "",
     "16 bits per pixel",
     "800",
     "-2147483648",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    {__LINE__,
     {"16", "800", "2147483647"},
     "Tolvex.ini",
     "16,800,2147483647",
     "",
     "16 bits per pixel",
     "800",
     "2147483647",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    // Values are written the way Tolvex prints them back.
    {__LINE__,
     {"+16", "0800", "-0"},
     "Tolvex.ini",
     "16,800,0",
     "",
     "16 bits per pixel",
     "800",
     "0",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    // The shortest name Tolvex takes, names that look like numbers, and bytes beyond ASCII.
    {__LINE__,
     {"16", "800", "600", "1", "b.exe"},
     "Tolvex.ini",
     "16,800,600,1,b.exe",
     "",
     "16 bits per pixel",
     "800",
     "600",
     kStrict,
     "b.exe (in Tolvex's folder)"},
    {__LINE__,
     {"16", "800", "600", "1", "12345"},
     "Tolvex.ini",
     "16,800,600,1,12345",
     "",
     "16 bits per pixel",
     "800",
     "600",
     kStrict,
     "12345 (in Tolvex's folder)"},
    {__LINE__,
     {"16", "800", "600", "1", "sh\xE9w.exe"},
     "Tolvex.ini",
     "16,800,600,1,sh\xE9w.exe",
     "",
     "16 bits per pixel",
     "800",
     "600",
     kStrict,
     "sh\\xE9w.exe (in Tolvex's folder)"},
    // Where the file goes.
    {__LINE__,
     {"-o", "Intro.ini", "16", "800", "600"},
     "Intro.ini",
     "16,800,600",
     "",
     "16 bits per pixel",
     "800",
     "600",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    {__LINE__,
     {"16", "800", "600", "-oD:\\Shows\\Intro.ini"},
     "D:\\Shows\\Intro.ini",
     "16,800,600",
     "",
     "16 bits per pixel",
     "800",
     "600",
     kStrict + " (default)",
     "PROJECTOR.EXE (in Tolvex's folder) (default)"},
    {__LINE__,
     {"-o", "x.ini", "--", "16", "800", "600", "0", "-x.exe"},
     "x.ini",
     "16,800,600,0,-x.exe",
     "",
     "16 bits per pixel",
     "800",
     "600",
     kLenient,
     "-x.exe (in Tolvex's folder)"},
};

TEST(Write, RoundTripsThroughTolvexsReader) {
  for (const RoundTrip& c : kRoundTrips) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeToolIo io;
    std::vector<std::string> args{"write"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(0, io.run(args)) << io.err;
    EXPECT_EQ("", io.err);
    if (!c.wrote.empty()) {
      EXPECT_EQ(c.wrote, io.out);
    }
    ASSERT_EQ(1u, io.files.count(c.path));
    EXPECT_EQ(c.text, decoded(io.files[c.path]));

    ASSERT_EQ(0, io.run({"show", c.path.c_str()})) << io.out;
    const auto fields = std::count(c.text.begin(), c.text.end(), ',') + 1;
    EXPECT_EQ(fields == 5 ? "accepted with an application"
                          : "accepted: " + std::to_string(fields) +
                                " of the 5 fields, the others keep their defaults",
              reportLine(io.out, "Result:"));
    EXPECT_EQ(c.depth, reportLine(io.out, "Depth:"));
    EXPECT_EQ(c.width, reportLine(io.out, "Width:"));
    EXPECT_EQ(c.height, reportLine(io.out, "Height:"));
    EXPECT_EQ(c.strictness, reportLine(io.out, "Strictness:"));
    EXPECT_EQ(c.application, reportLine(io.out, "Application:"));
  }
}

struct Refusal {
  int line;
  std::vector<std::string> args;  // after "write"
  int status;
  std::string err;
};

const std::string kTry = "Try 'tolvex-ini --help' for more information.\n";

const Refusal kRefusals[] = {
    // Tolvex's own rules, with Tolvex's own explanation, line by line.
    {__LINE__,
     {"15", "800", "600"},
     1,
     "tolvex-ini: Tolvex would reject DEPTH 15, saying:\n"
     "  The depth value has to be one of\n"
     "  8,16,24 or 32\n"},
    {__LINE__,
     {"0", "800", "600"},
     1,
     "tolvex-ini: Tolvex would reject DEPTH 0, saying:\n"
     "  The depth value has to be one of\n"
     "  8,16,24 or 32\n"},
    {__LINE__,
     {"16", "1000", "600"},
     1,
     "tolvex-ini: Tolvex would reject WIDTH 1000, saying:\n"
     "  The width value has to be one of\n"
     "  640,800,832,1024,1152,1280 or 1600\n"},
    {__LINE__,
     {"16", "-640", "480"},
     1,
     "tolvex-ini: Tolvex would reject WIDTH -640, saying:\n"
     "  The width value has to be one of\n"
     "  640,800,832,1024,1152,1280 or 1600\n"},
    {__LINE__,
     {"16", "800", "600", "2"},
     1,
     "tolvex-ini: Tolvex would reject STRICT 2, saying:\n"
     "  The strictFlag value can only be 1 or 0\n"},
    {__LINE__,
     {"16", "800", "600", "-1", "show.exe"},
     1,
     "tolvex-ini: Tolvex would reject STRICT -1, saying:\n"
     "  The strictFlag value can only be 1 or 0\n"},
    {__LINE__,
     {"16", "800", "600", "1", "a.ex"},
     1,
     "tolvex-ini: Tolvex would reject APP 'a.ex', saying:\n"
     "  The application name need to be more than four chars long\n"},
    {__LINE__,
     {"16", "800", "600", "1", ""},
     1,
     "tolvex-ini: Tolvex would reject APP '', saying:\n"
     "  The application name need to be more than four chars long\n"},
    // The first value Tolvex would reject is the one reported, in Tolvex's order.
    {__LINE__,
     {"7", "1000", "600", "5", "a"},
     1,
     "tolvex-ini: Tolvex would reject DEPTH 7, saying:\n"
     "  The depth value has to be one of\n"
     "  8,16,24 or 32\n"},
    {__LINE__,
     {"16", "1000", "600", "1", "my show.exe"},
     1,
     "tolvex-ini: Tolvex would reject WIDTH 1000, saying:\n"
     "  The width value has to be one of\n"
     "  640,800,832,1024,1152,1280 or 1600\n"},
    // Names Tolvex could not read back whole.
    {__LINE__,
     {"16", "800", "600", "1", "my show.exe"},
     1,
     "tolvex-ini: APP 'my show.exe' contains a blank, and Tolvex reads a name only up to the "
     "first blank\n"},
    {__LINE__,
     {"16", "800", "600", "1", "show.exe\t"},
     1,
     "tolvex-ini: APP 'show.exe\\t' contains a blank, and Tolvex reads a name only up to the "
     "first blank\n"},
    {__LINE__,
     {"16", "800", "600", "1", "a\rb.exe"},
     1,
     "tolvex-ini: APP 'a\\rb.exe' contains a blank, and Tolvex reads a name only up to the "
     "first blank\n"},
    {__LINE__,
     {"16", "800", "600", "1", "show,2.exe"},
     1,
     "tolvex-ini: APP 'show,2.exe' contains a comma, and Tolvex reads a comma as the end of a "
     "field\n"},
    {__LINE__,
     {"16", "800", "600", "1", std::string(256, 'n')},
     1,
     "tolvex-ini: APP is 256 bytes long, and Tolvex reads at most 255\n"},
    // Usage.
    {__LINE__, {}, 2, "tolvex-ini: write needs at least DEPTH, WIDTH and HEIGHT\n" + kTry},
    {__LINE__,
     {"16", "800"},
     2,
     "tolvex-ini: write needs at least DEPTH, WIDTH and HEIGHT\n" + kTry},
    {__LINE__,
     {"16", "800", "600", "1", "show.exe", "extra"},
     2,
     "tolvex-ini: write: too many arguments, starting with 'extra'\n" + kTry},
    {__LINE__,
     {"0x20", "800", "600"},
     2,
     "tolvex-ini: DEPTH is not a decimal number: '0x20'\n" + kTry},
    {__LINE__,
     {"16", "800", "6OO"},
     2,
     "tolvex-ini: HEIGHT is not a decimal number: '6OO'\n" + kTry},
    {__LINE__, {"16", "", "600"}, 2, "tolvex-ini: WIDTH is not a decimal number: ''\n" + kTry},
    {__LINE__,
     {"16", "800", "600", "+"},
     2,
     "tolvex-ini: STRICT is not a decimal number: '+'\n" + kTry},
    {__LINE__,
     {"16", "800", "600", " 1"},
     2,
     "tolvex-ini: STRICT is not a decimal number: ' 1'\n" + kTry},
    {__LINE__,
     {"16", "800", "2147483648"},
     2,
     "tolvex-ini: HEIGHT is out of range: '2147483648' (Tolvex reads numbers from -2147483648 to "
     "2147483647)\n"},
    {__LINE__,
     {"16", "800", "-2147483649"},
     2,
     "tolvex-ini: HEIGHT is out of range: '-2147483649' (Tolvex reads numbers from -2147483648 "
     "to 2147483647)\n"},
    {__LINE__,
     {"99999999999999999999999", "800", "600"},
     2,
     "tolvex-ini: DEPTH is out of range: '99999999999999999999999' (Tolvex reads numbers from "
     "-2147483648 to 2147483647)\n"},
    {__LINE__,
     {"16", "800", "600", "0", "-show.exe"},
     2,
     "tolvex-ini: write: unrecognized option '-show.exe'\n" + kTry},
    {__LINE__,
     {"--frobnicate", "16", "800", "600"},
     2,
     "tolvex-ini: write: unrecognized option '--frobnicate'\n" + kTry},
    {__LINE__,
     {"16", "800", "600", "-o"},
     2,
     "tolvex-ini: option requires an argument -- 'o'\n" + kTry},
    {__LINE__,
     {"-o", "", "16", "800", "600"},
     2,
     "tolvex-ini: write: the file name is empty\n" + kTry},
};

TEST(Write, RefusesWhatTolvexWouldNotReadAsAsked) {
  for (const Refusal& c : kRefusals) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeToolIo io;
    std::vector<std::string> args{"write"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(c.status, io.run(args));
    EXPECT_EQ(c.err, io.err);
    EXPECT_EQ("", io.out);
    EXPECT_EQ(0, io.writes) << "nothing is written";
  }
}

TEST(Write, KeepsAnExistingFileUnlessForced) {
  FakeToolIo io;
  io.files["Tolvex.ini"] = complemented("8,640,480");
  EXPECT_EQ(1, io.run({"write", "16", "800", "600"}));
  EXPECT_EQ("tolvex-ini: 'Tolvex.ini' already exists; use --force to replace it\n", io.err);
  EXPECT_EQ("8,640,480", decoded(io.files["Tolvex.ini"]));

  EXPECT_EQ(0, io.run({"write", "--force", "16", "800", "600"}));
  EXPECT_EQ("16,800,600", decoded(io.files["Tolvex.ini"]));

  // A refused value never touches the file, forced or not.
  EXPECT_EQ(1, io.run({"write", "--force", "16", "801", "600"}));
  EXPECT_EQ("16,800,600", decoded(io.files["Tolvex.ini"]));
}

TEST(Write, FailsLoudlyWhenTheDiskDoesNotKeepWhatWasWritten) {
  {
    SCOPED_TRACE("the file cannot be written");
    FakeToolIo io;
    io.writeFailure = "Permission denied";
    EXPECT_EQ(2, io.run({"write", "-o", "ro/Tolvex.ini", "16", "800", "600"}));
    EXPECT_EQ("tolvex-ini: cannot write 'ro/Tolvex.ini': Permission denied\n", io.err);
    EXPECT_EQ("", io.out);
  }
  {
    SCOPED_TRACE("a byte changed on its way to the disk");
    FakeToolIo io;
    io.damageWrite = [](std::vector<std::uint8_t>& bytes) { bytes[1] = 0xC7; };  // '6' -> '8'
    EXPECT_EQ(2, io.run({"write", "16", "800", "600"}));
    EXPECT_EQ(0u, io.files.count("Tolvex.ini")) << "a file Tolvex would misread is removed";
    EXPECT_EQ(
        "tolvex-ini: 'Tolvex.ini' does not read back as written (10 bytes written, 10 read; "
        "Tolvex would read 3 fields, result -1); the file was removed\n",
        io.err);
    EXPECT_EQ("", io.out);
  }
  {
    SCOPED_TRACE("a short write that still reads as valid settings");
    FakeToolIo io;
    io.damageWrite = [](std::vector<std::uint8_t>& bytes) { bytes.resize(bytes.size() - 9); };
    EXPECT_EQ(2, io.run({"write", "16", "800", "600", "0", "show.exe"}));
    EXPECT_EQ(0u, io.files.count("Tolvex.ini"));
    EXPECT_EQ(
        "tolvex-ini: 'Tolvex.ini' does not read back as written (21 bytes written, 12 read; "
        "Tolvex would read 4 fields, result 0, 16 bits per pixel, 800 x 600, strictFlag 0, "
        "application 'PROJECTOR.EXE'); the file was removed\n",
        io.err);
  }
  {
    SCOPED_TRACE("the same bytes, but more of them");
    FakeToolIo io;
    io.damageWrite = [](std::vector<std::uint8_t>& bytes) { bytes.push_back(0xDF); };
    EXPECT_EQ(2, io.run({"write", "16", "800", "600"}));
    EXPECT_EQ(0u, io.files.count("Tolvex.ini"));
  }
}

}  // namespace
}  // namespace tolvex_ini
