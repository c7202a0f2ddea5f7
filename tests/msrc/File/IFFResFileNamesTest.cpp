// The names cache on its own: keys, lookups, both stored forms and what
// corrupt bytes of either form leave.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "msrc/File/IFFNameList.h"
#include "msrc/File/Recon.h"
#include "msrc/File/SimpleReconObject.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"
#include "tests/msrc/File/IFF1Builder.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using Name = FixedStringBuffer<64>;

std::string Encode(IFFNameList& list) {
  SimpleReconObject<IFFNameList> object(&list, IFFNameList::kType);
  MHandle handle = ReconToHandle(object, IFFNameList::kVersion);
  std::string bytes(static_cast<const char*>(LockMHandle(handle)), static_cast<size_t>(GetMHandleSize(handle)));
  UnlockMHandle(handle);
  DisposeMHandle(handle);
  return bytes;
}

IFFNameList Decode(const std::string& bytes) {
  IFFNameList list;
  MHandle handle = NewMHandle(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) {
    std::memcpy(LockMHandle(handle), bytes.data(), bytes.size());
    UnlockMHandle(handle);
  }
  SimpleReconObject<IFFNameList> object(&list, IFFNameList::kType);
  ReconFromHandle(object, handle);
  DisposeMHandle(handle);
  return list;
}

std::string Describe(const IFFNameList& list) {
  std::string text;
  for (const IFFNameList::Entry& entry : list.Entries())
    text += std::to_string(entry.fKey) + "=" + entry.fName.Text() + ";";
  return text;
}

TEST(IFFNameListTest, SetNameReplacesRemovesAndMarksDirty) {
  IFFNameList list;
  EXPECT_TRUE(list.IsDirty());
  EXPECT_EQ(list.NextKey(), 1);
  list.SetDirty(false);
  list.SetName(-1, Name("ignored"));
  EXPECT_FALSE(list.IsDirty());
  EXPECT_EQ(list.Count(), 0);
  list.SetName(1, Name("a"));
  list.SetName(2, Name("b"));
  list.SetName(1, Name("c"));
  EXPECT_EQ(Describe(list), "2=b;1=c;");
  EXPECT_TRUE(list.IsDirty());
  list.SetName(2, Name(""));
  EXPECT_EQ(Describe(list), "1=c;");
  EXPECT_EQ(list.NextKey(), 2);
  list.SetName(40, Name(std::string(70, 'x').c_str()));
  EXPECT_EQ(list.FindKey(40)->fName.Length(), 63);
  EXPECT_EQ(list.NextKey(), 41);
  EXPECT_EQ(list.FindKey(3), nullptr);
}

TEST(IFFNameListTest, NextKeyCountsFromZeroAndSurvivesTheTopKey) {
  IFFNameList list;
  list.SetName(-7, Name("negative"));
  EXPECT_EQ(list.NextKey(), 1);
  list.SetName(std::numeric_limits<int32_t>::max(), Name("top"));
  list.SetName(1, Name("one"));
  list.SetName(2, Name("two"));
  EXPECT_EQ(list.NextKey(), 3);
}

TEST(IFFNameListTest, FindNameIgnoresTheCaseOfAsciiLetters) {
  IFFNameList list;
  list.SetName(1, Name("Chair"));
  list.SetName(2, Name("lamp"));
  list.SetName(3, Name("CHAIR"));
  EXPECT_EQ(list.FindName(Name("chair")), 0);
  EXPECT_EQ(list.FindName(Name("chair"), 1), 2);
  EXPECT_EQ(list.FindName(Name("chair"), 3), -1);
  EXPECT_EQ(list.FindName(Name("lam")), -1);
}

TEST(IFFNameListTest, EncodesAsTheBuilderLaysItOut) {
  IFFNameList list;
  EXPECT_EQ(Encode(list), std::string("\0\0\0\0\0\0\0\0EMAN\0\0\0\0", 16));
  list.SetName(1, Name("abc"));
  list.SetName(2, Name("abcd"));
  list.SetName(3, Name(""));
  list.SetName(4, Name("z"));
  const std::string bytes = Encode(list);
  EXPECT_EQ(bytes, IFF1Builder::NamesPayload({{1, "abc"}, {2, "abcd"}, {4, "z"}}));
  EXPECT_EQ(Describe(Decode(bytes)), "1=abc;2=abcd;4=z;");
}

