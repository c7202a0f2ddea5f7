#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "filesystem/FileSystem.h"
#include "tests/filesystem/FarWriter.h"
#include "tests/filesystem/ScratchDrive.h"

namespace {

std::string Read(FSFile* file, int32_t count) {
  std::string bytes(static_cast<size_t>(count), '\0');
  bytes.resize(static_cast<size_t>(file->Read(bytes.data(), count)));
  return bytes;
}

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TEST(DiskFile, ReadWriteSeekAndSize) {
  ScratchDrive drive;
  drive.WriteFile("x/data.bin", "0123456789");
  FSFile* file = gFileSystem.Open("C:/X/Data.bin", true);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Name(), CTGString("c:\\x\\data.bin"));
  EXPECT_TRUE(file->IsWritable());
  EXPECT_EQ(file->Size(), 10);
  EXPECT_EQ(Read(file, 4), "0123");
  EXPECT_TRUE(file->Seek(10));
  EXPECT_FALSE(file->Seek(11));
  EXPECT_FALSE(file->Seek(-1));
  EXPECT_EQ(file->Position(), 10);
  EXPECT_EQ(file->Write("ab", 2), 2);
  EXPECT_EQ(file->Size(), 12);
  EXPECT_TRUE(file->Seek(2));
  EXPECT_EQ(file->Write("X", 1), 1);
  EXPECT_EQ(file->Size(), 12);
  EXPECT_EQ(file->Write("", 0), 0);
  EXPECT_TRUE(file->Flush());
  gFileSystem.Close(file);
  EXPECT_EQ(drive.ReadFile("x/data.bin"), "01X3456789ab");
}

TEST(DiskFile, SetSizeGrowsWithZerosAndEmpties) {
  ScratchDrive drive;
  drive.WriteFile("x/data.bin", "abc");
  FSFile* file = gFileSystem.Open("c:\\x\\data.bin", true);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->SetSize(13));
  EXPECT_EQ(file->Size(), 13);
  EXPECT_EQ(file->Position(), 13);
  EXPECT_EQ(drive.ReadFile("x/data.bin"), std::string("abc") + std::string(10, '\0'));
  EXPECT_TRUE(file->SetSize(0));
  EXPECT_EQ(file->Size(), 0);
  EXPECT_EQ(drive.ReadFile("x/data.bin"), "");
  EXPECT_FALSE(file->SetSize(-1));
  gFileSystem.Close(file);
}

TEST(DiskFile, SetSizeUpdatesTheCataloguedEntry) {
  ScratchDrive drive;
  drive.WriteFile("x/data.bin", "abc");
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  FSFile* file = fs.Open("c:\\x\\data.bin", true);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->SetSize(7));
  FSEntry* entry = nullptr;
  ASSERT_TRUE(fs.Lookup("c:\\x\\data.bin", &entry));
  EXPECT_EQ(entry->fSize, 7);
  fs.Close(file);
}

TEST(DiskFile, ReadOnlyOpenWritesNothing) {
  ScratchDrive drive;
  drive.WriteFile("x/data.bin", "abc");
  FSFile* file = gFileSystem.Open("c:\\x\\data.bin", false);
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->IsWritable());
  EXPECT_EQ(file->Write("zz", 2), 0);
  EXPECT_FALSE(file->SetSize(1));
  EXPECT_FALSE(file->SeekExtend(0) && file->SetSize(0));
  gFileSystem.Close(file);
  EXPECT_EQ(drive.ReadFile("x/data.bin"), "abc");
}

TEST(DiskFile, ReadOnlyFileOpensOnlyForReading) {
  ScratchDrive drive;
  drive.WriteFile("x/data.bin", "abc");
  drive.MakeReadOnly("x/data.bin");
  EXPECT_EQ(gFileSystem.Open("c:\\x\\data.bin", true), nullptr);
  FSFile* file = gFileSystem.Open("c:\\x\\data.bin", false);
  EXPECT_NE(file, nullptr);
  gFileSystem.Close(file);
}

TEST(DiskFile, WriterExcludesOtherOpensReadersShare) {
  ScratchDrive drive;
  drive.WriteFile("x/data.bin", "abc");
  FSFile* writer = gFileSystem.Open("c:\\x\\data.bin", true);
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(gFileSystem.Open("c:\\x\\data.bin", true), nullptr);
  EXPECT_EQ(gFileSystem.Open("c:\\x\\data.bin", false), nullptr);
  gFileSystem.Close(writer);

  FSFile* first = gFileSystem.Open("c:\\x\\data.bin", false);
  FSFile* second = gFileSystem.Open("c:\\x\\data.bin", false);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(gFileSystem.Open("c:\\x\\data.bin", true), nullptr);
  gFileSystem.Close(first);
  gFileSystem.Close(second);
}

