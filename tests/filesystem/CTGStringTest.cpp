#include "filesystem/CTGString.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Runs an operation that must throw E and returns its what() text.
template <typename E, typename F>
std::string ThrownText(F operation) {
  try {
    operation();
  } catch (const E& error) {
    return error.what();
  }
  return "(nothing thrown)";
}

constexpr const char* kOutOfRange = "Out of range exception occurred";
constexpr const char* kLength = "Length exception occurred";

TEST(CTGStringTrim, RemovesOnlySpaces) {
  CTGString s("  \tname \n  ");
  s.Trim();
  EXPECT_STREQ(s.Text(), "\tname \n");

  CTGString left("  a  ");
  left.TrimLeft();
  EXPECT_STREQ(left.Text(), "a  ");
  CTGString right("  a  ");
  right.TrimRight();
  EXPECT_STREQ(right.Text(), "  a");

  for (const char* blank : {"", " ", "     "}) {
    CTGString b(blank);
    b.Trim();
    EXPECT_TRUE(b.IsEmpty()) << '"' << blank << '"';
    CTGString l(blank);
    l.TrimLeft();
    EXPECT_TRUE(l.IsEmpty());
    CTGString r(blank);
    r.TrimRight();
    EXPECT_TRUE(r.IsEmpty());
  }
}

TEST(CTGStringTrim, IsVirtual) {
  struct Counting : CTGString {
    using CTGString::CTGString;
    void TrimLeft() override { ++fCalls; }
    int fCalls = 0;
  };
  Counting s("  x");
  CTGString& base = s;
  base.TrimLeft();
  EXPECT_EQ(s.fCalls, 1);
  EXPECT_STREQ(s.Text(), "  x");
}

TEST(CTGStringSlices, LeftRightMid) {
  const CTGString s("abcdef");
  EXPECT_EQ(s.Left(0), "");
  EXPECT_EQ(s.Left(2), "ab");
  EXPECT_EQ(s.Left(6), "abcdef");
  EXPECT_EQ(s.Left(100), "abcdef");
  EXPECT_EQ(s.Right(2), "ef");
  EXPECT_EQ(s.Right(100), "abcdef");
  EXPECT_EQ(s.Mid(1, 3), "bcd");
  EXPECT_EQ(s.Mid(4, 100), "ef");
  EXPECT_EQ(s.Mid(6, 1), "");
  EXPECT_EQ(s.Mid(60, 1), "");
  EXPECT_EQ(s.Mid(2), "cdef");
  EXPECT_EQ(s.Mid(9), "");
  EXPECT_EQ(CTGString().Right(3), "");
}

TEST(CTGStringSlices, KeepEmbeddedZeroBytes) {
  const CTGString s("a\0b", 3);
  EXPECT_EQ(s.Length(), 3);
  EXPECT_EQ(s.Right(1), "b");
  EXPECT_EQ(CTGString(nullptr), "");
  EXPECT_EQ(CTGString(nullptr, 4), "");
}

TEST(CTGStringErrors, CarryTheirExactTexts) {
  const CTGString s("abc");
  EXPECT_EQ(ThrownText<CTGOutOfRange>([&] { s.At(3); }), kOutOfRange);
  EXPECT_EQ(ThrownText<CTGOutOfRange>([&] { (void)s[-1]; }), kOutOfRange);
  EXPECT_EQ(ThrownText<CTGOutOfRange>([&] { CTGString().At(0); }), kOutOfRange);
  EXPECT_EQ(ThrownText<CTGOutOfRange>([&] { s.Mid(-1, 1); }), kOutOfRange);
  EXPECT_EQ(ThrownText<CTGOutOfRange>([&] { s.Mid(-1); }), kOutOfRange);
  EXPECT_EQ(ThrownText<CTGOutOfRange>([&] { s.Find('a', -1); }), kOutOfRange);
  EXPECT_EQ(ThrownText<CTGLengthError>([&] { s.Left(-1); }), kLength);
  EXPECT_EQ(ThrownText<CTGLengthError>([&] { s.Right(-1); }), kLength);
  EXPECT_EQ(ThrownText<CTGLengthError>([&] { s.Mid(0, -1); }), kLength);
  EXPECT_EQ(ThrownText<CTGLengthError>([&] { CTGString("abc", -1); }), kLength);
  // Catchable as the standard exceptions too.
  EXPECT_THROW(s.At(5), std::out_of_range);
  EXPECT_THROW(s.Left(-5), std::length_error);
  EXPECT_EQ(s[2], 'c');
}

TEST(CTGStringFormat, HasNoLengthLimit) {
  const std::string field(5000, 'f');
  const CTGString s = CTGString::Format("%s\\%d.iff", field.c_str(), 42);
  EXPECT_EQ(s.Length(), 5000 + 7);
  EXPECT_EQ(std::string(s.Text()), field + "\\42.iff");
  EXPECT_EQ(CTGString::Format("%s", ""), "");
}

TEST(CTGStringCase, AsciiOnly) {
  CTGString s("Ab\xE9z-09");
  s.MakeUpper();
  EXPECT_EQ(s, "AB\xE9Z-09");
  s.MakeLower();
  EXPECT_EQ(s, "ab\xE9z-09");
}

TEST(CTGStringSearch, FindReverseFindReplace) {
  CTGString path("C:/Game/Data/x.iff");
  path.Replace('/', '\\');
  EXPECT_EQ(path, "C:\\Game\\Data\\x.iff");
  EXPECT_EQ(path.Find('\\'), 2);
  EXPECT_EQ(path.Find('\\', 3), 7);
  EXPECT_EQ(path.Find('\\', 100), -1);
  EXPECT_EQ(path.ReverseFind('\\'), 12);
  EXPECT_EQ(path.Find('?'), -1);
  EXPECT_EQ(path.ReverseFind('?'), -1);
}

TEST(CTGStringCompare, UnsignedBytesPrefixFirst) {
  EXPECT_LT(CTGString("abc"), CTGString("abd"));
  EXPECT_LT(CTGString("ab"), CTGString("abc"));
  EXPECT_LT(CTGString("z"), CTGString("\xE9"));
  EXPECT_LT(CTGString("B"), CTGString("a"));
  std::map<CTGString, int> keys{{"b.iff", 2}, {"a.iff", 1}, {"\xE9.iff", 3}};
  EXPECT_EQ(keys.begin()->first, "a.iff");
  EXPECT_EQ(keys.rbegin()->first, "\xE9.iff");
}

TEST(CTGStringConcat, MakesNewStrings) {
  const CTGString folder("c:\\game\\");
  const CTGString name("x.iff");
  const CTGString path = folder + name;
  EXPECT_EQ(path, "c:\\game\\x.iff");
  EXPECT_EQ(folder, "c:\\game\\");
  EXPECT_EQ(folder + "y", "c:\\game\\y");
  CTGString grown(folder);
  grown += "sub";
  grown.Append('\\');
  EXPECT_EQ(grown, "c:\\game\\sub\\");
  EXPECT_EQ(folder, "c:\\game\\");
}

}  // namespace
