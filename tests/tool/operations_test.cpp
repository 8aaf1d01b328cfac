// The commands on their outcomes: what write refuses and writes, what show and check find, the
// modes and the way back to the stored one. How tolvex-ini words them: golden_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_context.h"
#include "tests/tool/fake_tool_io.h"

namespace tolvex_commands {
namespace {

// ---- write ----

struct Typed {
  int line;
  int fields;
  std::vector<std::int64_t> numbers;
  const char* program;
  Field refused;
  Refusal why;
  std::int64_t value;
};

// clang-format off
const Typed kRefusals[] = {
    {__LINE__, 3, {15, 800, 600}, nullptr, Field::kDepth, Refusal::kTolvexsRule, 15},
    {__LINE__, 3, {0, 800, 600}, nullptr, Field::kDepth, Refusal::kTolvexsRule, 0},
    {__LINE__, 3, {16, 1000, 600}, nullptr, Field::kWidth, Refusal::kTolvexsRule, 1000},
    {__LINE__, 3, {16, 800, 2147483648LL}, nullptr, Field::kHeight, Refusal::kOutOfRange,
     2147483648LL},
    {__LINE__, 4, {16, 800, 600, 2}, nullptr, Field::kStrict, Refusal::kTolvexsRule, 2},
    {__LINE__, 5, {16, 800, 600, -1}, "show.exe", Field::kStrict, Refusal::kTolvexsRule, -1},
    {__LINE__, 4, {16, 800, 600, -2147483649LL}, nullptr, Field::kStrict, Refusal::kOutOfRange,
     -2147483649LL},
    {__LINE__, 5, {16, 800, 600, 1}, "a.ex", Field::kProgram, Refusal::kTolvexsRule, 0},
    {__LINE__, 5, {16, 800, 600, 1}, "", Field::kProgram, Refusal::kTolvexsRule, 0},
    {__LINE__, 5, {16, 800, 600, 1}, "MY WIDTH.EXE", Field::kProgram, Refusal::kBlank, 0},
    {__LINE__, 5, {16, 800, 600, 1}, "show.exe\t", Field::kProgram, Refusal::kBlank, 0},
    {__LINE__, 5, {16, 800, 600, 1}, "show,2.exe", Field::kProgram, Refusal::kComma, 0},
    // The first value Tolvex would reject is the one refused, in Tolvex's order.
    {__LINE__, 5, {7, 1000, 600, 5}, "a", Field::kDepth, Refusal::kTolvexsRule, 7},
    {__LINE__, 5, {16, 1000, 600, 1}, "my show.exe", Field::kWidth, Refusal::kTolvexsRule, 1000},
};
// clang-format on

WriteRequest request(int fields, const std::vector<std::int64_t>& numbers, const char* program) {
  WriteRequest r;
  r.fields = fields;
  std::copy(numbers.begin(), numbers.end(), r.numbers);
  r.program = program;
  return r;
}

TEST(Write, RefusesAValueWithItsField) {
  const std::string tooLong(256, 'n');
  std::vector<Typed> rows(std::begin(kRefusals), std::end(kRefusals));
  rows.push_back(
      {__LINE__, 5, {16, 800, 600, 1}, tooLong.c_str(), Field::kProgram, Refusal::kTooLong, 0});
  for (const Typed& c : rows) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeToolIo io;
    const WriteOutcome outcome = writeSettings(io, request(c.fields, c.numbers, c.program));
    EXPECT_EQ(WriteStatus::kRefused, outcome.status);
    EXPECT_EQ(c.refused, outcome.refused);
    EXPECT_EQ(c.why, outcome.why);
    EXPECT_EQ(c.value, outcome.value);
    EXPECT_EQ(c.why == Refusal::kTolvexsRule, outcome.explanation != nullptr);
    EXPECT_EQ(0, io.writes) << "nothing is written";
  }
}

struct RoundTrip {
  int line;
  std::vector<std::string> args;  // after "write"
  std::string path;               // where the file lands
  std::string text;               // the decoded text written
};

// clang-format off
const RoundTrip kRoundTrips[] = {
    {__LINE__, {"8", "640", "480", "0"}, "Tolvex.ini", "8,640,480,0"},
    {__LINE__, {"32", "1600", "1200", "1", "show.exe"}, "Tolvex.ini", "32,1600,1200,1,show.exe"},
    {__LINE__, {"16", "832", "624", "0", "games\\run.exe"}, "Tolvex.ini",
     "16,832,624,0,games\\run.exe"},
    // Any height goes, to the ends of the 32-bit range; "-600" is a value, not an option.
    {__LINE__, {"16", "1152", "-600"}, "Tolvex.ini", "16,1152,-600"},
    {__LINE__, {"16", "800", "-2147483648"}, "Tolvex.ini", "16,800,-2147483648"},
    {__LINE__, {"16", "800", "2147483647"}, "Tolvex.ini", "16,800,2147483647"},
    // Values are written the way Tolvex prints them back.
    {__LINE__, {"+16", "0800", "-0"}, "Tolvex.ini", "16,800,0"},
    // The shortest name Tolvex takes, names that look like numbers, and bytes beyond ASCII.
    {__LINE__, {"16", "800", "600", "1", "b.exe"}, "Tolvex.ini", "16,800,600,1,b.exe"},
    {__LINE__, {"16", "800", "600", "1", "12345"}, "Tolvex.ini", "16,800,600,1,12345"},
    {__LINE__, {"16", "800", "600", "1", "sh\xE9w.exe"}, "Tolvex.ini", "16,800,600,1,sh\xE9w.exe"},
    // Where the file goes.
    {__LINE__, {"16", "800", "600", "-oD:\\Shows\\Intro.ini"}, "D:\\Shows\\Intro.ini",
     "16,800,600"},
    {__LINE__, {"-o", "x.ini", "--", "16", "800", "600", "0", "-x.exe"}, "x.ini",
     "16,800,600,0,-x.exe"},
};
// clang-format on

TEST(Write, RoundTripsThroughTolvexsReader) {
  for (const RoundTrip& c : kRoundTrips) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeToolIo io;
    std::vector<std::string> args{"write"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(0, io.run(args)) << io.err;
    ASSERT_EQ(1u, io.files.size()) << "no temporary file is left";
    EXPECT_EQ(c.text, decoded(io.files[c.path]));
    ShowOutcome shown;
    showSettings(io, c.path.c_str(), shown);
    const int fields = 1 + static_cast<int>(std::count(c.text.begin(), c.text.end(), ','));
    EXPECT_EQ(fields == 5 ? FileVerdict::kAcceptedWithApp : FileVerdict::kAccepted, shown.verdict);
    EXPECT_EQ(fields, shown.accepted);
  }
}

TEST(Write, ReadsBackAsAskedOnlyWhatWasAsked) {  // field for field, 24 read as 32
  for (const std::string text : {"32,800,600,1,GAME.EXE", "16,800,600,1,GAME.EXE",
                                 "24,640,600,1,GAME.EXE", "24,800,601,1,GAME.EXE"}) {
    Reading reading;
    readStored(storedSettings(text).data(), text.size(), reading);
    EXPECT_EQ(text[0] == '3', readsAsAsked(request(5, {24, 800, 600, 1}, "GAME.EXE"), reading))
        << text;
  }
}

TEST(Write, NeverLosesTheOldFile) {
  const Bytes old = storedSettings("8,640,480");
  FakeToolIo io;
  io.files["Tolvex.ini"] = old;
  WriteRequest asked = request(3, {16, 800, 600}, nullptr);
  {
    SCOPED_TRACE("kept without replace");
    const WriteOutcome outcome = writeSettings(io, asked);
    EXPECT_EQ(WriteStatus::kExists, outcome.status);
    EXPECT_EQ(0, io.writes);
  }
  {
    SCOPED_TRACE("a replacement that fails half-way");
    asked.replace = true;
    io.writeFailure = "File too large";
    io.writtenBeforeFailure = 5;
    const WriteOutcome outcome = writeSettings(io, asked);
    EXPECT_EQ(WriteStatus::kTrouble, outcome.status);
    EXPECT_EQ(FileStep::kWrite, outcome.trouble.step);
    EXPECT_TRUE(outcome.existed);
    EXPECT_EQ((std::map<std::string, Bytes>{{"Tolvex.ini", old}}), io.files);
  }
  {
    SCOPED_TRACE("a replacement that reads back otherwise than written");
    io.writeFailure = nullptr;
    io.damageWrite = [](Bytes& bytes) { bytes[1] = 0xC7; };
    const WriteOutcome outcome = writeSettings(io, asked);
    EXPECT_TRUE(outcome.mismatch && outcome.removed);
    EXPECT_EQ((std::map<std::string, Bytes>{{"Tolvex.ini", old}}), io.files);
    io.damageWrite = nullptr;
  }
  {
    SCOPED_TRACE("a file that appears before the new one takes its name");
    FileTrouble trouble;
    ReadBack back;
    EXPECT_FALSE(replaceFile(io, "Tolvex.ini", old.data(), 2, false, trouble, back));
    EXPECT_TRUE(trouble.exists);
    EXPECT_EQ((std::map<std::string, Bytes>{{"Tolvex.ini", old}}), io.files);
  }
  {
    SCOPED_TRACE("a temporary name in use is passed over, and that file kept");
    io.files["Tolvex.ini.new"] = {1};
    EXPECT_EQ(WriteStatus::kWritten, writeSettings(io, asked).status);
    EXPECT_EQ((std::map<std::string, Bytes>{{"Tolvex.ini", storedSettings("16,800,600")},
                                            {"Tolvex.ini.new", {1}}}),
              io.files);
  }
}

// Windows 9x replaces by moves alone: whichever step fails, the old bytes stay at the file's
// name or at the aside name, and tolvex-ini's message says which.
struct NineXCase {
  int line;
  std::vector<int> failingMoves;  // 1 aside, 2 in, 3 back
  bool undeletable;
  std::map<std::string, Bytes> files;  // after the write; "old" and "new" stand for the bytes
  const char* err;
};

TEST(Write, OnWindows9xTheOldFileIsAlwaysAtItsNameOrAside) {
  const Bytes old = storedSettings("8,640,480");
  const Bytes fresh = storedSettings("16,800,600");
  const char* kept = "tolvex-ini: cannot write 'Tolvex.ini': Sharing violation; the old file is ";
  const NineXCase cases[] = {
      {__LINE__, {}, false, {{"Tolvex.ini", fresh}}, ""},
      {__LINE__, {1}, false, {{"Tolvex.ini", old}}, "kept as it was\n"},
      {__LINE__, {2}, false, {{"Tolvex.ini", old}}, "kept as it was\n"},
      {__LINE__, {2, 3}, false, {{"Tolvex.ini.aside", old}}, "kept as 'Tolvex.ini.aside'\n"},
      {__LINE__,
       {},
       true,
       {{"Tolvex.ini", fresh}, {"Tolvex.ini.aside", old}},
       "tolvex-ini: the old file could not be deleted; it is kept as 'Tolvex.ini.aside'\n"},
  };
  for (const NineXCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeToolIo io;
    io.nineX = true;
    io.files["Tolvex.ini"] = old;
    io.failingMoves = c.failingMoves;
    io.undeletable = c.undeletable ? "Tolvex.ini.aside" : "";
    const int status = io.run({"write", "--force", "16", "800", "600"});
    EXPECT_EQ(c.files, io.files);
    EXPECT_EQ(c.failingMoves.empty() ? 0 : 2, status);
    EXPECT_EQ(c.failingMoves.empty() ? c.err : std::string(kept) + c.err, io.err);
  }
  FakeToolIo io;  // an aside name in use is passed over, and with no old file nothing is aside
  io.nineX = true;
  io.files = {{"Tolvex.ini", old}, {"Tolvex.ini.aside", {1}}};
  EXPECT_EQ(0, io.run({"write", "--force", "16", "800", "600"}));
  EXPECT_EQ(0, io.run({"write", "--force", "-o", "New.ini", "16", "800", "600"}));
  EXPECT_EQ((std::map<std::string, Bytes>{
                {"New.ini", fresh}, {"Tolvex.ini", fresh}, {"Tolvex.ini.aside", {1}}}),
            io.files);
}

// ---- show ----

struct ShowCase {
  int line;
  Bytes stored;
  FileVerdict verdict;
  int accepted;
  std::vector<std::int32_t> request;  // depth, width, height Tolvex goes on with
  std::string text;                   // the Text row
  std::string note = "<missing>";     // the Note row
};

Bytes withByte(Bytes bytes, std::size_t at, std::uint8_t value) {
  bytes[at] = value;
  return bytes;
}

// clang-format off
const ShowCase kShowCases[] = {
    {__LINE__, storedSettings("32"), FileVerdict::kAccepted, 1, {32, 800, 600}, "\"32\""},
    {__LINE__, storedSettings("16,abc,600"), FileVerdict::kAccepted, 1, {16, 800, 600},
     "\"16,abc,600\""},
    {__LINE__, storedSettings("16 800 600 0show.exe"), FileVerdict::kAcceptedWithApp, 5,
     {16, 800, 600}, "\"16 800 600 0show.exe\""},
    {__LINE__, storedSettings("x16"), FileVerdict::kIgnored, 0, {16, 800, 600}, "\"x16\""},
    {__LINE__, storedSettings(" \t\r\n\v\f "), FileVerdict::kIgnored, 0, {16, 800, 600},
     "\" \\t\\r\\n\\x0B\\x0C \""},
    {__LINE__, storedSettings("0x20"), FileVerdict::kRejected, 0, {16, 800, 600}, "\"0x20\""},
    {__LINE__, storedSettings("8,1000,480"), FileVerdict::kRejected, 1, {8, 800, 600},
     "\"8,1000,480\""},
    // What Tolvex never reads is shown as such.
    {__LINE__, storedSettings(std::string(990, ' ') + "16,1024,768,0,x.exe"),
     FileVerdict::kAccepted, 3, {16, 1024, 7}, "\"" + std::string(990, ' ') + "16,1024,7\"",
     "only the first 999 bytes count; the other 10 are never read"},
    {__LINE__, withByte(storedSettings("16,1024,768,0,show.exe"), 7, 0xFF),
     FileVerdict::kAccepted, 2, {16, 1024, 600}, "\"16,1024\"",
     "the byte at offset 7 is stored as 0xFF, which ends the text; the 15 bytes from there on do "
     "not count"},
    {__LINE__, withByte(storedSettings(std::string(1200, ' ')), 0, 0xFF), FileVerdict::kIgnored,
     0, {16, 800, 600}, "\"\"",
     "the byte at offset 0 is stored as 0xFF, which ends the text; the 1200 bytes from there on "
     "do not count"},
    // Every byte the text row has to make visible.
    {__LINE__, storedSettings("16,\"800\"\\\x01\x7F\x80\xFF"), FileVerdict::kAccepted, 1,
     {16, 800, 600}, "\"16,\\\"800\\\"\\\\\\x01\\x7F\\x80\\xFF\""},
};
// clang-format on

TEST(Show, VerdictFieldsAndNotes) {
  for (const ShowCase& c : kShowCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeToolIo io;
    io.files["Tolvex.ini"] = c.stored;
    ShowOutcome shown;
    showSettings(io, "Tolvex.ini", shown);
    ASSERT_TRUE(shown.read);
    EXPECT_EQ(c.verdict, shown.verdict);
    EXPECT_EQ(c.accepted, shown.accepted);
    EXPECT_EQ(c.request, (std::vector<std::int32_t>{shown.fields.depth, shown.fields.width,
                                                    shown.fields.height}));
    const Report rows = shownRows("Tolvex.ini", shown);
    EXPECT_EQ(c.text, rowOf(rows, "Text:"));
    EXPECT_EQ(c.note, rowOf(rows, "Note:"));
  }
  Report refused;  // an argument type of its own: only this line's format is checked for types
  refused.format("%s", static_cast<const volatile char*>(nullptr));
  EXPECT_TRUE(refused.lost());
}

// The quoted form of show's "Exact text" row, back to bytes.
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
  // clang-format off
  std::vector<std::string> texts = {
      "24,1024,768", "16 800 600 0 show.exe", "8,1600,1200,1,games\\run.exe", "16,1000,600",
      "32", "16,800,0", "16,800,-600", "16,800,600,1,a.ex", "16,800,600,1,b.exe", "x16",
      "16,0800,600", "010", "0x20", "16,,768", "16 800 600 0show.exe", "16-5", "16,abc,600",
      "16,800,600,2", "16,800,600,-1,show.exe", " \t\r\n\v\f ", "+16\n+1024\r\n+768", "- 16",
      "16 -", "16 800 600 1 show.exe and more", "16\xA0" "800", "99999999999,800",
      "16,800,-99999999999", "16,800,600,4294967297", "",
      std::string(990, ' ') + "16,1024,768,0,x.exe", "16,800,600,1," + std::string(255, 'n'),
      "16,800,600,1," + std::string(256, 'n')};
  // clang-format on
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
  int rejected = 0;
  int withApp = 0;
  for (const std::string& text : mixedTexts()) {
    SCOPED_TRACE(testing::Message() << "text '" << text << "'");
    tolvex::FakePlatform platform;
    platform.files["Tolvex.ini"] = storedSettings(text);
    tolvex::RunContext run(platform, "Tolvex.exe");
    const int result = run.readSettings("Tolvex.ini");

    FakeToolIo io;
    io.files["Tolvex.ini"] = storedSettings(text);
    ShowOutcome shown;
    showSettings(io, "Tolvex.ini", shown);
    const Report report = shownRows("Tolvex.ini", shown);
    if (result < 0) {
      ++rejected;
      EXPECT_EQ(FileVerdict::kRejected, shown.verdict);
      ASSERT_EQ(1u, platform.boxes.size());
      EXPECT_EQ(platform.boxes[0].caption, rowOf(report, "Caption:"));
      EXPECT_EQ(platform.boxes[0].text, unescape(rowOf(report, "Exact text:")));
      continue;
    }
    withApp += result == 1;
    EXPECT_EQ(result == 1, shown.verdict == FileVerdict::kAcceptedWithApp);
    EXPECT_TRUE(startsWith(rowOf(report, "Depth:"), std::to_string(run.depth) + " bits per pixel"));
    EXPECT_TRUE(startsWith(rowOf(report, "Width:"), std::to_string(run.width)));
    EXPECT_TRUE(startsWith(rowOf(report, "Height:"), std::to_string(run.height)));
    EXPECT_TRUE(
        startsWith(rowOf(report, "Strictness:"), run.strictFlag != 0 ? "strict:" : "lenient:"));
    if (text.find('\xE9') == std::string::npos) {
      EXPECT_TRUE(startsWith(rowOf(report, "Application:"),
                             std::string(run.appPath.c_str()) + " (in Tolvex's folder)"));
    }
  }
  // The mixture has to reach every outcome for the comparison to mean something.
  EXPECT_GT(rejected, 50);
  EXPECT_GT(withApp, 5);
}

