#include <gtest/gtest.h>

#include <random>
#include <string>

#include "filesystem/FileSystem.h"

namespace {

// The matching rules written down directly, recursion and all.
bool ReferenceMatch(const char* name, const char* pattern) {
  for (;;) {
    if (pattern[0] == '*' && pattern[1] == '\0') return true;
    if (name[0] == '\0') return pattern[0] == '\0';
    if (pattern[0] == '*') {
      if (ReferenceMatch(name, pattern + 1)) return true;
      ++name;
      continue;
    }
    if (pattern[0] != '?' && pattern[0] != name[0]) return false;
    ++name;
    ++pattern;
  }
}

bool Match(const char* name, const char* pattern) { return FileSystem::MatchWildcard(name, pattern, false); }

TEST(MatchWildcard, StarAndStarDotStar) {
  EXPECT_TRUE(Match("readme", "*"));
  EXPECT_FALSE(Match("readme", "*.*"));
  EXPECT_TRUE(Match("chair.iff", "*.*"));
  EXPECT_TRUE(Match("", "*"));
  EXPECT_FALSE(Match("", "*.*"));
  EXPECT_TRUE(Match("chair.iff", "*.iff"));
  EXPECT_FALSE(Match("chair.iffx", "*.iff"));
  EXPECT_TRUE(Match(".iff", "*.iff"));
}

TEST(MatchWildcard, QuestionMarkIsExactlyOneCharacter) {
  EXPECT_TRUE(Match("a.iff", "?.iff"));
  EXPECT_FALSE(Match(".iff", "?.iff"));
  EXPECT_FALSE(Match("ab.iff", "?.iff"));
  EXPECT_TRUE(Match("a.b", "a?b"));
}

TEST(MatchWildcard, ClosingRunOfStarsNeedsACharacter) {
  EXPECT_FALSE(Match("", "**"));
  EXPECT_TRUE(Match("a", "**"));
  EXPECT_FALSE(Match("chair", "chair**"));
  EXPECT_TRUE(Match("chairs", "chair**"));
  EXPECT_TRUE(Match("chair", "chair*"));
  EXPECT_FALSE(Match("chair", "chair***"));
}

TEST(MatchWildcard, CaseIsIgnoredForAsciiLettersOnly) {
  EXPECT_TRUE(Match("CHAIR.IFF", "*.iff"));
  EXPECT_TRUE(Match("chair.iff", "CH*.IFF"));
  EXPECT_FALSE(Match("\xC9t\xE9", "\xE9t\xE9"));
  EXPECT_FALSE(FileSystem::MatchWildcard("CHAIR", "chair", true));
  EXPECT_TRUE(FileSystem::MatchWildcard("Chair", "C*", true));
}

TEST(MatchWildcard, OverlongTextsMatchNothing) {
  const std::string name511(511, 'a');
  const std::string name512(512, 'a');
  EXPECT_TRUE(Match(name511.c_str(), "*"));
  EXPECT_FALSE(Match(name512.c_str(), "*"));
  EXPECT_FALSE(Match("a", (std::string(511, '*') + "?").c_str()));
  EXPECT_TRUE(Match("ab", (std::string(510, '*') + "b").c_str()));
  // Case-sensitive matching lowers nothing and needs no buffer.
  EXPECT_TRUE(FileSystem::MatchWildcard(name512.c_str(), "*", true));
}

TEST(MatchWildcard, ManyStarsAgainstALongNameFinish) {
  const std::string name(500, 'a');
  EXPECT_FALSE(Match(name.c_str(), "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(Match((name + "b").c_str(), "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_FALSE(Match(name.c_str(), "*?*?*?*?*?*?*?*?*?*?*?*?**b*"));
}

TEST(MatchWildcard, AgreesWithTheRecursiveRules) {
  std::mt19937 random(20240611);
  const char kNameChars[] = "ab.";
  const char kPatternChars[] = "ab.*?";
  for (int round = 0; round < 200000; ++round) {
    std::string name;
    std::string pattern;
    const int nameLength = static_cast<int>(random() % 8);
    const int patternLength = static_cast<int>(random() % 8);
    for (int i = 0; i < nameLength; ++i) name.push_back(kNameChars[random() % 3]);
    for (int i = 0; i < patternLength; ++i) pattern.push_back(kPatternChars[random() % 5]);
    const bool expected = ReferenceMatch(name.c_str(), pattern.c_str());
    ASSERT_EQ(FileSystem::MatchWildcard(name.c_str(), pattern.c_str(), true), expected)
        << "name '" << name << "' pattern '" << pattern << "'";
    ASSERT_EQ(Match(name.c_str(), pattern.c_str()), expected) << "name '" << name << "' pattern '" << pattern << "'";
  }
}

TEST(NormalizePath, LowersAsciiAndTurnsSlashes) {
  EXPECT_EQ(FileSystem::NormalizePath("C:/Games/..\\X\\\xC9.IFF"), CTGString("c:\\games\\..\\x\\\xC9.iff"));
}

TEST(SplitFolderName, SplitsAfterTheLastSeparator) {
  CTGString folder;
  CTGString name;
  FileSystem::SplitFolderName("C:\\X/Sub/Lamp.IFF", &folder, &name);
  EXPECT_EQ(folder, CTGString("c:\\x\\sub\\"));
  EXPECT_EQ(name, CTGString("lamp.iff"));
  FileSystem::SplitFolderName("Lamp.IFF", &folder, &name);
  EXPECT_EQ(folder, CTGString(""));
  EXPECT_EQ(name, CTGString("lamp.iff"));
  FileSystem::SplitFolderName("c:\\x\\", &folder, &name);
  EXPECT_EQ(folder, CTGString("c:\\x\\"));
  EXPECT_EQ(name, CTGString(""));
}

TEST(SplitFolderName, LongPathsAreCutTo259Characters) {
  const std::string folder250 = "c:\\" + std::string(246, 'f') + "\\";
  CTGString folder;
  CTGString name;
  FileSystem::SplitFolderName((folder250 + std::string(20, 'n')).c_str(), &folder, &name);
  EXPECT_EQ(folder, CTGString(folder250.c_str()));
  EXPECT_EQ(name.Length(), 259 - 250);
  FileSystem::SplitFolderName(CTGString("c:\\a\0b\\c", 8), &folder, &name);
  EXPECT_EQ(folder, CTGString("c:\\"));
  EXPECT_EQ(name, CTGString("a"));
}

TEST(IsArchiveName, LastThreeCharactersAreFarInAnyCase) {
  EXPECT_TRUE(FileSystem::IsArchiveName("pack.far"));
  EXPECT_TRUE(FileSystem::IsArchiveName("PACK.FaR"));
  EXPECT_TRUE(FileSystem::IsArchiveName("sofar"));
  EXPECT_TRUE(FileSystem::IsArchiveName("far"));
  EXPECT_FALSE(FileSystem::IsArchiveName("ar"));
  EXPECT_FALSE(FileSystem::IsArchiveName("pack.fart"));
}

}  // namespace
