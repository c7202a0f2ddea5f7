// When Close defragments a block file, what that leaves, and that a file
// that was only read is never written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msrc/File/IFFResFile.h"
#include "tests/msrc/File/IFF1Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"

namespace {

class IFFResFileDefragTest : public IFF2Fixture {
 protected:
  // Names cache, OBJD 1 and 2 with free space of `freeBytes` between them,
  // OBJD 3 behind them, each named.
  static std::string SpacedFile(int32_t freeBytes) {
    IFF1Builder built;
    built.NamesCache({{1, "one"}, {2, "two"}, {3, "three"}});
    built.Block("OBJD", 1, 0, 1, std::string(300, '1'));
    built.Free(freeBytes);
    built.Block("OBJD", 2, 0, 2, std::string(70000, '2'));
    built.Block("OBJD", 3, 0, 3, "3");
    return built.Bytes();
  }

  // Opens, lists and loads everything, and closes.
  void ReadAll() {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    for (int16_t t = 1; t <= file.CountTypes(); ++t) {
      const ResType type = file.GetIndType(t);
      for (int16_t i = 1; i <= file.CountResources(type); ++i) {
        MHandle handle = file.GetIndResource(type, i, nullptr);
        Name name;
        file.GetResName(handle, &name);
        file.IsSwizzled(handle);
      }
    }
    Name name("one");
    file.MakeUniqueName(kObjd, &name);
    file.UniqueID(kObjd);
    file.GetNamedResource(kObjd, Name("two"), nullptr);
    file.Flush();
    EXPECT_FALSE(file.IsChanged());
    EXPECT_EQ(file.Close(), 0);
  }

  // Renumbers OBJD 3 (a header rewrite; nothing allocated or freed).
  void ChangeAndClose() {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.SetResID(file.GetResource(kObjd, 3, nullptr), 30);
    ASSERT_EQ(file.Error(), 0);
    EXPECT_TRUE(file.IsChanged());
    EXPECT_EQ(file.Close(), 0);
  }

  void ExpectContents() {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_EQ(BytesOf(file.GetResource(kObjd, 1, nullptr)), std::string(300, '1'));
    EXPECT_EQ(BytesOf(file.GetResource(kObjd, 2, nullptr)), std::string(70000, '2'));
    MHandle three = file.GetResource(kObjd, 30, nullptr);
    EXPECT_EQ(BytesOf(three), "3");
    Name name;
    file.GetResName(three, &name);
    EXPECT_STREQ(name.Text(), "three");
    file.Close();
  }
};

TEST_F(IFFResFileDefragTest, AChangedFileWith10240FreeBytesIsDefragmented) {
  const std::string before = SpacedFile(10240);
  WriteFile(before);
  ChangeAndClose();
  const std::string after = ReadFile();
  EXPECT_EQ(after.size(), before.size() - 10240);
  EXPECT_EQ(IFF1Builder::FreeBytes(after), 0);
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(after);
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks[0].type, "NAME");
  EXPECT_EQ(blocks[2].payload, std::string(70000, '2'));
  EXPECT_EQ(blocks[3].id, 30);
  EXPECT_EQ(blocks[3].offset + blocks[3].size, static_cast<int32_t>(after.size()));
  ExpectContents();
}

TEST_F(IFFResFileDefragTest, OneByteLessIsLeftAsItIs) {
  const std::string before = SpacedFile(10239);
  WriteFile(before);
  ChangeAndClose();
  const std::string after = ReadFile();
  EXPECT_EQ(after.size(), before.size());
  EXPECT_EQ(IFF1Builder::FreeBytes(after), 10239);
  ExpectContents();
}

TEST_F(IFFResFileDefragTest, FreeSpaceInManyBlocksCountsTogether) {
  IFF1Builder built;
  built.NamesCache({});
  built.Free(5000);
  built.Block("OBJD", 1, 0, -1, "a");
  built.Free(3000);
  built.Free(2240);
  built.Block("OBJD", 3, 0, -1, "c");
  WriteFile(built.Bytes());
  ChangeAndClose();
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[1].payload, "a");
  EXPECT_EQ(blocks[2].id, 30);
  EXPECT_EQ(ReadFile().size(), built.Bytes().size() - 10240);
}