// ---- check ----

struct CheckCase {
  int line;
  const char* settings;  // nullptr: no settings file
  std::vector<std::int32_t> answers;
  std::vector<std::string> present;
  bool otherCopy;
  CheckVerdict verdict;
  std::string says;     // the Verdict row
  std::string caption;  // of the message box the verdict shows, if any
  RunSequence run = nullptr;
  std::string layers = "";       // what the title would inherit in __COMPAT_LAYER; empty: none set
  const char* tolvex = nullptr;  // Tolvex as started, on code page 932; nullptr: Tolvex.exe
  const char* held = nullptr;    // the same as Windows holds it (UTF-8), where it differs
};

// Tolvex's run with one display call more: after the request is taken, a second switch (to
// 640 x 480) before the launch. The report must follow the run, not the count of calls.
int runWithOneMoreSwitch(tolvex::Platform& platform, const char* argument0,
                         tolvex::RunObserver* observer, const char*) {
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
const std::string kBadSettings = "Tolvex Error: Bad Tolvex.ini parameters";
constexpr CheckVerdict kStarts = CheckVerdict::kStarts;
constexpr CheckVerdict kOtherwise = CheckVerdict::kStartsOtherwise;
constexpr CheckVerdict kNothing = CheckVerdict::kStartsNothing;

// clang-format off
const CheckCase kCheckCases[] = {
    {__LINE__, "16,800,600,1,GAME.EXE", {0}, {"GAME.EXE"}, false, kStarts,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts GAME.EXE", "", nullptr,
     "16BITCOLOR"},
    {__LINE__, "16,800,600,1,GAME.EXE", {-1, 0}, {"GAME.EXE"}, false, kStarts,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts GAME.EXE", "", nullptr,
     "16BITCOLOR"},
    {__LINE__, "16,1152,864,1,GAME.EXE", {-2, -2}, {"GAME.EXE"}, false, kNothing, kBox,
     "Tolvex Error: DISP_CHANGE_BADMODE"},
    {__LINE__, "16,1152,864,1,GAME.EXE", {-6, -6}, {"GAME.EXE"}, false, kNothing,
     "Tolvex starts nothing and shows no message", ""},
    {__LINE__, "16,1152,864,0,GAME.EXE", {-2, -2, 0}, {"GAME.EXE"}, false, kOtherwise,
     "Tolvex switches to 1152 x 864 at the depth the display gives (not 16 bits per pixel) and "
     "starts GAME.EXE", ""},
    {__LINE__, "16,1152,864,0,GAME.EXE", {-2, -2, -2}, {"GAME.EXE"}, false, kOtherwise,
     "Tolvex starts GAME.EXE without switching the display", ""},
    {__LINE__, "16,800,600,1,GAME.EXE", {0}, {"PROJ.EXE"}, false, kStarts,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts PROJ.EXE in the current folder",
     "", nullptr, "16BITCOLOR"},
    {__LINE__, "16,800,600,1,GAME.EXE", {0}, {}, false, kNothing, kBox, kBadSettings, nullptr,
     "16BITCOLOR"},
    {__LINE__, "16,1000,600", {}, {"PROJECTOR.EXE"}, false, kNothing, kBox, kBadSettings},
    {__LINE__, nullptr, {0}, {"PROJECTOR.EXE"}, false, kStarts,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts PROJECTOR.EXE", "", nullptr,
     "16BITCOLOR"},
    {__LINE__, "24,640,480", {0}, {"PROJECTOR.EXE"}, true, kOtherwise,
     "once the running copy has ended, Tolvex switches to 640 x 480 at 32 bits per pixel and "
     "starts PROJECTOR.EXE", ""},
    {__LINE__, "16,800,600,1,GAME.EXE", {0, 0, 0}, {"GAME.EXE"}, false, kStarts,
     "Tolvex switches to 640 x 480 at 16 bits per pixel and starts GAME.EXE", "",
     &runWithOneMoreSwitch},
    // "ソフト.exe": its "ソ" (0x83 0x5C) is no folder, so GAME.EXE is the current folder's.
    {__LINE__, "16,800,600,1,GAME.EXE", {0}, {"GAME.EXE"}, false, kStarts,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts GAME.EXE", "", nullptr,
     "16BITCOLOR", "\x83\\\x83t\x83g.exe"},
    // "Łódź" has no ANSI form: Tolvex, and so its dry run, takes the short form; "Игра" none.
    {__LINE__, "16,800,600,1,GAME.EXE", {0}, {"C:\\LDZ~1\\GAME.EXE"}, false, kStarts,
     "Tolvex switches to 800 x 600 at 16 bits per pixel and starts C:\\LDZ~1\\GAME.EXE", "",
     nullptr, "16BITCOLOR", "C:\\Lodz\\Tolvex.exe", "C:\\Łódź\\Tolvex.exe"},
    {__LINE__, "16,800,600,1,GAME.EXE", {}, {"C:\\Lodz\\GAME.EXE"}, false, kNothing, kBox,
     "Tolvex Error: Bad folder name", nullptr, "", "C:\\????\\Tolvex.exe", "C:\\Игра\\Tolvex.exe"},
};
// clang-format on

TEST(Check, TellsWhatTolvexWouldDoAndChangesNothing) {
  for (const CheckCase& c : kCheckCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    tolvex::FakePlatform system;
    system.versionMajor = 10;  // where Tolvex would add a colour layer to its environment
    if (c.settings != nullptr) {
      system.files["Tolvex.ini"] = storedSettings(c.settings);
    }
    system.changeResults.assign(c.answers.begin(), c.answers.end());
    for (const std::string& name : c.present) {
      system.files[name] = {};
    }
    FakeToolIo io;
    io.platform = &system;
    io.otherCopyRunning = c.otherCopy;
    CheckRequest request;
    request.run = c.run;
    if (c.tolvex != nullptr) {
      system.codePage = tolvex::shiftJis();
      request.tolvex = c.tolvex;
      request.held = c.held;
      system.shortPaths = {{"C:\\Łódź\\", "C:\\LDZ~1\\"}};
    }
    CheckOutcome checked;
    checkTolvex(io, request, checked);
    const Report report = checkRows(request, checked);
    EXPECT_EQ(c.verdict, checked.verdict);
    EXPECT_EQ(c.says, rowOf(report, "Verdict:"));
    EXPECT_EQ(c.caption, checked.boxes.count > 0 ? checked.boxes.items[0].caption.c_str() : "");
    EXPECT_EQ(c.layers, checked.colourLayers.c_str());
    // Back to the fake's stored mode, storing it again when the storing attempt took the request
    // (answered 0 or 1).
    const bool storedAgain =
        c.answers.size() > 1 && c.answers[0] != 0 && (c.answers[1] == 0 || c.answers[1] == 1);
    const SwitchAsked& back = checked.restores.items[0];
    EXPECT_EQ(1, checked.restores.total);
    EXPECT_EQ((std::vector<std::int32_t>{1280, 1024, 32, 0}),
              (std::vector<std::int32_t>{back.width, back.height, back.depth, back.answer}));
    EXPECT_EQ(storedAgain, back.storeForAll);
    for (const std::string& call : system.calls) {
      const bool asked =
          call.rfind("EnumDisplaySettingsA(", 0) == 0 || call.rfind("ReadFile(", 0) == 0 ||
          call == "GetVersionExA" || call.rfind("IsDBCSLeadByte(", 0) == 0 ||
          call.rfind("WideCharToMultiByte(", 0) == 0 || call.rfind("GetShortPathNameW(", 0) == 0 ||
          call.rfind("GetEnvironmentVariableA(", 0) == 0 ||
          (call.rfind("ChangeDisplaySettingsA(", 0) == 0 &&
           call.compare(call.size() - 4, 4, ", 2)") == 0);
      EXPECT_TRUE(asked) << call;
    }
  }
}

TEST(Check, ReadsTheFileGivenInPlaceOfTheLookup) {
  tolvex::FakePlatform system;
  system.files["Tolvex.ini"] = storedSettings("16,1000,600");
  system.files["other.ini"] = storedSettings("8,640,480,1,SHOW.EXE");
  system.files["SHOW.EXE"] = {};
  FakeToolIo io;
  io.files["other.ini"] = system.files["other.ini"];
  CheckRequest request;
  request.file = "other.ini";
  CheckOutcome checked;
  checkTolvex(io, request, checked);
  EXPECT_EQ(CheckVerdict::kNoSystem, checked.verdict);
  io.platform = &system;
  checkTolvex(io, request, checked);
  EXPECT_EQ(CheckVerdict::kStarts, checked.verdict);
  EXPECT_EQ("other.ini (in place of Tolvex.ini in the current folder): read, 20 bytes",
            rowOf(checkRows(request, checked), "Settings:"));
  request.file = "missing.ini";
  checkTolvex(io, request, checked);
  EXPECT_EQ(CheckVerdict::kUnreadable, checked.verdict);
}

// ---- modes and restore ----

tolvex::DevModeA devMode(std::uint32_t width, std::uint32_t height, std::uint32_t depth) {
  tolvex::DevModeA m{};
  m.dmPelsWidth = width;
  m.dmPelsHeight = height;
  m.dmBitsPerPel = depth;
  m.dmDisplayFrequency = 60;
  return m;
}

TEST(DisplayCommands, ListTheModesOnceAndSwitchBackOnlyWhenAsked) {
  tolvex::FakePlatform system;
  system.switched = true;
  system.currentMode = devMode(800, 600, 16);
  system.listedModes = {devMode(1366, 768, 32), devMode(800, 600, 32), devMode(640, 480, 8),
                        devMode(800, 600, 32), devMode(800, 600, 16)};
  system.changeResults = {-1};
  FakeToolIo io;
  io.platform = &system;
  ModesOutcome modes;
  listModes(io, modes);
  std::vector<std::string> listed;
  for (int i = 0; i < modes.count; ++i) {
    const Mode& m = modes.modes[i];
    listed.push_back(std::to_string(m.width) + "x" + std::to_string(m.height) + "x" +
                     std::to_string(m.depth) + (m.tolvexWidth ? "*" : ""));
  }
  EXPECT_EQ((std::vector<std::string>{"640x480x8*", "800x600x16*", "800x600x32*", "1366x768x32"}),
            listed);
  EXPECT_TRUE(modes.nowKnown && modes.storedKnown);
  EXPECT_EQ(16u, modes.now.depth);
  EXPECT_EQ(1280u, modes.stored.width);
  EXPECT_TRUE(system.callsStartingWith("ChangeDisplaySettingsA").empty());

  const RestoreOutcome restored = restoreDisplay(io);
  EXPECT_EQ(-1, restored.result);
  EXPECT_EQ(800u, restored.before.width);
  EXPECT_EQ(800u, restored.after.width);
  EXPECT_EQ(std::vector<std::string>{"ChangeDisplaySettingsA(null, 0)"},
            system.callsStartingWith("ChangeDisplaySettingsA"));
}

}  // namespace
}  // namespace tolvex_commands
