#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesystem/FileSystem.h"
#include "tests/filesystem/ScratchDrive.h"

namespace {

std::vector<std::string> Listed(FileSystem& fs, const char* pattern) {
  std::vector<std::string> names;
  FSFind find;
  for (bool found = fs.FindFirst(pattern, &find); found; found = fs.FindNext(&find)) {
    names.push_back(std::string(find.Folder().Text()) + find.Name().Text() + (find.IsFolder() ? "/" : ""));
  }
  return names;
}

TEST(Mount, ListsLowerCaseNamesInByteOrder) {
  ScratchDrive drive;
  drive.WriteFile("X/B.IFF", "b");
  drive.WriteFile("X/a.iff", "a");
  drive.WriteFile("X/zeta.iff", "z");
  // "Été" in Latin-1 bytes where names are bytes, otherwise in UTF-8; only
  // ASCII letters are lowered either way.
  const std::string accented = ScratchFolder::NamesAreBytes() ? "\xC9t\xE9.iff" : "\xC3\x89t\xC3\xA9.iff";
  drive.WriteFile("X/" + accented, "e");
  drive.MakeFolder("X/Sub");
  FileSystem fs;
  EXPECT_TRUE(fs.Mount("C:\\X\\", false, true));
  EXPECT_EQ(Listed(fs, "c:\\x\\*"),
            (std::vector<std::string>{"c:\\x\\a.iff", "c:\\x\\b.iff", "c:\\x\\sub/", "c:\\x\\zeta.iff",
                                      "c:\\x\\" + accented}));
  EXPECT_EQ(Listed(fs, "C:/X/*.IFF").size(), 4u);
}

TEST(Mount, NonRecursiveCataloguesOneLevelRecursiveAll) {
  ScratchDrive drive;
  drive.WriteFile("x/sub/deep/lamp.iff", "l");
  FileSystem flat;
  flat.Mount("c:\\x\\", false, true);
  EXPECT_TRUE(flat.IsFolder("c:\\x\\"));
  EXPECT_FALSE(flat.IsFolder("c:\\x\\sub\\"));
  EXPECT_TRUE(flat.Lookup("c:\\x\\sub"));

  FileSystem deep;
  deep.Mount("c:/x", true, true);
  EXPECT_TRUE(deep.IsFolder("c:\\x\\sub\\deep\\"));
  EXPECT_TRUE(deep.Lookup("C:\\X\\SUB\\DEEP\\LAMP.IFF"));
}

TEST(Mount, RecursionDoesNotFollowALinkBackIntoTheWalk) {
  if (!ScratchFolder::LinksWork()) GTEST_SKIP() << "this host makes no links for tests";
  ScratchDrive drive;
  drive.WriteFile("x/sub/lamp.iff", "l");
  drive.Link("x/sub/up", "..");
  FileSystem fs;
  EXPECT_TRUE(fs.Mount("c:\\x\\", true, false));
  EXPECT_TRUE(fs.Lookup("c:\\x\\sub\\up"));
  EXPECT_FALSE(fs.IsFolder("c:\\x\\sub\\up\\"));
  EXPECT_EQ(fs.GetCatalogue().size(), 2u);
}

TEST(Mount, FolderThatCannotBeListedIsLeftOut) {
  ScratchDrive drive;
  FileSystem fs;
  EXPECT_TRUE(fs.Mount("c:\\missing\\", true, true));
  EXPECT_TRUE(fs.GetCatalogue().empty());
  FSFind find;
  EXPECT_FALSE(fs.FindFirst("c:\\missing\\*", &find));
  EXPECT_FALSE(fs.FindNext(&find));
}

TEST(IsFolder, AnyCaseEitherSeparatorButKeysEndWithSeparator) {
  ScratchDrive drive;
  drive.MakeFolder("Games/X");
  FileSystem fs;
  fs.Mount("c:\\games\\x\\", false, true);
  EXPECT_TRUE(fs.IsFolder("C:\\GAMES\\X\\"));
  EXPECT_TRUE(fs.IsFolder("c:/Games/x/"));
  EXPECT_FALSE(fs.IsFolder("c:\\games\\x"));
  EXPECT_NE(fs.FolderEntries("C:/Games/X/"), nullptr);
  EXPECT_EQ(fs.FolderEntries("c:\\games\\"), nullptr);
}

TEST(FindFirst, FailsWithoutAFolderPartOnUncataloguedOrEmptyFolders) {
  ScratchDrive drive;
  drive.MakeFolder("empty");
  drive.WriteFile("x/a.iff", "a");
  FileSystem fs;
  fs.Mount("c:\\empty\\", false, true);
  fs.Mount("c:\\x\\", false, true);
  FSFind find;
  EXPECT_FALSE(fs.FindFirst("*", &find));
  EXPECT_FALSE(fs.FindFirst("a.iff", &find));
  EXPECT_FALSE(fs.FindFirst("c:\\other\\*", &find));
  EXPECT_TRUE(fs.IsFolder("c:\\empty\\"));
  EXPECT_FALSE(fs.FindFirst("c:\\empty\\*", &find));
  EXPECT_FALSE(fs.FindFirst("c:\\x\\*.txt", &find));
  EXPECT_TRUE(fs.FindFirst("c:\\x\\*", &find));
}

TEST(FindNext, EntriesAddedDuringASearchDoNotDisturbIt) {
  ScratchDrive drive;
  drive.WriteFile("x/b.iff", "b");
  drive.WriteFile("x/d.iff", "d");
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  FSFind find;
  ASSERT_TRUE(fs.FindFirst("c:\\x\\*", &find));
  EXPECT_EQ(find.Name(), CTGString("b.iff"));
  ASSERT_TRUE(fs.Create("c:\\x\\a.iff"));
  ASSERT_TRUE(fs.Create("c:\\x\\c.iff"));
  ASSERT_TRUE(fs.FindNext(&find));
  EXPECT_EQ(find.Name(), CTGString("c.iff"));
  ASSERT_TRUE(fs.FindNext(&find));
  EXPECT_EQ(find.Name(), CTGString("d.iff"));
  EXPECT_FALSE(fs.FindNext(&find));
  EXPECT_FALSE(fs.FindNext(&find));
}

TEST(Writable, ReadOnlyDiskFilesAreNotWritableAndTheHostIsAskedOnlyWhenWanted) {
  ScratchDrive drive;
  drive.WriteFile("x/locked.iff", "l");
  drive.WriteFile("x/open.iff", "o");
  drive.WriteFile("x/other.iff", "t");
  drive.MakeFolder("x/sub");
  drive.MakeReadOnly("x/locked.iff");
  FileSystem fs;
  fs.Mount("c:\\x\\", true, true);
  FSFind find;
  ASSERT_TRUE(fs.FindFirst("c:\\x\\*", &find));
  while (find.Name() != CTGString("other.iff")) ASSERT_TRUE(fs.FindNext(&find));
  EXPECT_EQ(drive.Env().fReadOnlyQuestions, 0);

  FSEntry* locked = nullptr;
  FSEntry* open = nullptr;
  ASSERT_TRUE(fs.Lookup("c:\\x\\locked.iff", &locked));
  ASSERT_TRUE(fs.Lookup("c:\\x\\open.iff", &open));
  EXPECT_FALSE(locked->Writable());
  EXPECT_TRUE(open->Writable());
  EXPECT_EQ(drive.Env().fReadOnlyQuestions, 2);

  // The first answer is kept, for the entry and for searches that meet it.
  EXPECT_FALSE(locked->Writable());
  ASSERT_TRUE(fs.FindFirst("c:\\x\\locked.iff", &find));
  EXPECT_FALSE(find.Writable());
  EXPECT_EQ(drive.Env().fReadOnlyQuestions, 2);
  ASSERT_TRUE(fs.FindFirst("c:\\x\\sub", &find));
  EXPECT_TRUE(find.IsFolder());
  EXPECT_TRUE(find.Writable());
}

TEST(Writable, AnEntryAskedAfterItsFileWentAwayCountsAsWritable) {
  ScratchDrive drive;
  drive.WriteFile("x/locked.iff", "l");
  drive.MakeReadOnly("x/locked.iff");
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  drive.Remove("x/locked.iff");
  FSEntry* entry = nullptr;
  ASSERT_TRUE(fs.Lookup("c:\\x\\locked.iff", &entry));
  EXPECT_TRUE(entry->Writable());
}

}  // namespace
