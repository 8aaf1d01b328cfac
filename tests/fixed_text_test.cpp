#include "platform/fixed_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <string>

namespace tolvex {
namespace {

// A field of 8 bytes holds 7 characters and its zero.
TEST(FixedText, HoldsUpToCapacityLessOneAndRefusesMoreWhole) {
  FixedText<8> text;
  EXPECT_TRUE(text.assign("1234567"));
  EXPECT_STREQ("1234567", text.c_str());
  EXPECT_FALSE(text.overflowed());

  EXPECT_FALSE(text.assign("12345678"));
  EXPECT_STREQ("1234567", text.c_str()) << "a refused assignment keeps what was there";
  EXPECT_TRUE(text.overflowed());

  text.assign("abc");
  EXPECT_TRUE(text.append("defg"));
  EXPECT_FALSE(text.append("h"));
  EXPECT_STREQ("abcdefg", text.c_str()) << "nothing of a refused append is written";
}

TEST(FixedText, OverflowSticksUntilTheTextIsMadeAnew) {
  FixedText<8> text("ab");
  EXPECT_FALSE(text.append("cdefghij"));
  EXPECT_FALSE(text.append("c")) << "appending after a loss would compose a different text";
  EXPECT_STREQ("ab", text.c_str());
  text.clear();
  EXPECT_FALSE(text.overflowed());
  EXPECT_TRUE(text.append("c"));
  EXPECT_STREQ("c", text.c_str());
}

TEST(FixedText, FormattingIsAllOrNothingToo) {
  FixedText<12> text;
  EXPECT_TRUE(text.format("%d/%d", -5, 42));
  EXPECT_STREQ("-5/42", text.c_str());
  EXPECT_TRUE(text.appendFormat("+%s", "abcde"));
  EXPECT_STREQ("-5/42+abcde", text.c_str());
  EXPECT_FALSE(text.appendFormat("%d", 1));
  EXPECT_STREQ("-5/42+abcde", text.c_str());
  EXPECT_FALSE(text.format("%s", "0123456789ab"));
  EXPECT_STREQ("-5/42+abcde", text.c_str());
  EXPECT_TRUE(text.overflowed());
}

// The program formats with conversions of its own: %d, %i, %u, %x, %X (with l for a long), %s
// with widths, and %%. A call with any other conversion, or with arguments of other kinds or
// number, does not compile.
static_assert(CheckedFormat<int, char*, bool>::fits("%i '%s' 100%% %d"));
static_assert(CheckedFormat<unsigned long, int, unsigned, long>::fits("%5lu %-3d %02X %ld"));
static_assert(!CheckedFormat<long>::fits("%d") && !CheckedFormat<unsigned>::fits("%d"));
static_assert(!CheckedFormat<unsigned>::fits("%lu") && !CheckedFormat<long long>::fits("%lld"));
static_assert(!CheckedFormat<int>::fits("%c") && !CheckedFormat<const char*>::fits("%05s"));
static_assert(!CheckedFormat<int>::fits("%s") && !CheckedFormat<const int*>::fits("%s"));
static_assert(!CheckedFormat<int>::fits("%d %d") && !CheckedFormat<int, int>::fits("%d"));
static_assert(!CheckedFormat<>::fits("trailing %"));

// Beneath the check, formatInto still refuses any other conversion whole.
struct FormatCase {
  int line;
  const char* format;
  const char* expected;  // nullptr: refused
};

const FormatCase kFormatCases[] = {
    {__LINE__, "%d/%d", "-2147483648/2147483647"},
    {__LINE__, "%i bits, %i x '%s'", "-2147483648 bits, 2147483647 x 'a'"},
    {__LINE__, "100%% %d", "100% -2147483648"},
    {__LINE__, "%u|%X", "2147483648|7FFFFFFF"},
    {__LINE__, "%13d|%-13d", "  -2147483648|2147483647   "},
    {__LINE__, "%013d|%x", "-002147483648|7fffffff"},
    {__LINE__, "%c", nullptr},
    {__LINE__, "%5%", nullptr},
    {__LINE__, "%lld", nullptr},
    {__LINE__, "trailing %", nullptr},
};

std::string formatted(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  char out[64];
  const std::size_t length = formatInto(out, sizeof out, format, args);
  va_end(args);
  return length == kFormatRefused ? "<refused>" : std::string(out, length);
}

TEST(FixedText, FormatsTheProgramsConversionsAndRefusesOthers) {
  for (const FormatCase& c : kFormatCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(c.expected ? c.expected : "<refused>", formatted(c.format, INT_MIN, INT_MAX, "a"));
  }
  FixedText<64> text;
  EXPECT_TRUE(text.format("%-4s|%3s|%08lX|%lu", "ab", "abcd", 0xBEEFUL, 4294967295UL));
  EXPECT_STREQ("ab  |abcd|0000BEEF|4294967295", text.c_str());
  text.assign("kept");
  EXPECT_FALSE(text.format("%s", static_cast<const char*>(nullptr)));
  EXPECT_STREQ("kept", text.c_str());
}

TEST(FixedText, CopyingFromAnOverflowedFieldIsAnOverflow) {
  FixedText<4> small;
  small.assign("toolong");
  FixedText<64> path("C:\\");
  EXPECT_FALSE(path.append(small));
  EXPECT_TRUE(path.overflowed());
  FixedText<64> other;  // empty: a refused copy leaves it so
  EXPECT_FALSE(other.assign(small));
  EXPECT_TRUE(other.overflowed());
  EXPECT_STREQ("", other.c_str());
}

TEST(FixedText, ByteCopiesNeedNoTerminatorAndKeepHighBytes) {
  const char bytes[] = {'\xC9', '\xFF', 'x', 'y'};
  FixedText<8> text;
  EXPECT_TRUE(text.assignBytes(bytes, 3));
  EXPECT_EQ(std::string("\xC9\xFFx"), text.c_str());
  EXPECT_EQ(3u, text.length());
}

}  // namespace
}  // namespace tolvex
