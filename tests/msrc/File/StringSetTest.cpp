// String sets read from and saved to resources: the four 'STR#' layouts and
// the caret text, languages and their English fallbacks, the merge that Save
// does, damaged bytes, and GetIndString on a real file.
#include "msrc/File/strset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msrc/File/IFFResFile2.h"
#include "tests/msrc/File/FakeResFile.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr ResType kText = StringSet::kTextType;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int value : values) bytes.push_back(static_cast<char>(value));
  return bytes;
}

// A string with its NUL.
std::string Z(const std::string& text) { return text + std::string(1, '\0'); }

// Language-list entry bytes.
std::string Entry(int code, const std::string& text, const std::string& comment = "") {
  return Bytes({code}) + Z(text) + Z(comment);
}

// The strings of one language, "-" for an entry without text.
std::vector<std::string> Strings(const StringSet& set, int32_t language = StringSet::kCurrentLanguage) {
  std::vector<std::string> strings;
  for (int32_t i = 1; i <= set.Count(language); ++i) {
    const char* text = set.GetString(i, language);
    strings.emplace_back(text != nullptr ? text : "-");
  }
  return strings;
}

std::vector<std::string> Comments(const StringSet& set, int32_t language = StringSet::kCurrentLanguage) {
  std::vector<std::string> comments;
  for (int32_t i = 1; i <= set.Count(language); ++i) {
    const char* comment = set.GetComment(i, language);
    comments.emplace_back(comment != nullptr ? comment : "-");
  }
  return comments;
}

class StringSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fLiveHandles = CountLiveMHandles();
    fFile.Open(Path("c:\\strings.iff"));
  }
  void TearDown() override {
    StringSet::SetLanguageCode(1);
    fFile.Close();
    EXPECT_EQ(CountLiveMHandles(), fLiveHandles);
  }

  // Stores a 'STR#' resource as read from disk: unswizzled unless said.
  void StoreList(int16_t id, const std::string& bytes, bool swizzled = false) {
    fFile.Store(StringSet::kStringListType, id, bytes, swizzled, "strings");
  }

  bool Reported(const std::string& message) const {
    for (const std::string& report : fReports.Reports()) {
      if (report.find(message) != std::string::npos) return true;
    }
    return false;
  }

  FakeResFile fFile;
  AssertRecorder fReports;
  int32_t fLiveHandles = 0;
};