TEST_F(IFFResFileDefragTest, BlocksLargerThanTheCopyBufferMoveWholeEitherWay) {
  // One moves clear of its old place, the other overlaps it.
  IFF1Builder built;
  built.NamesCache({});
  built.Free(60000);
  std::string clear(55000, 'c');
  clear[0] = 'C';
  clear.back() = 'E';
  built.Block("OBJD", 1, 0, -1, clear);
  built.Free(16);
  std::string overlapping(120000, 'o');
  overlapping[51199] = 'X';
  built.Block("OBJD", 2, 0, -1, overlapping);
  built.Block("OBJD", 3, 0, -1, "c");
  WriteFile(built.Bytes());
  ChangeAndClose();
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks[1].payload, clear);
  EXPECT_EQ(blocks[2].payload, overlapping);
  EXPECT_EQ(blocks[3].id, 30);
  EXPECT_EQ(ReadFile().size(), built.Bytes().size() - 60016);
}

TEST_F(IFFResFileDefragTest, AFileThatWasOnlyReadIsLeftByteForByte) {
  const std::string before = SpacedFile(20000);
  WriteFile(before);
  ReadAll();
  EXPECT_EQ(ReadFile(), before);
}

TEST_F(IFFResFileDefragTest, AReadOnlyFileIsNeverDefragmented) {
  const std::string before = SpacedFile(20000);
  WriteFile(before);
  fDrive.MakeReadOnly("x/t.iff");
  ReadAll();
  EXPECT_EQ(ReadFile(), before);
}

TEST_F(IFFResFileDefragTest, AMissingNamesCacheIsWrittenButDoesNotCountAsAChange) {
  IFF1Builder built;
  built.Block("OBJD", 1, 0, -1, "a");
  built.Free(20000);
  built.Block("OBJD", 2, 0, -1, "b");
  WriteFile(built.Bytes());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_TRUE(Reported("no names cache"));
    EXPECT_EQ(file.Close(), 0);
  }
  // The empty cache took the start of the free block; nothing moved.
  std::string expected = built.Bytes().substr(0, 64 + 17);
  expected += IFF1Builder::BlockHeader("NAME", 32, 1, 0x0018, -1) + IFF1Builder::NamesPayload({});
  expected += IFF1Builder::BlockHeader("XXXX", 20000 - 32, 0, 0x0004, -1);
  expected += built.Bytes().substr(64 + 17 + 32 + 16);
  EXPECT_EQ(ReadFile(), expected);

  // Now it has one, reading leaves it alone.
  fReports.Clear();
  ReadAll();
  EXPECT_EQ(ReadFile(), expected);
  EXPECT_EQ(fReports.Count(), 0u);

  // Read-only, it is not written at all.
  WriteFile(built.Bytes());
  fDrive.MakeReadOnly("x/t.iff");
  ReadAll();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileDefragTest, NamesAddedToAFileWithoutACacheCountAsAChange) {
  IFF1Builder built;
  built.Block("OBJD", 1, 0, -1, "a");
  built.Free(20000);
  built.Block("OBJD", 2, 0, -1, "b");
  WriteFile(built.Bytes());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.SetResInfo(file.GetResource(kObjd, 2, nullptr), 2, Name("bee"), 0);
    EXPECT_EQ(file.Close(), 0);
  }
  EXPECT_EQ(IFF1Builder::FreeBytes(ReadFile()), 0);
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  Name name;
  file.GetResName(file.GetResource(kObjd, 2, nullptr), &name);
  EXPECT_STREQ(name.Text(), "bee");
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 1, nullptr)), "a");
  file.Close();
}

TEST_F(IFFResFileDefragTest, ADamagedChainIsNotDefragmented) {
  IFF1Builder built;
  built.NamesCache({});
  built.Block("OBJD", 1, 0, -1, "a");
  built.Free(12000);
  built.Block("OBJD", 3, 0, -1, "c");
  built.Raw(IFF1Builder::BlockHeader("OBJD", 8, 4, 0, -1) + "beyond the break");
  WriteFile(built.Bytes());
  ChangeAndClose();
  std::string expected = built.Bytes();
  const IFF1Builder::Stored three = IFF1Builder::Walk(built.Bytes())[3];
  expected.replace(static_cast<size_t>(three.offset), 16, IFF1Builder::BlockHeader("OBJD", three.size, 30, 0, -1));
  EXPECT_EQ(ReadFile(), expected);
}

}  // namespace
