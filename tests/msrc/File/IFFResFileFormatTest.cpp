// The bytes an IFFResFile writes: block headers, the names cache in its
// current form (and the older form's removal), and where free space goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msrc/File/IFFResFile.h"
#include "tests/msrc/File/IFF1Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"

namespace {

class IFFResFileFormatTest : public IFF2Fixture {
 protected:
  // Adds and writes an unnamed OBJD of `size` bytes of `fill`.
  static void AddAndWrite(IFFResFile& file, int16_t id, int32_t size, char fill = 'p') {
    MHandle handle = MakeHandle(std::string(static_cast<size_t>(size), fill));
    file.AddResource(handle, kObjd, id, Name(""), false);
    file.WriteResource(handle);
    EXPECT_EQ(file.Error(), 0);
  }
};

TEST_F(IFFResFileFormatTest, AWrittenResourceIsAHeaderAndItsBytes) {
  IFFResFile file;
  ASSERT_EQ(file.Create(fPath), 0);
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = MakeHandle("abc");
  file.AddResource(handle, kObjd, -2, Name(""), true);
  file.WriteResource(handle);
  EXPECT_EQ(file.Close(), 0);
  const std::string bytes = ReadFile();
  ASSERT_EQ(bytes.size(), 96u + 19u);
  EXPECT_EQ(bytes.substr(96), IFF1Builder::BlockHeader("OBJD", 19, -2, 0x0010, -1) + "abc");
  EXPECT_EQ(bytes.substr(96, 16), std::string("OBJD\0\0\0\x13\xFF\xFE\0\x10\xFF\xFF\xFF\xFF", 16));
}

TEST_F(IFFResFileFormatTest, TheNamesCachePayloadIsPaddedWithA3) {
  IFFResFile file;
  ASSERT_EQ(file.Create(fPath), 0);
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle chair = MakeHandle("c");
  file.AddResource(chair, kObjd, 1, Name("chair"), false);
  MHandle lamp = MakeHandle("l");
  file.AddResource(lamp, kObjd, 2, Name("lamp"), false);
  MHandle bare = MakeHandle("b");
  file.AddResource(bare, kStrs, 3, Name("x"), false);
  EXPECT_EQ(file.Close(), 0);

  std::string expected(4, '\0');
  expected += std::string("\0\0\0\0EMAN", 8);
  expected += std::string("\x03\0\0\0", 4);
  // Key, text and terminator; a padding byte where the next item would
  // start at an odd offset.
  expected += std::string("\x01\0\0\0chair\0", 10);
  expected += std::string("\x02\0\0\0lamp\0\xA3", 10);
  expected += std::string("\x03\0\0\0x\0", 6);
  const std::vector<IFF1Builder::Stored> resources = IFF1Builder::Resources(ReadFile());
  std::vector<IFF1Builder::Stored> names;
  for (const IFF1Builder::Stored& block : resources) {
    if (block.type == "NAME") names.push_back(block);
  }
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].payload, expected);
  EXPECT_EQ(names[0].payload, IFF1Builder::NamesPayload({{1, "chair"}, {2, "lamp"}, {3, "x"}}));
  EXPECT_EQ(names[0].id, 1);
  EXPECT_EQ(names[0].flags, 0x0018);
  EXPECT_EQ(names[0].nameIndex, -1);
  // The empty cache from Create was freed when its replacement was written.
  EXPECT_TRUE(IFF1Builder::Walk(ReadFile())[0].IsFree());
  EXPECT_EQ(IFF1Builder::Walk(ReadFile())[0].size, 32);

  // And back.
  ASSERT_EQ(file.Open(fPath), 0);
  Name name;
  file.GetResName(file.GetResource(kObjd, 2, nullptr), &name);
  EXPECT_STREQ(name.Text(), "lamp");
  EXPECT_EQ(file.NameList()->Count(), 3);
  EXPECT_FALSE(file.NameList()->IsDirty());
  file.Close();
}

TEST_F(IFFResFileFormatTest, TheOlderNamesFormIsReadAndReplacedAtTheNextSave) {
  IFF1Builder built;
  const int32_t old = built.OldNamesCache({{1, "chair"}, {2, "lamp"}});
  built.Block("OBJD", 1, 0, 1, "one");
  built.Block("OBJD", 2, 0, 2, "two");
  WriteFile(built.Bytes());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_EQ(fReports.Count(), 0u);
    Name name;
    file.GetResName(file.GetResource(kObjd, 2, nullptr), &name);
    EXPECT_STREQ(name.Text(), "lamp");
    EXPECT_EQ(file.Close(), 0);
    // Only read: left as it was.
    EXPECT_EQ(ReadFile(), built.Bytes());
  }
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.SetResInfo(file.GetResource(kObjd, 1, nullptr), 1, Name("sofa"), 0);
    EXPECT_EQ(file.Close(), 0);
  }
  const std::string bytes = ReadFile();
  const IFF1Builder::Stored first = IFF1Builder::Walk(bytes)[0];
  EXPECT_EQ(first.offset, old);
  EXPECT_TRUE(first.IsFree());
  EXPECT_EQ(first.type, "XXXX");
  const std::vector<IFF1Builder::Stored> resources = IFF1Builder::Resources(bytes);
  ASSERT_EQ(resources.size(), 3u);
  EXPECT_EQ(resources[2].type, "NAME");
  EXPECT_EQ(resources[2].id, 1);
  EXPECT_EQ(resources[2].payload, IFF1Builder::NamesPayload({{2, "lamp"}, {1, "sofa"}}));

  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  Name name;
  file.GetResName(file.GetResource(kObjd, 1, nullptr), &name);
  EXPECT_STREQ(name.Text(), "sofa");
  file.Close();
}

