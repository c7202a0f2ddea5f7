#include "msrc/Util/StringBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "msrc/Util/FixedStringBuffer.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

const char kLosing[] = "XASSERT failure in file msrc/Util/StringBuffer, line 56 : (false) append losing characters";
const char kPastLength[] =
    "XASSERT failure in file msrc/Util/StringBuffer, line 124 : (false) accessing string past length";

TEST(StringBufferAppend, OverlongSourceKeepsWhatFitsAndReportsOnce) {
  AssertRecorder recorder;
  FixedStringBuffer<260> path;
  const std::string source(300, 'x');
  path.Append(source.c_str());
  EXPECT_EQ(path.Length(), 259);
  EXPECT_EQ(std::string(path.Text()), source.substr(0, 259));
  ASSERT_EQ(recorder.Count(), 1u);
  EXPECT_EQ(recorder.Reports()[0], kLosing);
}

TEST(StringBufferAppend, FullBufferStaysUnchanged) {
  AssertRecorder recorder;
  FixedStringBuffer<4> full("abc");
  full.Append("d");
  full.AppendChar('e');
  EXPECT_STREQ(full.Text(), "abc");
  EXPECT_EQ(recorder.Count(), 2u);
}

TEST(StringBufferAppend, CountLimitsAndStopsAtTerminator) {
  AssertRecorder recorder;
  FixedStringBuffer<16> b("ab");
  b.Append("xyz", 5);
  EXPECT_STREQ(b.Text(), "abxyz");
  b.Append("qrs", 0);
  b.Append("qrs", 2);
  b.Append(nullptr);
  b.AppendChar('\0');
  EXPECT_STREQ(b.Text(), "abxyzqr");
  EXPECT_EQ(recorder.Count(), 0u);
}

TEST(StringBufferAppend, FillingExactlyToCapacityIsNoLoss) {
  AssertRecorder recorder;
  FixedStringBuffer<4> b("a");
  b.Append("bc");
  EXPECT_STREQ(b.Text(), "abc");
  EXPECT_EQ(recorder.Count(), 0u);
}

TEST(StringBufferAppend, FromItself) {
  FixedStringBuffer<8> b("abc");
  b.Append(b);
  EXPECT_STREQ(b.Text(), "abcabc");
  b.Append(b, 1);
  EXPECT_STREQ(b.Text(), "abcabca");
}

TEST(StringBufferAppend, Numbers) {
  FixedStringBuffer<64> b;
  b.AppendNumber(INT32_MIN);
  b.AppendChar(' ');
  b.AppendNumber(0);
  b.AppendChar(' ');
  b.AppendNumber(-7);
  b.AppendChar(' ');
  b.AppendNumber(INT32_MAX);
  b.AppendChar(' ');
  b.AppendNumber(100);
  EXPECT_STREQ(b.Text(), "-2147483648 0 -7 2147483647 100");
}

TEST(StringBufferAssign, ReplacesTextIncludingFromOwnStorage) {
  FixedStringBuffer<16> a("hello");
  FixedStringBuffer<16> b("xy");
  a.Assign(b);
  EXPECT_STREQ(a.Text(), "xy");
  a.Assign(a);
  EXPECT_STREQ(a.Text(), "xy");
  a.Assign("folder\\name");
  a.Assign(a.Text() + 7);
  EXPECT_STREQ(a.Text(), "name");
  a.Assign(static_cast<const char*>(nullptr));
  EXPECT_STREQ(a.Text(), "");
}

TEST(StringBufferCapacity, ZeroOrNegativeIsReportedAndNeverWritten) {
  AssertRecorder recorder;
  char guard = '#';
  StringBuffer zero(&guard, 0);
  StringBuffer negative(&guard, -5);
  ASSERT_EQ(recorder.Count(), 2u);
  EXPECT_EQ(recorder.Reports()[0], "XASSERT failure in file msrc/Util/StringBuffer, line 17 : (fCapacity>0) bad capacity");
  EXPECT_EQ(negative.Capacity(), 0);

  recorder.Clear();
  zero.Append("");
  EXPECT_EQ(recorder.Count(), 0u);
  zero.Append("abc");
  zero.AppendNumber(5);
  zero.Assign("z");
  EXPECT_EQ(recorder.Count(), 3u);
  EXPECT_EQ(guard, '#');
  EXPECT_EQ(zero.Length(), 0);
  EXPECT_STREQ(zero.Text(), "");
  EXPECT_EQ(zero.At(0), '\0');

  StringBuffer noStorage(nullptr, 10);
  EXPECT_EQ(noStorage.Capacity(), 0);
  noStorage.Append("abc");
  EXPECT_STREQ(noStorage.Text(), "");
}

TEST(StringBufferCompare, ExactIsUnsignedBytewise) {
  FixedStringBuffer<8> a("abc");
  FixedStringBuffer<8> b("abd");
  FixedStringBuffer<8> high("\xE9");
  EXPECT_LT(a.Compare(b), 0);
  EXPECT_EQ(a.Compare(FixedStringBuffer<4>("abc")), 0);
  EXPECT_GT(high.Compare(a), 0);
  EXPECT_LT(FixedStringBuffer<8>("ABC").Compare(a), 0);
}

TEST(StringBufferCompare, NoCaseFoldsOnlyAsciiCapitalsAndSignedBytes) {
  FixedStringBuffer<8> upper("ABC");
  EXPECT_EQ(upper.CompareNoCase(FixedStringBuffer<8>("abc")), 0);
  EXPECT_EQ(FixedStringBuffer<8>("abc").CompareNoCase("abcd", 4), -1);
  EXPECT_EQ(FixedStringBuffer<8>("abcd").CompareNoCase("abc", 3), 1);
  EXPECT_EQ(FixedStringBuffer<8>("[").CompareNoCase("A", 1), 91 - 97);
  EXPECT_LT(FixedStringBuffer<8>("\xE9").CompareNoCase("a", 1), 0);
  EXPECT_EQ(FixedStringBuffer<8>("\xC9").CompareNoCase("\xE9", 1), 0xC9 - 0xE9);
  EXPECT_EQ(upper.CompareNoCase("abcdef", 3), 0);
  EXPECT_EQ(upper.CompareNoCase("abc", -1), 0);
  EXPECT_EQ(upper.CompareNoCase(nullptr, 3), 3);
}

TEST(StringBufferAt, OutsideTheTextReportsAndYieldsZero) {
  AssertRecorder recorder;
  FixedStringBuffer<8> b("abc");
  EXPECT_EQ(b.At(0), 'a');
  EXPECT_EQ(b.At(2), 'c');
  EXPECT_EQ(recorder.Count(), 0u);
  EXPECT_EQ(b.At(-1), '\0');
  EXPECT_EQ(b.At(3), '\0');
  ASSERT_EQ(recorder.Count(), 2u);
  EXPECT_EQ(recorder.Reports()[1], kPastLength);
}

TEST(FixedStringBuffer, CopiesOwnTheirStorage) {
  FixedStringBuffer<16> original("abc");
  FixedStringBuffer<16> copy(original);
  EXPECT_NE(copy.Text(), original.Text());
  copy.Append("def");
  EXPECT_STREQ(original.Text(), "abc");
  EXPECT_STREQ(copy.Text(), "abcdef");

  original = copy;
  EXPECT_NE(copy.Text(), original.Text());
  EXPECT_STREQ(original.Text(), "abcdef");
  EXPECT_EQ(original.Capacity(), 16);

  FixedStringBuffer<4> narrow(original);
  EXPECT_STREQ(narrow.Text(), "abc");
}

}  // namespace
