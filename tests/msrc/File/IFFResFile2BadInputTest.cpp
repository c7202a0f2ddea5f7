// Damaged and hostile files: impossible sizes, maps that point anywhere or run
// short, broken chains. Each gets a clear behaviour and never a read or write
// outside the file, an endless walk or an allocation sized by unread bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "msrc/File/IFFResFile2.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/File/IFF2Reader.h"

namespace {

class IFFResFile2BadInputTest : public IFF2Fixture {
 protected:
  // Adds and writes a small resource; the error it leaves.
  static int32_t AddOne(IFFResFile2& file, int16_t id) {
    MHandle handle = MakeHandle("added");
    file.AddResource(handle, kObjd, id, Name(""), false);
    file.WriteResource(handle);
    return file.Error();
  }
};

// No reader gets past a header whose size cannot be right, so the bytes from
// there to the end of the file are no block anyone can read: a save turns
// them into one free block and goes on, and the chain then ends where the
// file does.
TEST_F(IFFResFile2BadInputTest, AWalkStopsAtASizeItCannotBelieve) {
  for (const uint32_t size : {75u, 0u, 0x40000001u, 0xFFFFFFFFu}) {
    IFF2Builder built('2', '0', 0);
    built.Block("OBJD", 1, 0, "", "one");
    const int32_t brokenAt =
        built.Raw(IFF2Builder::BlockHeader("OBJD", static_cast<int32_t>(size), 2, 0, ""));
    built.Block("OBJD", 3, 0, "", "three");
    WriteFile(built.Bytes());
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0) << size;
    EXPECT_EQ(file.CountResources(kObjd), 1) << size;
    EXPECT_EQ(AddOne(file, 9), 0) << size;
    EXPECT_EQ(file.Close(), 0) << size;
    const IFF2Reader reader(ReadFile());
    EXPECT_TRUE(reader.Whole()) << size;
    ASSERT_EQ(reader.Resources().size(), 3u) << size;
    EXPECT_EQ(reader.Resources()[0].payload, "one");
    EXPECT_EQ(reader.Resources()[1].offset, brokenAt);
    EXPECT_EQ(reader.Resources()[1].payload, "added");
    EXPECT_EQ(reader.Resources()[2].type, "rsmp");
  }
}

TEST_F(IFFResFile2BadInputTest, ABlockRunningPastTheEndIsListedButNotRead) {
  IFF2Builder built('2', '0', 0);
  built.Block("OBJD", 1, 0, "", "one");
  built.Raw(IFF2Builder::BlockHeader("OBJD", 0x40000000, 2, 0, "") + "short");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountResources(kObjd), 2);
  const int32_t handles = CountLiveMHandles();
  EXPECT_EQ(file.GetResource(kObjd, 2, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrShortRead);
  EXPECT_EQ(CountLiveMHandles(), handles);
  EXPECT_EQ(AddOne(file, 9), IFFResFile2::kIFFErrDamaged);
  file.Close();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFile2BadInputTest, FewerThanAHeaderOfStrayBytesAreWrittenOver) {
  IFF2Builder built('2', '0', 0);
  built.Block("OBJD", 1, 0, "", "one");
  const int32_t tail = built.Raw(std::string(75, '#'));
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(AddOne(file, 2), 0);
  file.Close();
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(reader.At(tail)->payload, "added");
  EXPECT_EQ(reader.Resources().back().type, "rsmp");
}

TEST_F(IFFResFile2BadInputTest, AMapThatPointsAnywhereIsIgnored) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "one");
  const int32_t free = built.Free(80);
  const int32_t other = built.Block("STR#", 0, 0, "", "s");
  for (const uint32_t named : {10u, 64u, static_cast<uint32_t>(free), static_cast<uint32_t>(other), 5000u,
                               0x80000000u, 0xFFFFFFFFu}) {
    built.SetMapOffset(named);
    WriteFile(built.Bytes());
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0) << named;
    EXPECT_FALSE(file.OpenedFromMap());
    EXPECT_EQ(file.CountTypes(), 2);
    EXPECT_EQ(BytesOf(file.GetResource(kObjd, 1, nullptr)), "one");
    file.Close();
    EXPECT_EQ(ReadFile(), built.Bytes());
  }
}

