#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesystem/FileSystem.h"
#include "tests/filesystem/FarWriter.h"
#include "tests/filesystem/ScratchDrive.h"

namespace {

std::string ReadAll(FileSystem& fs, const char* path) {
  FSFile* file = fs.Open(path, false);
  if (file == nullptr) return "<not opened>";
  std::string bytes(64, '\0');
  bytes.resize(static_cast<size_t>(file->Read(bytes.data(), static_cast<int32_t>(bytes.size()))));
  fs.Close(file);
  return bytes;
}

std::vector<std::string> Names(FileSystem& fs, const char* folder) {
  std::vector<std::string> names;
  if (const FSFolderTable* table = fs.FolderEntries(folder)) {
    for (const auto& [name, entry] : *table) names.push_back(std::string(name.Text()) + (entry.fIsFolder ? "/" : ""));
  }
  return names;
}

// Lists "a" before "b" (ascending) or after it.
auto Ascending() {
  return [](const std::string& a, const std::string& b) { return a < b; };
}
auto Descending() {
  return [](const std::string& a, const std::string& b) { return a > b; };
}

TEST(ArchiveMount, MembersAreReadOnlyFilesOfTheArchiveFolder) {
  ScratchDrive drive;
  FarWriter far;
  far.Add("Chair.IFF", "chair bytes");
  far.Add("Sub/Lamp.iff", "lamp");
  drive.WriteFile("x/Pack.FAR", far.Bytes());
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  EXPECT_EQ(Names(fs, "c:\\x\\"), (std::vector<std::string>{"chair.iff", "sub/"}));
  EXPECT_EQ(Names(fs, "c:\\x\\sub\\"), std::vector<std::string>{"lamp.iff"});

  FSEntry* chair = nullptr;
  ASSERT_TRUE(fs.Lookup("C:\\X\\CHAIR.IFF", &chair));
  EXPECT_TRUE(chair->fInArchive);
  EXPECT_FALSE(chair->Writable());
  EXPECT_EQ(chair->fName, CTGString("c:\\x\\pack.far"));
  EXPECT_EQ(chair->fOffset, 16);
  EXPECT_EQ(chair->fSize, 11);
  FSFind find;
  ASSERT_TRUE(fs.FindFirst("c:\\x\\chair.iff", &find));
  EXPECT_FALSE(find.Writable());
  EXPECT_EQ(ReadAll(fs, "c:/x/sub/LAMP.iff"), "lamp");
  EXPECT_EQ(drive.Env().fReadOnlyQuestions, 0);
}

TEST(ArchiveMount, WithoutArchivesTheArchiveIsSkippedEntirely) {
  ScratchDrive drive;
  FarWriter far;
  far.Add("chair.iff", "c");
  drive.WriteFile("x/pack.far", far.Bytes());
  drive.WriteFile("x/sofar", far.Bytes());
  FileSystem fs;
  fs.Mount("c:\\x\\", false, false);
  EXPECT_TRUE(fs.IsFolder("c:\\x\\"));
  EXPECT_TRUE(Names(fs, "c:\\x\\").empty());
}

TEST(ArchiveMount, FirstArchiveInByteOrderSuppliesASharedNameWhateverTheHostOrder) {
  for (bool ascending : {true, false}) {
    ScratchDrive drive;
    FarWriter a;
    a.Add("chair.iff", "from a");
    FarWriter b;
    b.Add("CHAIR.IFF", "from b");
    drive.WriteFile("x/a.far", a.Bytes());
    drive.WriteFile("x/b.far", b.Bytes());
    if (ascending) {
      drive.Env().fListBefore = Ascending();
    } else {
      drive.Env().fListBefore = Descending();
    }
    FileSystem fs;
    fs.Mount("c:\\x\\", false, true);
    EXPECT_EQ(ReadAll(fs, "c:\\x\\chair.iff"), "from a");
  }
}

TEST(ArchiveMount, DiskFileWinsWhicheverIsListedFirst) {
  for (bool diskFirst : {true, false}) {
    ScratchDrive drive;
    FarWriter far;
    far.Add("chair.iff", "member");
    drive.WriteFile("x/pack.far", far.Bytes());
    drive.WriteFile("x/chair.iff", "disk file");
    if (diskFirst) {
      drive.Env().fListBefore = Ascending();
    } else {
      drive.Env().fListBefore = Descending();
    }
    FileSystem fs;
    fs.Mount("c:\\x\\", false, true);
    FSEntry* entry = nullptr;
    ASSERT_TRUE(fs.Lookup("c:\\x\\chair.iff", &entry));
    EXPECT_FALSE(entry->fInArchive);
    EXPECT_EQ(entry->fHandle, nullptr);
    EXPECT_EQ(entry->fName, CTGString("chair.iff"));
    EXPECT_TRUE(entry->Writable());
    EXPECT_EQ(ReadAll(fs, "c:\\x\\chair.iff"), "disk file");
    FSFile* writable = fs.Open("c:\\x\\chair.iff", true);
    EXPECT_NE(writable, nullptr);
    fs.Close(writable);
  }
}

TEST(ArchiveMount, MemberFoldersAreRegisteredAsFarAsTheCatalogueReaches) {
  ScratchDrive drive;
  FarWriter far;
  far.Add("a/b/c/deep.iff", "d");
  far.Add("a/top.iff", "t");
  far.Add("a/b/c/d/deeper.iff", "e");
  drive.WriteFile("x/pack.far", far.Bytes());
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  // deep.iff finds c:\x\a\b\ uncatalogued, so nothing is registered for it;
  // top.iff registers a; deeper.iff then climbs to c:\x\a\b\c\, which exists.
  EXPECT_EQ(Names(fs, "c:\\x\\"), std::vector<std::string>{"a/"});
  EXPECT_EQ(Names(fs, "c:\\x\\a\\"), std::vector<std::string>{"top.iff"});
  EXPECT_EQ(Names(fs, "c:\\x\\a\\b\\c\\"), (std::vector<std::string>{"d/", "deep.iff"}));
  EXPECT_FALSE(fs.IsFolder("c:\\x\\a\\b\\"));
}

TEST(ArchiveMount, DotAndEmptyFolderPartsDoNotBecomeFolders) {
  ScratchDrive drive;
  FarWriter far;
  far.Add("../up.iff", "u");
  far.Add("./here.iff", "h");
  far.Add("\\rooted.iff", "r");
  far.Add("folder/", "f");
  drive.WriteFile("x/pack.far", far.Bytes());
  FileSystem fs;
  fs.Mount("c:\\x\\", false, false);
  EXPECT_TRUE(fs.MountArchive("c:\\x\\pack.far"));
  EXPECT_TRUE(Names(fs, "c:\\x\\").empty());
  EXPECT_TRUE(fs.Lookup("c:\\x\\..\\up.iff"));
  EXPECT_TRUE(fs.Lookup("c:\\x\\.\\here.iff"));
  EXPECT_FALSE(fs.IsFolder("c:\\x\\folder\\"));
}

TEST(ArchiveMount, EmptyArchiveMountsAndAddsNothing) {
  ScratchDrive drive;
  drive.WriteFile("x/empty.far", FarWriter().Bytes());
  drive.WriteFile("x/negative.far", FarWriter::Header(16) + FarWriter::Int32(-5));
  FileSystem fs;
  fs.Mount("c:\\x\\", false, false);
  EXPECT_TRUE(fs.MountArchive("c:\\x\\empty.far"));
  EXPECT_TRUE(fs.MountArchive("c:\\x\\negative.far"));
  EXPECT_TRUE(Names(fs, "c:\\x\\").empty());
}

TEST(ArchiveMount, ArchiveThatCannotBeOpenedTellsTheDebugger) {
  ScratchDrive drive;
  drive.MakeFolder("x");
  FileSystem fs;
  EXPECT_FALSE(fs.MountArchive("C:\\X\\Pack.FAR"));
  EXPECT_EQ(drive.Env().fDebugOutput, std::vector<std::string>{"Couldn't Open file 'c:\\x\\pack.far' for mapping."});
}

TEST(ArchiveMount, ArchiveHeldByAWriterIsSkippedByTheFolderMount) {
  ScratchDrive drive;
  FarWriter far;
  far.Add("chair.iff", "c");
  drive.WriteFile("x/pack.far", far.Bytes());
  drive.WriteFile("x/lamp.iff", "l");
  FSFile* writer = gFileSystem.Open("c:\\x\\pack.far", true);
  ASSERT_NE(writer, nullptr);
  FileSystem fs;
  EXPECT_TRUE(fs.Mount("c:\\x\\", false, true));
  EXPECT_EQ(Names(fs, "c:\\x\\"), std::vector<std::string>{"lamp.iff"});
  EXPECT_EQ(drive.Env().fDebugOutput.size(), 1u);
  gFileSystem.Close(writer);
}

TEST(ArchiveMount, SecondMountOfTheSameArchiveIsRefusedAndTheFirstKeepsWorking) {
  ScratchDrive drive;
  FarWriter far;
  far.Add("chair.iff", "chair");
  drive.WriteFile("x/pack.far", far.Bytes());
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  EXPECT_FALSE(fs.MountArchive("C:/X/PACK.FAR"));
  EXPECT_EQ(ReadAll(fs, "c:\\x\\chair.iff"), "chair");
}

TEST(ArchiveMount, CloseArchivesEmptiesTheCatalogueAndAllowsAFreshMount) {
  ScratchDrive drive;
  FarWriter far;
  far.Add("chair.iff", "chair");
  drive.WriteFile("x/pack.far", far.Bytes());
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  fs.CloseArchives();
  EXPECT_TRUE(fs.GetCatalogue().empty());
  EXPECT_FALSE(fs.Exists("c:\\x\\chair.iff"));
  fs.Mount("c:\\x\\", false, true);
  EXPECT_EQ(ReadAll(fs, "c:\\x\\chair.iff"), "chair");
}

// Damaged directories: the mount fails, what was catalogued before stays.
class DamagedArchive : public ::testing::Test {
 protected:
  // Each archive gets a name of its own: a failed mount keeps its archive open.
  bool Mount(const std::string& bytes) {
    const std::string name = "pack" + std::to_string(++fArchives) + ".far";
    drive.WriteFile("x/" + name, bytes);
    fs.Mount("c:\\x\\", false, false);
    return fs.MountArchive(("c:\\x\\" + name).c_str());
  }
  std::vector<std::string> Members() { return Names(fs, "c:\\x\\"); }