TEST(DiskFile, MissingFilesAndFoldersDoNotOpen) {
  ScratchDrive drive;
  drive.MakeFolder("x/sub");
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  EXPECT_EQ(fs.Open("c:\\x\\missing.bin", false), nullptr);
  EXPECT_EQ(fs.Open("c:\\x\\sub", false), nullptr);
  fs.Close(nullptr);
}

TEST(DiskFile, FilesBeyond2GiBAreNotOpened) {
  ScratchDrive drive;
  drive.WriteFile("x/huge.bin", "");
  std::filesystem::resize_file(drive.HostPath("x/huge.bin"), (uint64_t{1} << 31) + 5);
  EXPECT_EQ(gFileSystem.Open("c:\\x\\huge.bin", false), nullptr);
  EXPECT_EQ(gFileSystem.Open("c:\\x\\huge.bin", true), nullptr);
  EXPECT_EQ(std::filesystem::file_size(drive.HostPath("x/huge.bin")), (uint64_t{1} << 31) + 5);
}

TEST(ReadBuffered, DeliversEveryByteAcrossRefillsAndFailsAtTheEnd) {
  ScratchDrive drive;
  const std::string bytes = Pattern(10000);
  drive.WriteFile("x/data.bin", bytes);
  FSFile* file = gFileSystem.Open("c:\\x\\data.bin", false);
  ASSERT_NE(file, nullptr);
  std::string got;
  char chunk[7];
  while (got.size() + sizeof chunk <= bytes.size()) {
    ASSERT_TRUE(file->ReadBuffered(chunk, sizeof chunk));
    got.append(chunk, sizeof chunk);
  }
  const int32_t left = static_cast<int32_t>(bytes.size() - got.size());
  EXPECT_FALSE(file->ReadBuffered(chunk, left + 1));
  EXPECT_EQ(got, bytes.substr(0, got.size()));

  ASSERT_TRUE(file->SeekRaw(9990));
  char tail[10];
  ASSERT_TRUE(file->ReadBuffered(tail, 10));
  EXPECT_EQ(std::string(tail, 10), bytes.substr(9990));
  EXPECT_TRUE(file->ReadBuffered(tail, 0));
  EXPECT_FALSE(file->ReadBuffered(tail, 1));

  ASSERT_TRUE(file->SeekRaw(100));
  std::string big(5000, '\0');
  ASSERT_TRUE(file->ReadBuffered(big.data(), 5000));
  EXPECT_EQ(big, bytes.substr(100, 5000));
  EXPECT_FALSE(file->SeekRaw(-1));
  EXPECT_FALSE(file->ReadBuffered(tail, 1));
  ASSERT_TRUE(file->SeekRaw(10001));
  EXPECT_FALSE(file->ReadBuffered(tail, 0));
  gFileSystem.Close(file);
}

class MemberFile : public ::testing::Test {
 protected:
  // Two members, then one that claims 100 bytes from the archive's last 4.
  void SetUp() override {
    const int32_t directoryOffset = FarWriter::kHeaderSize + static_cast<int32_t>(first.size() + second.size());
    std::string directory = FarWriter::Int32(3) + FarWriter::Entry(300, 16, "first.iff") +
                            FarWriter::Entry(13, 16 + 300, "second.iff");
    const int32_t tailAt = directoryOffset + static_cast<int32_t>(directory.size() + FarWriter::Entry(100, 0, "long.iff").size());
    directory += FarWriter::Entry(100, tailAt, "long.iff");
    drive.WriteFile("x/pack.far", FarWriter::Header(directoryOffset) + first + second + directory + "long");
    fs.Mount("c:\\x\\", false, true);
  }

  ScratchDrive drive;
  FileSystem fs;
  std::string first = Pattern(300);
  std::string second = "second member";
};

TEST_F(MemberFile, ReadsAreClippedToTheMember) {
  EXPECT_EQ(fs.Open("c:\\x\\first.iff", true), nullptr);
  FSFile* file = fs.Open("c:\\x\\second.iff", false);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->InArchive());
  EXPECT_FALSE(file->IsWritable());
  EXPECT_EQ(file->Size(), 13);
  EXPECT_EQ(Read(file, 100), "second member");
  EXPECT_EQ(Read(file, 100), "");
  EXPECT_TRUE(file->Seek(7));
  EXPECT_EQ(Read(file, 3), "mem");
  EXPECT_TRUE(file->Seek(13));
  EXPECT_FALSE(file->Seek(14));
  EXPECT_EQ(file->Position(), 13);
  EXPECT_FALSE(file->SeekExtend(20));
  EXPECT_FALSE(file->SetSize(1));
  EXPECT_EQ(file->Write("x", 1), 0);
  fs.Close(file);
}