// Only a map that lists itself, or is too short to say anything, is not this
// file's: the chain is walked instead.
TEST_F(IFFResFile2BadInputTest, AMapThatIsNotThisFilesIsIgnored) {
  for (const std::string& payload :
       {IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, ""}}}, {"rsmp", {{144, 0, 0, ""}}}}), std::string("tiny")}) {
    IFF2Builder built;
    built.Block("OBJD", 1, 0, "one", "1234");
    built.Block("OBJD", 3, 0, "", "3");
    built.SetMapOffset(static_cast<uint32_t>(built.Block("rsmp", 0, 0x0010, "", payload)));
    WriteFile(built.Bytes());
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_FALSE(file.OpenedFromMap()) << payload.size();
    EXPECT_EQ(file.CountResources(kObjd), 2);
    EXPECT_EQ(BytesOf(file.GetResource(kObjd, 3, nullptr)), "3");
    file.Close();
  }
}

// A map is used for whatever it decodes: an entry that names no block of its
// type fails on its own when it is loaded, and every other one loads. Counts
// beyond the bytes present, or a name that runs off the end, end the decode
// there. Reading never writes.
TEST_F(IFFResFile2BadInputTest, AMapWithBadEntriesIsUsedForWhatItHolds) {
  struct Case {
    const char* what;
    std::string payload;
    int16_t listed;         // OBJD entries the map gives
    int32_t secondLoads;    // what loading OBJD 2 answers
  };
  const std::string empty = IFF2Builder::MapPayload(0, {});
  const Case cases[] = {
      {"past the end", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, ""}, {9000, 2, 0, ""}}}}), 2,
       kResErrShortRead},
      {"inside the file header", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, ""}, {10, 2, 0, ""}}}}), 2,
       IFFResFile2::kIFFErrDamaged},
      {"offset -1", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, ""}, {-1, 2, 0, ""}}}}), 2,
       IFFResFile2::kIFFErrDamaged},
      {"wrapping past 32 bits", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, ""}, {0x7FFFFFF0, 2, 0, ""}}}}), 2,
       kResErrShortRead},
      {"counts beyond the bytes", empty.substr(0, 16) + IFF2Builder::LittleEndian32(1) + "DJBO" +
                                      IFF2Builder::LittleEndian32(0x80000000) + IFF2Builder::LittleEndian32(64),
       0, kResErrNotFound},
      {"a name without its zero", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, "abc"}}}}).substr(0, 39), 1,
       kResErrNotFound},
  };
  for (const Case& c : cases) {
    IFF2Builder built;
    built.Block("OBJD", 1, 0, "", "1234");
    built.SetMapOffset(static_cast<uint32_t>(built.Block("rsmp", 0, 0x0010, "", c.payload)));
    WriteFile(built.Bytes());
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0) << c.what;
    EXPECT_TRUE(file.OpenedFromMap()) << c.what;
    EXPECT_EQ(file.CountResources(kObjd), c.listed) << c.what;
    if (c.listed > 0) {
      EXPECT_EQ(BytesOf(file.GetResource(kObjd, 1, nullptr)), "1234") << c.what;
    }
    EXPECT_EQ(file.GetResource(kObjd, 2, nullptr), nullptr) << c.what;
    EXPECT_EQ(file.Error(), c.secondLoads) << c.what;
    file.Close();
    EXPECT_EQ(ReadFile(), built.Bytes()) << c.what;
  }
}

// The block at an entry's offset carries another id: it loads all the same
// (its type and size are right), but nothing is ever written or freed there
// on that entry's behalf.
TEST_F(IFFResFile2BadInputTest, AMapEntryThatNamesAnotherBlockNeverWritesThere) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "one");
  built.Block("OBJD", 2, 0, "", "two");
  // The map puts OBJD 1 at OBJD 2's block.
  built.SetMapOffset(static_cast<uint32_t>(
      built.Block("rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(0, {{"OBJD", {{143, 1, 0, ""}, {143, 2, 0, ""}}}}))));
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  ASSERT_TRUE(file.OpenedFromMap());
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 1, nullptr)), "two");
  EXPECT_EQ(file.Error(), 0);
  MHandle replacement = MakeHandle("ONE");
  file.AddResource(replacement, kObjd, 1, Name(""), false);
  file.WriteResource(replacement);
  EXPECT_EQ(file.Error(), 0);
  file.SetResInfo(replacement, 1, Name("named"), 0);
  EXPECT_EQ(file.Error(), 0);
  file.RemoveResource(replacement);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 2, nullptr)), "two");
  ASSERT_EQ(file.Close(), 0);
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(reader.At(143)->payload, "two");
  EXPECT_EQ(reader.At(143)->id, 2);
}