  ScratchDrive drive;
  FileSystem fs;
  int fArchives = 0;
};

TEST_F(DamagedArchive, DirectoryOffsetPastTheEnd) {
  const std::string entry = FarWriter::Entry(1, 0, "a.iff");
  EXPECT_FALSE(Mount(FarWriter::Header(16 + 4 + static_cast<int32_t>(entry.size())) + FarWriter::Int32(1) + entry));
  EXPECT_TRUE(Members().empty());
}

TEST_F(DamagedArchive, DirectoryOffsetAtTheEndOrNegative) {
  EXPECT_FALSE(Mount(FarWriter::Header(16)));
  EXPECT_FALSE(Mount(FarWriter::Header(-4) + FarWriter::Int32(0)));
  EXPECT_TRUE(Members().empty());
}

TEST_F(DamagedArchive, TruncatedHeader) { EXPECT_FALSE(Mount("FAR!byQX\x01")); }

TEST_F(DamagedArchive, TruncatedEntryKeepsTheEarlierOnes) {
  const std::string good = FarWriter::Entry(1, 0, "a.iff") + FarWriter::Entry(1, 0, "b.iff");
  const std::string cut = FarWriter::Entry(1, 0, "c.iff");
  EXPECT_FALSE(Mount(FarWriter::Header(16) + FarWriter::Int32(3) + good + cut.substr(0, cut.size() - 1)));
  EXPECT_EQ(Members(), (std::vector<std::string>{"a.iff", "b.iff"}));
}

TEST_F(DamagedArchive, HugeCountRunsIntoTheEnd) {
  EXPECT_FALSE(Mount(FarWriter::Header(16) + FarWriter::Int32(0x7FFFFFFF) + FarWriter::Entry(1, 0, "a.iff")));
  EXPECT_EQ(Members(), std::vector<std::string>{"a.iff"});
}

TEST_F(DamagedArchive, NegativeNameLength) {
  std::string entry = FarWriter::Int32(1) + FarWriter::Int32(1) + FarWriter::Int32(0) + FarWriter::Int32(-1) + "abcd";
  EXPECT_FALSE(Mount(FarWriter::Header(16) + FarWriter::Int32(1) + entry));
  EXPECT_TRUE(Members().empty());
}

TEST_F(DamagedArchive, NamesLongerThan2047BytesAreRefused) {
  const std::string name2048(2048, 'n');
  EXPECT_FALSE(Mount(FarWriter::Header(16) + FarWriter::Int32(2) + FarWriter::Entry(1, 0, "a.iff") +
                     FarWriter::Entry(1, 0, name2048)));
  EXPECT_EQ(Members(), std::vector<std::string>{"a.iff"});
}

// A path longer than the catalogue holds would answer, cut, for another name.
TEST_F(DamagedArchive, Name2047BytesLongIsReadButNotCatalogued) {
  const std::string name2047(2047, 'n');
  EXPECT_TRUE(Mount(FarWriter::Header(16) + FarWriter::Int32(2) + FarWriter::Entry(1, 0, name2047) +
                    FarWriter::Entry(1, 0, "z.iff")));
  EXPECT_EQ(Members(), std::vector<std::string>{"z.iff"});
}

TEST_F(DamagedArchive, ZeroByteCutsTheName) {
  EXPECT_TRUE(Mount(FarWriter::Header(16) + FarWriter::Int32(1) + FarWriter::Entry(1, 0, std::string("a.iff\0junk", 10))));
  EXPECT_EQ(Members(), std::vector<std::string>{"a.iff"});
}

}  // namespace