TEST_F(IFFResFileFormatTest, AdjacentFreeBlocksMergeToServeAnExactFit) {
  IFF1Builder built;
  built.NamesCache({});
  const int32_t free40 = built.Free(40);
  built.Free(60);
  const int32_t next = built.Block("OBJD", 1, 0, -1, "last");
  WriteFile(built.Bytes());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_EQ(file.InvalidTotal(), 100);
    AddAndWrite(file, 2, 84);
    EXPECT_EQ(file.InvalidTotal(), 0);
    EXPECT_EQ(file.FreeSpaceHint(), free40);
    EXPECT_EQ(file.Close(), 0);
  }
  std::string expected = built.Bytes().substr(0, static_cast<size_t>(free40));
  expected += IFF1Builder::BlockHeader("OBJD", 100, 2, 0, -1) + std::string(84, 'p');
  expected += built.Bytes().substr(static_cast<size_t>(next));
  EXPECT_EQ(ReadFile(), expected);
}

TEST_F(IFFResFileFormatTest, AFreeRegionLessThanAHeaderTooLargeIsPassedOver) {
  IFF1Builder built;
  built.NamesCache({});
  const int32_t free40 = built.Free(40);
  built.Free(60);
  built.Block("OBJD", 1, 0, -1, "last");
  WriteFile(built.Bytes());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    AddAndWrite(file, 2, 80);
    EXPECT_EQ(file.InvalidTotal(), 100);
    EXPECT_EQ(file.FreeSpaceHint(), built.End());
    EXPECT_EQ(file.Close(), 0);
  }
  // The two were merged on the way and stay one free block of 100.
  std::string expected = built.Bytes();
  expected.replace(static_cast<size_t>(free40), 16, IFF1Builder::BlockHeader("XXXX", 100, 0, 0x0004, -1));
  expected += IFF1Builder::BlockHeader("OBJD", 96, 2, 0, -1) + std::string(80, 'p');
  EXPECT_EQ(ReadFile(), expected);
}

TEST_F(IFFResFileFormatTest, ALargerFreeBlockIsSplitWithAFreeBlockBehind) {
  IFF1Builder built;
  built.NamesCache({});
  const int32_t free100 = built.Free(100);
  built.Block("OBJD", 1, 0, -1, "last");
  WriteFile(built.Bytes());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    AddAndWrite(file, 2, 20);
    EXPECT_EQ(file.InvalidTotal(), 64);
    EXPECT_EQ(file.Close(), 0);
  }
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks[1].offset, free100);
  EXPECT_EQ(blocks[1].size, 36);
  EXPECT_EQ(blocks[1].type, "OBJD");
  EXPECT_EQ(ReadFile().substr(static_cast<size_t>(free100 + 36), 16),
            IFF1Builder::BlockHeader("XXXX", 64, 0, 0x0004, -1));
  EXPECT_EQ(ReadFile().size(), built.Bytes().size());
}

TEST_F(IFFResFileFormatTest, TheSearchResumesAtTheHintAndNeverWrapsRound) {
  IFF1Builder built;
  built.NamesCache({});
  const int32_t free50 = built.Free(50);
  built.Block("OBJD", 1, 0, -1, "one");
  const int32_t free100 = built.Free(100);
  built.Block("OBJD", 2, 0, -1, "two");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.FreeSpaceHint(), -1);
  AddAndWrite(file, 3, 84);
  EXPECT_EQ(file.FreeSpaceHint(), free100);
  AddAndWrite(file, 4, 34);
  // The 50 bytes before the hint would have fitted exactly.
  EXPECT_EQ(file.FreeSpaceHint(), built.End());
  EXPECT_EQ(file.Close(), 0);
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  EXPECT_TRUE(blocks[1].IsFree());
  EXPECT_EQ(blocks[1].offset, free50);
  EXPECT_EQ(blocks[3].id, 3);
  EXPECT_EQ(blocks.back().id, 4);
  EXPECT_EQ(blocks.back().offset, built.End());
}

TEST_F(IFFResFileFormatTest, ARewriteOfTheSameSizeStaysInPlaceAndAGrownOneMoves) {
  IFF1Builder built;
  built.NamesCache({{1, "kept"}});
  const int32_t at = built.Block("OBJD", 1, 0, 1, "abcd");
  built.Block("OBJD", 2, 0, -1, "next");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = file.GetResource(kObjd, 1, nullptr);
  static_cast<char*>(LockMHandle(handle))[0] = 'X';
  UnlockMHandle(handle);
  file.WriteResource(handle);
  EXPECT_EQ(file.Error(), 0);
  std::string expected = built.Bytes();
  expected[static_cast<size_t>(at) + 16] = 'X';
  EXPECT_EQ(ReadFile(), expected);

  ASSERT_EQ(SetMHandleSize(handle, 5), 0);
  static_cast<char*>(LockMHandle(handle))[4] = 'e';
  UnlockMHandle(handle);
  file.WriteResource(handle);
  EXPECT_EQ(file.Error(), 0);
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_TRUE(blocks[1].IsFree());
  EXPECT_EQ(blocks[1].size, 20);
  // Freeing keeps id and name index: only type and flags change.
  EXPECT_EQ(ReadFile().substr(static_cast<size_t>(at), 16), IFF1Builder::BlockHeader("XXXX", 20, 1, 0x0004, 1));
  EXPECT_EQ(blocks[3].payload, "Xbcde");
  EXPECT_EQ(blocks[3].nameIndex, 1);
  EXPECT_EQ(file.InvalidTotal(), 20);
  EXPECT_EQ(file.Close(), 0);
}

}  // namespace