// What a program that stops between the header and the payload of an append
// leaves: a last free block that claims more bytes than the file has. The
// next append goes there; when the file holds more of it than the new block
// needs, the bytes there are an ordinary free block.
TEST_F(IFFResFile2BadInputTest, FreeSpaceCutShortAtTheEndTakesTheNextAppend) {
  IFF2Builder built('2', '0', 0);
  built.Block("OBJD", 1, 0, "", "one");
  const int32_t tail = built.Raw(IFF2Builder::BlockHeader("XXXX", 1000, 0, 0x0004, "") + std::string(424, '#'));
  struct Case {
    int32_t payload;
    int32_t at;           // where the new block lands, from the tail
    int32_t freeBehind;   // the free block behind it (0: none)
    int32_t freeInFront;  // the free block at the tail in front of it (0: none)
    int32_t length;       // the file, from the tail
  };
  for (const Case& c : {Case{124, 0, 300, 0, 500}, Case{424, 0, 0, 0, 500}, Case{400, 500, 0, 500, 976},
                        Case{600, 0, 0, 0, 676}}) {
    WriteFile(built.Bytes());
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_EQ(file.InvalidTotal(), 0);
    const std::string payload(static_cast<size_t>(c.payload), 'n');
    MHandle handle = MakeHandle(payload);
    file.AddResource(handle, kObjd, 2, Name(""), false);
    file.WriteResource(handle);
    EXPECT_EQ(file.Error(), 0) << c.payload;
    EXPECT_EQ(file.InvalidTotal(), c.freeBehind + c.freeInFront) << c.payload;

    const std::string bytes = ReadFile();
    EXPECT_EQ(bytes.size(), static_cast<size_t>(tail + c.length)) << c.payload;
    const IFF2Reader reader(bytes);
    ASSERT_TRUE(reader.At(tail + c.at).has_value()) << c.payload;
    EXPECT_EQ(reader.At(tail + c.at)->payload, payload);
    if (c.freeBehind > 0) {
      EXPECT_EQ(reader.At(tail + c.at + 76 + c.payload)->size, c.freeBehind);
    }
    if (c.freeInFront > 0) {
      EXPECT_EQ(reader.At(tail)->size, c.freeInFront);
    }
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(IFF2Reader(ReadFile()).At(64)->payload, "one");
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_TRUE(file.OpenedFromMap());
    EXPECT_EQ(BytesOf(file.GetResource(kObjd, 2, nullptr)), payload);
    file.Close();
  }
}

TEST_F(IFFResFile2BadInputTest, DefragmentationDropsFreeSpaceCutShort) {
  IFF2Builder built('2', '0', 0);
  built.Block("OBJD", 1, 0, "", "one");
  built.Free(10240);
  built.Block("OBJD", 2, 0, "", "two");
  built.Raw(IFF2Builder::BlockHeader("XXXX", 1000, 0, 0x0004, "") + std::string(100, '#'));
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  file.SetResInfo(file.GetResource(kObjd, 2, nullptr), 2, Name("two"), 0);
  ASSERT_EQ(file.Error(), 0);
  EXPECT_EQ(file.Close(), 0);

  const std::string bytes = ReadFile();
  const IFF2Reader reader(bytes);
  const std::vector<IFF2Reader::Block> blocks = reader.Blocks();
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].payload, "one");
  EXPECT_EQ(blocks[1].payload, "two");
  EXPECT_EQ(blocks[1].name, "two");
  EXPECT_EQ(blocks[2].type, "rsmp");
  EXPECT_EQ(static_cast<size_t>(blocks[2].offset + blocks[2].size), bytes.size());
}