TEST_F(MemberFile, MemberReachingPastTheArchiveEndReadsShort) {
  FSFile* file = fs.Open("c:\\x\\long.iff", false);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 100);
  EXPECT_EQ(Read(file, 100), "long");
  EXPECT_EQ(file->Position(), 4);
  EXPECT_EQ(Read(file, 100), "");
  fs.Close(file);
}

TEST_F(MemberFile, TwoMembersOfOneArchiveReadAlternately) {
  FSFile* a = fs.Open("c:\\x\\first.iff", false);
  FSFile* b = fs.Open("c:\\x\\second.iff", false);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  std::string gotA;
  std::string gotB;
  for (int i = 0; i < 300; ++i) {
    gotA += Read(a, 1);
    gotB += Read(b, 1);
  }
  EXPECT_EQ(gotA, first);
  EXPECT_EQ(gotB, second);
  fs.Close(a);
  fs.Close(b);
}

TEST_F(MemberFile, DeleteOfAMemberFailsAndKeepsIt) {
  EXPECT_FALSE(fs.Delete("c:\\x\\first.iff"));
  EXPECT_TRUE(fs.Lookup("c:\\x\\first.iff"));
  EXPECT_TRUE(drive.FileExists("x/pack.far"));
}

TEST_F(MemberFile, CreateOverAMemberFails) {
  EXPECT_FALSE(fs.Create("c:\\x\\first.iff"));
  EXPECT_FALSE(drive.FileExists("x/first.iff"));
}

TEST(Create, TruncatesAnUncataloguedFileAndCataloguesInMountedFolders) {
  ScratchDrive drive;
  drive.WriteFile("x/old.bin", "old bytes");
  EXPECT_TRUE(gFileSystem.Create("c:\\x\\old.bin"));
  EXPECT_EQ(drive.ReadFile("x/old.bin"), "");

  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  EXPECT_TRUE(fs.Create("C:\\X\\New.bin"));
  EXPECT_TRUE(drive.FileExists("x/New.bin"));
  FSEntry* entry = nullptr;
  ASSERT_TRUE(fs.Lookup("c:\\x\\new.bin", &entry));
  EXPECT_TRUE(entry->Writable());
  EXPECT_FALSE(entry->fInArchive);
  EXPECT_EQ(drive.Env().fReadOnlyQuestions, 0);

  drive.WriteFile("x/old.bin", "keep me");
  fs.Mount("c:\\x\\", false, true);
  EXPECT_FALSE(fs.Create("c:\\x\\old.bin"));
  EXPECT_EQ(drive.ReadFile("x/old.bin"), "keep me");
  EXPECT_FALSE(gFileSystem.Create("c:\\missing\\a.bin"));
}

TEST(Delete, RemovesTheFileAndItsEntry) {
  ScratchDrive drive;
  drive.WriteFile("x/a.bin", "a");
  drive.WriteFile("x/b.bin", "b");
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  EXPECT_TRUE(fs.Delete("C:\\X\\A.BIN"));
  EXPECT_FALSE(drive.FileExists("x/a.bin"));
  EXPECT_FALSE(fs.Lookup("c:\\x\\a.bin"));
  EXPECT_TRUE(gFileSystem.Delete("c:\\x\\b.bin"));
  EXPECT_FALSE(gFileSystem.Delete("c:\\x\\b.bin"));
}

TEST(Exists, CataloguedNamesAndOpenableDiskFiles) {
  ScratchDrive drive;
  FarWriter far;
  far.Add("chair.iff", "c");
  drive.WriteFile("x/pack.far", far.Bytes());
  drive.WriteFile("x/plain.bin", "p");
  drive.WriteFile("y/other.bin", "o");
  drive.MakeFolder("x/sub");
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  EXPECT_TRUE(fs.Exists("c:\\x\\chair.iff"));
  EXPECT_TRUE(fs.Exists("c:\\x\\sub"));
  EXPECT_TRUE(fs.Exists("c:\\x\\plain.bin"));
  EXPECT_TRUE(fs.Exists("C:\\Y\\Other.bin"));
  EXPECT_FALSE(fs.Exists("c:\\y\\missing.bin"));
  EXPECT_FALSE(gFileSystem.Exists("c:\\x\\chair.iff"));
  EXPECT_FALSE(gFileSystem.Exists("c:\\x\\sub"));
  EXPECT_TRUE(gFileSystem.Exists("c:\\x\\pack.far"));

  FSFile* writer = gFileSystem.Open("c:\\x\\plain.bin", true);
  ASSERT_NE(writer, nullptr);
  EXPECT_TRUE(gFileSystem.Exists("c:\\x\\plain.bin"));
  gFileSystem.Close(writer);
}

}  // namespace