TEST_F(StringSetTest, CountedListWithItsCharacterReplacements) {
  StoreList(1, Bytes({0, 2, 2, 'a', 'b', 4, 'c', 0xA1, 'd', 0xD5}));
  StringSet set;
  EXPECT_EQ(set.Load(&fFile, 1, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("ab", "cod'"));
  EXPECT_THAT(Comments(set), ElementsAre("-", "-"));
  EXPECT_STREQ(set.Name().Text(), "strings");
  EXPECT_EQ(set.Type(), StringSet::kStringListType);
  EXPECT_FALSE(set.TextMode());
  EXPECT_EQ(set.EntryLanguage(1), 0);
  // Only the current language was read.
  EXPECT_EQ(set.Count(1), 0);
  EXPECT_TRUE(fReports.Reports().empty());
}

TEST_F(StringSetTest, PlainAndCommentedLists) {
  // Plain list as stored: first field and count big-endian.
  StoreList(1, Bytes({0xFF, 0xFF, 0, 2}) + Z("one") + Z("two"));
  // Already swizzled: every field little-endian.
  StoreList(2, Bytes({0xFF, 0xFF, 2, 0}) + Z("uno") + Z("dos"), true);
  // Commented list: the first field swapped by the swizzle, the count as
  // stored.
  StoreList(3, Bytes({0xFF, 0xFE, 2, 0}) + Z("s1") + Z("c1") + Z("s2") + Z(""));
  StringSet set;
  EXPECT_EQ(set.Load(&fFile, 1, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("one", "two"));
  EXPECT_EQ(set.Load(&fFile, 2, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("uno", "dos"));
  EXPECT_EQ(set.Load(&fFile, 3, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("s1", "s2"));
  // An empty stored comment is an empty comment.
  EXPECT_THAT(Comments(set), ElementsAre("c1", ""));
}

TEST_F(StringSetTest, LanguageRuns) {
  StoreList(1, Bytes({0xFF, 0xFD, 4, 0}) + Entry(1, "one", "first") + Entry(1, "two") + Entry(2, "un") +
                   Entry(2, "deux", "second"));
  StringSet set;
  EXPECT_EQ(set.Load(&fFile, 1, false), 0);
  EXPECT_THAT(Strings(set, 0), ElementsAre("one", "two"));
  EXPECT_THAT(Comments(set, 0), ElementsAre("first", ""));
  EXPECT_THAT(Strings(set, 1), IsEmpty());

  EXPECT_EQ(set.Load(&fFile, 1, true), 0);
  EXPECT_THAT(Strings(set, 0), ElementsAre("one", "two"));
  EXPECT_THAT(Strings(set, 1), ElementsAre("un", "deux"));
  EXPECT_THAT(Comments(set, 1), ElementsAre("", "second"));
  EXPECT_EQ(set.EntryLanguage(1, 1), 1);
  // Every other language falls back to copies of English.
  EXPECT_THAT(Strings(set, 19), ElementsAre("one", "two"));
  EXPECT_EQ(set.EntryLanguage(2, 19), 0);
}

TEST_F(StringSetTest, OnlyAnotherLanguageLeavesEnglishEmpty) {
  StoreList(1, Bytes({0xFF, 0xFD, 2, 0}) + Entry(2, "un") + Entry(2, "deux"));
  StringSet set;
  EXPECT_EQ(set.Load(&fFile, 1, false), 0);
  EXPECT_EQ(set.Count(0), 0);
  EXPECT_EQ(set.Count(1), 0);

  // A count larger than the entries there: the walk stops at the data's end.
  StoreList(2, Bytes({0xFF, 0xFD, 0xFF, 0x7F}) + Entry(2, "un") + Entry(2, "deux"));
  EXPECT_EQ(set.Load(&fFile, 2, true), 0);
  EXPECT_THAT(Strings(set, 1), ElementsAre("un", "deux"));
  EXPECT_EQ(set.Count(0), 0);
  EXPECT_EQ(set.Count(5), 0);
}

TEST_F(StringSetTest, AnotherCurrentLanguage) {
  StringSet::SetLanguageCode(3);
  StoreList(1, Bytes({0, 2, 1, 'a', 1, 'b'}));
  StringSet set;
  EXPECT_EQ(set.Load(&fFile, 1, false), 0);
  EXPECT_EQ(set.Language(), 2);
  EXPECT_THAT(Strings(set), ElementsAre("a", "b"));
  EXPECT_THAT(Strings(set, 0), ElementsAre("a", "b"));
  EXPECT_EQ(set.EntryLanguage(1), 2);

  // A language list without the current language: the English entries are
  // copied to it.
  StoreList(2, Bytes({0xFF, 0xFD, 3, 0}) + Entry(1, "one", "c") + Entry(2, "un") + Entry(1, "two"));
  EXPECT_EQ(set.Load(&fFile, 2, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("one", "two"));
  EXPECT_THAT(Comments(set), ElementsAre("c", ""));
  EXPECT_EQ(set.Count(0), 0);
  EXPECT_EQ(set.Count(1), 0);

  // The caret text goes to both.
  fFile.Store(kText, 3, "^x^");
  EXPECT_EQ(set.Load(&fFile, 3, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("x"));
  EXPECT_THAT(Strings(set, 0), ElementsAre("x"));
}

TEST_F(StringSetTest, CaretText) {
  fFile.Store(kText, 4, "^Hello^junk^World^");
  fFile.Store(kText, 5, "lead^^^one^ tail ^unclosed", true, "caret");
  StringSet set;
  EXPECT_EQ(set.Load(&fFile, 4, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("Hello", "World"));
  EXPECT_EQ(set.Type(), kText);
  EXPECT_TRUE(set.TextMode());
  EXPECT_EQ(set.Load(&fFile, 5, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("", "one"));
  EXPECT_STREQ(set.Name().Text(), "caret");
  // The text resource is read without the swizzle callback.
  EXPECT_EQ(fFile.Find(kText, 4)->stored, "^Hello^junk^World^");
}

TEST_F(StringSetTest, TheEnglishFallbackOfAllLanguages) {
  StoreList(1, Bytes({0, 2, 1, 'a', 1, 'b'}));
  StringSet set;
  EXPECT_EQ(set.Load(&fFile, 1, true), 0);
  for (int32_t language = 1; language < StringSet::kMaxLanguages; ++language) {
    EXPECT_THAT(Strings(set, language), ElementsAre("a", "b")) << language;
    EXPECT_EQ(set.EntryLanguage(1, language), 0);
  }
}

TEST_F(StringSetTest, LoadFailures) {
  StringSet set;
  set.SetString(1, "kept");
  EXPECT_EQ(set.Load(nullptr, 1, false), kResErrFailed);
  EXPECT_THAT(Strings(set), ElementsAre("kept"));
  FakeResFile closed;
  EXPECT_EQ(set.Load(&closed, 1, false), kResErrFailed);
  EXPECT_THAT(Strings(set), ElementsAre("kept"));
  EXPECT_EQ(closed.fLookups, 0);

  // Neither form there: empty, with the file's error.
  EXPECT_EQ(set.Load(&fFile, 9, false), kResErrNotFound);
  EXPECT_EQ(set.Count(), 0);
  EXPECT_EQ(fFile.fLookups, 2);
}

TEST_F(StringSetTest, DamagedListsGiveTheStringsBeforeTheDamage) {
  StringSet set;
  // A count of 32767 with ten bytes of data.
  StoreList(1, Bytes({0x7F, 0xFF, 2, 'a', 'b', 3, 'c', 'd', 'e', 9, 'f', 'g'}));
  EXPECT_EQ(set.Load(&fFile, 1, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("ab", "cde"));
  // A terminator missing at the end.
  StoreList(2, Bytes({0xFF, 0xFF, 0, 3}) + Z("one") + "two");
  EXPECT_EQ(set.Load(&fFile, 2, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("one"));
  // A commented entry without its comment.
  StoreList(3, Bytes({0xFF, 0xFE, 2, 0}) + Z("s1") + Z("c1") + Z("s2"));
  EXPECT_EQ(set.Load(&fFile, 3, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("s1"));
  // Odd sizes.
  int16_t id = 10;
  for (const std::string& bytes : {Bytes({0x00}), Bytes({0xFF, 0xFF, 0x00}), Bytes({}), Bytes({0xFF, 0xFD, 1})}) {
    StoreList(id, bytes);
    EXPECT_EQ(set.Load(&fFile, id, false), 0);
    EXPECT_EQ(set.Count(), 0);
    ++id;
  }
  // Unknown layouts read nothing.
  StoreList(5, Bytes({0xFF, 0xFC, 1, 0}) + Entry(1, "x"));
  EXPECT_EQ(set.Load(&fFile, 5, false), 0);
  EXPECT_EQ(set.Count(), 0);
  // A NUL inside a counted string ends it.
  StoreList(6, Bytes({0, 1, 3, 'a', 0, 'b'}));
  EXPECT_EQ(set.Load(&fFile, 6, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("a"));
  EXPECT_TRUE(fReports.Reports().empty());

  // Language codes outside 1..20 are reported and skipped.
  StoreList(7, Bytes({0xFF, 0xFD, 4, 0}) + Entry(1, "one") + Entry(1, "two") + Entry(0, "zero") + Entry(21, "high"));
  EXPECT_EQ(set.Load(&fFile, 7, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("one", "two"));
  EXPECT_EQ(fReports.Count(), 2u);
  EXPECT_TRUE(Reported(
      "(nLanguage >= kLanguageEnglish && nLanguage < kMaxLanguages) Illegal Language Specifier"));
}

TEST_F(StringSetTest, ASecondRunOfALanguageStartsAgainAtOne) {
  StoreList(1, Bytes({0xFF, 0xFD, 3, 0}) + Entry(1, "a") + Entry(2, "x") + Entry(1, "b"));
  StringSet set;
  EXPECT_EQ(set.Load(&fFile, 1, false), 0);
  EXPECT_THAT(Strings(set), ElementsAre("b", "a"));
}

TEST_F(StringSetTest, EditingStrings) {
  StringSet set;
  set.SetString(1, "one");
  set.SetString(2, "two");
  set.SetString(4, "four");
  EXPECT_TRUE(Reported("(false) bad index"));
  set.SetString(0, "zero");
  EXPECT_THAT(Strings(set), ElementsAre("one", "two"));

  set.InsertString(-5, "first");
  set.InsertString(99, "last");
  set.InsertString(2, "second");
  EXPECT_THAT(Strings(set), ElementsAre("first", "second", "one", "two", "last"));
  // A text may be one of the set's own strings.
  set.InsertString(1, set.GetString(5));
  set.SetString(7, set.GetString(2));
  EXPECT_THAT(Strings(set), ElementsAre("last", "first", "second", "one", "two", "last", "first"));
  set.SetString(2, nullptr);
  EXPECT_EQ(set.GetString(2), nullptr);

  fReports.Clear();
  set.SetComment(1, "note");
  EXPECT_STREQ(set.GetComment(1), "note");
  set.SetComment(1, nullptr);
  EXPECT_EQ(set.GetComment(1), nullptr);
  set.SetComment(8, "beyond");
  EXPECT_TRUE(Reported("(Count(useLang) == 0) bad index"));
  fReports.Clear();
  set.SetComment(1, "nothing to comment", 4);
  EXPECT_TRUE(fReports.Reports().empty());

  set.SetString(1, "twenty", 20);
  EXPECT_EQ(set.GetString(1, 20), nullptr);
  EXPECT_EQ(set.Count(20), 0);
  EXPECT_EQ(set.GetString(1, -2), nullptr);
  EXPECT_TRUE(Reported("(useLang < kMaxLanguages) Illegal language specified."));

  set.SetString(1, "autre", 3);
  set.ClearLanguage(0);
  EXPECT_EQ(set.Count(), 0);
  EXPECT_EQ(set.Count(3), 1);
  set.Clear();
  EXPECT_EQ(set.Count(3), 0);
}

TEST_F(StringSetTest, SaveMergesAndDropsCopyOnlyLanguages) {
  StoreList(1, Bytes({0xFF, 0xFD, 3, 0}) + Entry(1, "one", "c1") + Entry(1, "two") + Entry(2, "uno"));
  StringSet set;
  ASSERT_EQ(set.Load(&fFile, 1, false), 0);
  set.SetString(2, "TWO");
  set.InsertString(3, "three");
  EXPECT_EQ(set.Save(), 0);

  const FakeResFile::Entry* saved = fFile.Find(StringSet::kStringListType, 1);
  ASSERT_NE(saved, nullptr);
  EXPECT_TRUE(saved->storedSwizzled);
  EXPECT_STREQ(saved->name.Text(), "strings");
  // English, then language 1 with the English comment and English copies
  // behind its own string; languages holding only copies are gone.
  EXPECT_EQ(saved->stored, Bytes({0xFD, 0xFF, 6, 0}) + Entry(1, "one", "c1") + Entry(1, "TWO") + Entry(1, "three") +
                               Entry(2, "uno", "c1") + Entry(2, "TWO") + Entry(2, "three"));

  // Read back, language 1 keeps its own string and the copies.
  StringSet again;
  ASSERT_EQ(again.Load(&fFile, 1, true), 0);
  EXPECT_THAT(Strings(again, 1), ElementsAre("uno", "TWO", "three"));
  EXPECT_THAT(Strings(again, 2), ElementsAre("one", "TWO", "three"));
}

// A stored empty English comment is a comment like any other: Save copies it
// onto the other languages' strings of the same number.
TEST_F(StringSetTest, SaveCopiesAnEmptyEnglishCommentToTheOtherLanguages) {
  StoreList(1, Bytes({0xFF, 0xFD, 2, 0}) + Entry(1, "one", "") + Entry(2, "un", "note"));
  StringSet set;
  ASSERT_EQ(set.Load(&fFile, 1, false), 0);
  EXPECT_STREQ(set.GetComment(1), "");
  EXPECT_EQ(set.Save(), 0);
  const FakeResFile::Entry* saved = fFile.Find(StringSet::kStringListType, 1);
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->stored, Bytes({0xFD, 0xFF, 2, 0}) + Entry(1, "one", "") + Entry(2, "un", ""));
}

TEST_F(StringSetTest, SaveOfANewSetAndOfOnlyEnglish) {
  StoreList(1, Bytes({0, 1, 1, 'a'}));
  StringSet set;
  ASSERT_EQ(set.Load(&fFile, 1, true), 0);
  EXPECT_EQ(set.Count(7), 1);
  EXPECT_EQ(set.Save(), 0);
  EXPECT_EQ(fFile.Find(StringSet::kStringListType, 1)->stored, Bytes({0xFD, 0xFF, 1, 0}) + Entry(1, "a"));

  // A set never loaded has no file to save to.
  StringSet loose;
  loose.SetString(1, "x");
  EXPECT_EQ(loose.Save(), kResErrFailed);
}

TEST_F(StringSetTest, SaveOfATextSetWritesAStringList) {
  fFile.Store(kText, 8, "^Hello^World^", true, "caret");
  StringSet set;
  ASSERT_EQ(set.Load(&fFile, 8, false), 0);
  set.SetString(2, "There");
  EXPECT_EQ(set.Save(), 0);
  EXPECT_EQ(set.Type(), StringSet::kStringListType);
  EXPECT_FALSE(set.TextMode());
  EXPECT_EQ(fFile.Find(kText, 8)->stored, "^Hello^World^");
  const FakeResFile::Entry* saved = fFile.Find(StringSet::kStringListType, 8);
  ASSERT_NE(saved, nullptr);
  EXPECT_STREQ(saved->name.Text(), "caret");
  EXPECT_EQ(saved->stored, Bytes({0xFD, 0xFF, 2, 0}) + Entry(1, "Hello") + Entry(1, "There"));
  StringSet again;
  ASSERT_EQ(again.Load(&fFile, 8, false), 0);
  EXPECT_FALSE(again.TextMode());
  EXPECT_THAT(Strings(again), ElementsAre("Hello", "There"));
}

TEST_F(StringSetTest, SaveFailuresKeepNoHandle) {
  StoreList(1, Bytes({0, 1, 1, 'a'}));
  StringSet set;
  ASSERT_EQ(set.Load(&fFile, 1, false), 0);
  fFile.SetWritable(false);
  EXPECT_EQ(set.Save(), kResErrNotWritable);
  EXPECT_EQ(fFile.Find(StringSet::kStringListType, 1)->stored, Bytes({0, 1, 1, 'a'}));
  fFile.SetWritable(true);
  // A failed write leaves the handle with the file, which took it.
  fFile.FailNextWrite(kResErrShortWrite);
  EXPECT_EQ(set.Save(), kResErrShortWrite);

  // No memory for the image.
  StringSet fresh;
  EXPECT_EQ(fresh.Load(&fFile, 2, false), kResErrNotFound);
  fresh.SetString(1, "x");
  MHandleFailAllocations(1);
  EXPECT_EQ(fresh.Save(), kMHandleErrNoMemory);
  MHandleFailAllocations(0);
  EXPECT_EQ(fFile.Find(StringSet::kStringListType, 2), nullptr);
}

TEST(StringSetSwizzleTest, SwapsTheLeadingFields) {
  std::string plain = Bytes({0xFF, 0xFF, 0x00, 0x02, 0x11});
  StringSet::SwizzleStringList(plain.data(), static_cast<int32_t>(plain.size()));
  EXPECT_EQ(plain, Bytes({0xFF, 0xFF, 0x02, 0x00, 0x11}));
  std::string counted = Bytes({0x00, 0x02, 0x01, 0x02});
  StringSet::SwizzleStringList(counted.data(), static_cast<int32_t>(counted.size()));
  EXPECT_EQ(counted, Bytes({0x02, 0x00, 0x01, 0x02}));
  std::string shortPlain = Bytes({0xFF, 0xFF, 0x00});
  StringSet::SwizzleStringList(shortPlain.data(), 3);
  EXPECT_EQ(shortPlain, Bytes({0xFF, 0xFF, 0x00}));
  std::string one = Bytes({0x12});
  StringSet::SwizzleStringList(one.data(), 1);
  EXPECT_EQ(one, Bytes({0x12}));
}

// Through a real IFF mapped file: Save, then GetIndString of the interface.
class StringSetFileTest : public IFF2Fixture {};

TEST_F(StringSetFileTest, SavedStringsAndIndStringThroughAFile) {
  IFFResFile2 file;
  ASSERT_EQ(file.Create(fPath), 0);
  ASSERT_EQ(file.Open(fPath), 0);
  {
    StringSet set;
    EXPECT_EQ(set.Load(&file, 300, false), kResErrNotFound);
    set.SetString(1, "alpha");
    set.SetString(2, "beta");
    set.SetComment(2, "the second");
    EXPECT_EQ(set.Save(), 0);
  }
  ASSERT_EQ(file.Close(), 0);
  ASSERT_EQ(file.Open(fPath), 0);

  Path text("stale");
  file.GetIndString(&text, 300, 2);
  EXPECT_STREQ(text.Text(), "beta");
  EXPECT_EQ(file.Error(), 0);
  for (const int16_t index : {0, 3}) {
    text.Assign("stale");
    file.GetIndString(&text, 300, index);
    EXPECT_STREQ(text.Text(), "") << index;
  }
  MHandle stored = file.GetResource(kStrs, 300, nullptr);
  EXPECT_TRUE(file.IsSwizzled(stored));
  EXPECT_EQ(BytesOf(stored), std::string("\xFD\xFF\x02\x00", 4) + Entry(1, "alpha") + Entry(1, "beta", "the second"));
  EXPECT_EQ(file.Close(), 0);
}

}  // namespace