TEST_F(IFFResFile2BadInputTest, ABrokenChainBehindAMapStillTakesInPlaceWrites) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "one");
  const int32_t broken = built.Block("OBJD", 2, 0, "", "two");
  built.Block("OBJD", 3, 0, "", "three");
  built.SetMapOffset(static_cast<uint32_t>(built.Block(
      "rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, ""}, {143, 2, 0, ""}, {222, 3, 0, ""}}}}))));
  std::string bytes = built.Bytes();
  bytes.replace(static_cast<size_t>(broken) + 4, 4, IFF2Builder::BigEndian32(12));
  WriteFile(bytes);
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  ASSERT_TRUE(file.OpenedFromMap());
  MHandle three = file.GetResource(kObjd, 3, nullptr);
  EXPECT_EQ(BytesOf(three), "three");
  std::memcpy(LockMHandle(three), "THREE", 5);
  UnlockMHandle(three);
  file.WriteResource(three);
  EXPECT_EQ(file.Error(), 0);
  // Only the payload changed: the map still describes the file.
  EXPECT_EQ(ReadFile().substr(60, 4), bytes.substr(60, 4));
  // A new resource cannot go where the chain breaks off: it follows the
  // blocks the map knows beyond it, and a new map names it.
  EXPECT_EQ(AddOne(file, 4), 0);
  EXPECT_EQ(file.Close(), 0);
  const std::string after = ReadFile();
  std::string expected = bytes;
  expected.replace(222 + 76, 5, "THREE");
  EXPECT_EQ(after.substr(64, bytes.size() - 64), expected.substr(64))
      << "the blocks that were there are as they were, but for the rewritten bytes";
  IFFResFile2 reread;
  ASSERT_EQ(reread.Open(fPath), 0);
  ASSERT_TRUE(reread.OpenedFromMap());
  EXPECT_EQ(BytesOf(reread.GetResource(kObjd, 1, nullptr)), "one");
  EXPECT_EQ(BytesOf(reread.GetResource(kObjd, 3, nullptr)), "THREE");
  EXPECT_EQ(BytesOf(reread.GetResource(kObjd, 4, nullptr)), "added");
  reread.Close();
}

TEST_F(IFFResFile2BadInputTest, TypeCodeZeroIsATypeLikeAnyOther) {
  IFF2Builder built;
  built.Raw(IFF2Builder::BlockHeader(std::string(4, '\0'), 77, 1, 0, "") + "0");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountTypes(), 1);
  EXPECT_EQ(file.GetIndType(1), 0u);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(BytesOf(file.GetResource(0, 1, nullptr)), "0");
  file.Close();
}

TEST_F(IFFResFile2BadInputTest, AnUnterminatedBlockNameReadsAsSixtyThreeCharacters) {
  IFF2Builder built;
  std::string block = IFF2Builder::BlockHeader("OBJD", 77, 1, 0, "");
  block.replace(12, 64, std::string(64, 'z'));
  built.Raw(block + "!");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  Name name;
  file.GetResName(file.GetResource(kObjd, 1, nullptr), &name);
  EXPECT_EQ(std::string(name.Text()), std::string(63, 'z'));
  EXPECT_EQ(BytesOf(file.GetNamedResource(kObjd, Name(std::string(63, 'Z').c_str()), nullptr)), "!");
  file.Close();
}

// A free block whose size field runs over a resource the map lists: the walk
// never sees that resource, but the map does, so the free block is never
// handed out and the resource keeps its bytes.
TEST_F(IFFResFile2BadInputTest, AFreeBlockOverAListedResourceIsNotHandedOut) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "one");
  const int32_t freeAt = built.Free(400);
  const int32_t covered = built.Block("OBJD", 2, 0, "", "two");
  built.SetMapOffset(static_cast<uint32_t>(built.Block(
      "rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(400, {{"OBJD", {{64, 1, 0, ""}, {covered, 2, 0, ""}}}}))));
  std::string bytes = built.Bytes();
  // The free block claims OBJD 2 as well.
  bytes.replace(static_cast<size_t>(freeAt) + 4, 4, IFF2Builder::BigEndian32(400 + 79));
  WriteFile(bytes);
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  // The 479 bytes it claims would take this 403-byte block and leave a free
  // block of 76 behind it, over OBJD 2's header.
  MHandle added = MakeHandle(std::string(327, 'n'));
  file.AddResource(added, kObjd, 3, Name(""), false);
  file.WriteResource(added);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.Close(), 0);
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(reader.At(covered)->payload, "two");
  IFFResFile2 reread;
  ASSERT_EQ(reread.Open(fPath), 0);
  EXPECT_EQ(BytesOf(reread.GetResource(kObjd, 2, nullptr)), "two");
  EXPECT_EQ(BytesOf(reread.GetResource(kObjd, 3, nullptr)), std::string(327, 'n'));
  reread.Close();
}

// The header names a map that lies inside another resource's bytes: it is
// read as the map, but dropping it frees nothing, since the block that holds
// those bytes is a resource.
TEST_F(IFFResFile2BadInputTest, AMapInsideAResourceIsNotFreedWithTheMap) {
  const std::string map =
      IFF2Builder::BlockHeader("rsmp", 0, 0, 0x0010, "") + IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, ""}}}});
  const std::string mapBlock = IFF2Builder::BlockHeader("rsmp", 76 + static_cast<int32_t>(map.size()) - 76, 0,
                                                        0x0010, "") +
                               map.substr(76);
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "one");
  const int32_t holder = built.Block("BMP_", 1, 0, "", "lead-in." + mapBlock);
  built.SetMapOffset(static_cast<uint32_t>(holder + 76 + 8));
  const std::string bytes = built.Bytes();
  WriteFile(bytes);
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  ASSERT_TRUE(file.OpenedFromMap());
  MHandle one = file.GetResource(kObjd, 1, [](void*, int32_t) {});
  file.WriteResource(one);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.Close(), 0);
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(reader.At(holder)->payload, "lead-in." + mapBlock);
}

}  // namespace