TEST(IFFNameListTest, DecodesTheOtherByteOrder) {
  // As ReconSwizzle leaves a payload written in the other order: the flag
  // set, version and type turned round, the rest as stored.
  std::string bytes("\x01\0\0\0\0\0\0\0EMAN", 12);
  bytes += std::string("\0\0\0\x02", 4);
  bytes += std::string("\0\0\0\x05one\0", 8);
  bytes += std::string("\0\0\x01\0two\0", 8);
  EXPECT_EQ(Describe(Decode(bytes)), "5=one;256=two;");
}

TEST(IFFNameListTest, CorruptPayloadsKeepTheNamesReadSoFar) {
  AssertRecorder reports;
  const std::string header = IFF1Builder::NamesPayload({}).substr(0, 12);
  auto entry = [](uint32_t key, const std::string& text) { return IFF1Builder::LittleEndian32(key) + text; };

  // A count far beyond the bytes: only the entries there are.
  EXPECT_EQ(Describe(Decode(header + IFF1Builder::LittleEndian32(0x7FFFFFFF) + entry(1, std::string("a\0", 2)))),
            "1=a;");
  // A negative count reads nothing.
  EXPECT_EQ(Describe(Decode(header + IFF1Builder::LittleEndian32(0xFFFFFFFF) + entry(1, std::string("a\0", 2)))), "");
  // A name without its terminator goes, with everything after it.
  EXPECT_EQ(Describe(Decode(header + IFF1Builder::LittleEndian32(3) + entry(1, std::string("a\0", 2)) +
                            entry(2, std::string("bcd\0", 4)) + entry(3, "unterminated"))),
            "1=a;2=bcd;");
  // A key cut short.
  EXPECT_EQ(Describe(Decode(header + IFF1Builder::LittleEndian32(2) + entry(1, std::string("a\0", 2)) + "\x02\0")),
            "1=a;");
  // No count at all, and no header at all.
  EXPECT_EQ(Describe(Decode(header + "\x01\0")), "");
  EXPECT_EQ(Describe(Decode("short")), "");
  // A name longer than 63 characters is cut.
  const IFFNameList cut =
      Decode(header + IFF1Builder::LittleEndian32(1) + entry(9, std::string(100, 'q') + std::string("\0", 1)));
  ASSERT_EQ(cut.Count(), 1);
  EXPECT_EQ(cut.At(0).fName.Length(), 63);
  EXPECT_GT(reports.Count(), 0u);
}

TEST(IFFNameListTest, TheOlderFormIsReadRecordByRecord) {
  IFFNameList list;
  const std::string bytes = IFF1Builder::OldNamesPayload({{1, "chair"}, {-5, ""}, {300, "lamp"}});
  list.SetDirty(false);
  list.AppendOldForm(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(Describe(list), "1=chair;-5=;300=lamp;");
  EXPECT_FALSE(list.IsDirty());

  // A record that runs past the end is not taken; neither is a cut head.
  IFFNameList cut;
  std::string truncated = IFF1Builder::OldNamesPayload({{1, "ok"}}) + IFF1Builder::LittleEndian32(2) + "\x09" + "abc";
  cut.AppendOldForm(reinterpret_cast<const uint8_t*>(truncated.data()), static_cast<int32_t>(truncated.size()));
  EXPECT_EQ(Describe(cut), "1=ok;");
  IFFNameList head;
  const std::string stub = IFF1Builder::OldNamesPayload({{1, "ok"}}) + "\x02\0\0";
  head.AppendOldForm(reinterpret_cast<const uint8_t*>(stub.data()), static_cast<int32_t>(stub.size()));
  EXPECT_EQ(Describe(head), "1=ok;");

  // Long names are cut to 63 characters, a zero byte ends one early.
  IFFNameList odd;
  std::string longName = IFF1Builder::OldNamesPayload({{7, std::string(200, 'L')}, {8, std::string("ab\0cd", 5)}});
  odd.AppendOldForm(reinterpret_cast<const uint8_t*>(longName.data()), static_cast<int32_t>(longName.size()));
  ASSERT_EQ(odd.Count(), 2);
  EXPECT_EQ(odd.At(0).fName.Length(), 63);
  EXPECT_STREQ(odd.At(1).fName.Text(), "ab");
}

}  // namespace
