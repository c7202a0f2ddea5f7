// What an IFFResFile2 asks of the host: an open through the map reads the
// file header and the map and nothing else, a load is one read of header and
// payload where the start of the next block is known, a listing by index
// reads the resources that lie close behind along in the same read, and a
// Close that wrote nothing pushes nothing to the device. The answers are the
// same whichever way the bytes come in.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "msrc/File/IFFResFile2.h"
#include "platform/HostEnv.h"
#include "tests/platform/CountingHostEnv.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"

namespace {

struct Listed {
  int16_t id;
  std::string payload;
};

const std::vector<Listed> kListed = {{1, std::string(100, 'a')}, {2, std::string(200, 'b')}, {3, ""}, {4, "dd"}};

// The resources above as OBJD blocks, with `freeAfterFirst` bytes of free
// space behind the first (none for 0), and a map naming them all when
// `mapped`. Answers the map block's size through `mapSize`.
std::string ListedFile(bool mapped, int32_t freeAfterFirst, int32_t* mapSize = nullptr) {
  IFF2Builder built;
  IFF2Builder::MapType type{"OBJD", {}};
  for (const Listed& listed : kListed) {
    type.entries.push_back({built.Block("OBJD", listed.id, 0, "", listed.payload), listed.id, 0, ""});
    if (listed.id == 1 && freeAfterFirst > 0) built.Free(freeAfterFirst);
  }
  const std::string map = IFF2Builder::MapPayload(freeAfterFirst, {type});
  if (mapSize != nullptr) *mapSize = 76 + static_cast<int32_t>(map.size());
  if (mapped) built.SetMapOffset(static_cast<uint32_t>(built.Block("rsmp", 0, 0x0010, "", map)));
  return built.Bytes();
}

class IFFResFile2HostWorkTest : public IFF2Fixture {
 protected:
  void SetUp() override {
    IFF2Fixture::SetUp();
    fCounting.SkipDeviceFlushes(true);
    fPrevious = platform::HostEnv::Replace(&fCounting);
    fMark = fCounting.Tally();
  }
  void TearDown() override {
    platform::HostEnv::Replace(fPrevious);
    IFF2Fixture::TearDown();
  }

  // The traffic since the last call (or since SetUp).
  HostTally Since() {
    const HostTally now = fCounting.Tally();
    HostTally since;
    since.calls = now.calls - fMark.calls;
    since.reads = now.reads - fMark.reads;
    since.writes = now.writes - fMark.writes;
    since.flushes = now.flushes - fMark.flushes;
    since.bytesRead = now.bytesRead - fMark.bytesRead;
    since.bytesWritten = now.bytesWritten - fMark.bytesWritten;
    since.readsPastEnd = now.readsPastEnd - fMark.readsPastEnd;
    fMark = now;
    return since;
  }

  CountingHostEnv fCounting{&fDrive.Env()};
  platform::HostEnv* fPrevious = nullptr;
  HostTally fMark;
};

TEST_F(IFFResFile2HostWorkTest, AnOpenThroughTheMapReadsTheHeaderAndTheMapOnly) {
  int32_t mapSize = 0;
  WriteFile(ListedFile(true, 0, &mapSize));
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  ASSERT_TRUE(file.OpenedFromMap());
  ASSERT_TRUE(file.IsWritable());
  EXPECT_EQ(file.Close(), 0);
  const HostTally open = Since();
  EXPECT_EQ(open.bytesRead, 64 + mapSize);
  EXPECT_EQ(open.writes, 0);
  EXPECT_EQ(open.flushes, 0);
}

TEST_F(IFFResFile2HostWorkTest, EachLoadIsOneReadOfHeaderAndPayload) {
  for (const bool mapped : {true, false}) {
    WriteFile(ListedFile(mapped, 0));
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    ASSERT_EQ(file.OpenedFromMap(), mapped);
    Since();
    for (const Listed& listed : kListed) {
      EXPECT_EQ(BytesOf(file.GetResource(kObjd, listed.id, nullptr)), listed.payload) << listed.id;
      const HostTally load = Since();
      EXPECT_EQ(load.reads, 1) << mapped << " " << listed.id;
      EXPECT_EQ(load.bytesRead, 76 + static_cast<int64_t>(listed.payload.size())) << mapped << " " << listed.id;
    }
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(Since().flushes, 0);
  }
  EXPECT_EQ(fCounting.Tally().readsPastEnd, 0);
}

// A map does not list free space: the load of the block in front of it reads
// that too, still in one read, and hands out the payload alone.
TEST_F(IFFResFile2HostWorkTest, FreeSpaceTheMapDoesNotShowIsReadAlongButNotHandedOut) {
  WriteFile(ListedFile(true, 300));
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  ASSERT_TRUE(file.OpenedFromMap());
  Since();
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 1, nullptr)), kListed[0].payload);
  const HostTally load = Since();
  EXPECT_EQ(load.reads, 1);
  EXPECT_EQ(load.bytesRead, 76 + 100 + 300);
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 2, nullptr)), kListed[1].payload);
  file.Close();
}

// After the two blocks in front of the last one are freed and taken as one by
// a new resource, the start of the second is left over from before: the load
// of the new resource reads the rest in a second read.
TEST_F(IFFResFile2HostWorkTest, AStartLeftOverFromBeforeAChangeCostsOneMoreRead) {
  IFF2Builder built('2', '0', 0);
  built.Block("OBJD", 1, 0, "", std::string(24, 'a'));  // 100 bytes at 64
  built.Block("OBJD", 2, 0, "", std::string(44, 'b'));  // 120 bytes at 164
  built.Block("OBJD", 3, 0, "", "c");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  file.RemoveResource(file.GetResource(kObjd, 1, nullptr));
  file.RemoveResource(file.GetResource(kObjd, 2, nullptr));
  const std::string merged(144, 'm');
  MHandle added = MakeHandle(merged);
  file.AddResource(added, kObjd, 9, Name(""), false);
  file.WriteResource(added);
  ASSERT_EQ(file.Error(), 0);
  file.DetachResource(added);
  DisposeMHandle(added);

  Since();
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 9, nullptr)), merged);
  EXPECT_EQ(Since().reads, 2);
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 3, nullptr)), "c");
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(fCounting.Tally().readsPastEnd, 0);
}

// A load that finds the block is not the resource, or runs past the end of
// the file, attaches nothing, whichever way it read.
TEST_F(IFFResFile2HostWorkTest, AFailedLoadLeavesNoHandle) {
  IFF2Builder built('2', '0', 0);
  built.Block("OBJD", 1, 0, "", "one");
  const int32_t cut = built.Raw(IFF2Builder::BlockHeader("OBJD", 500, 2, 0, "") + std::string(50, 'x'));
  WriteFile(built.Bytes());
  // The same file with a map that calls the first block id 5.
  IFF2Builder mapped = built;
  mapped.SetMapOffset(static_cast<uint32_t>(mapped.Block(
      "rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 5, 0, ""}, {cut, 2, 0, ""}}}}))));

  for (const std::string& bytes : {built.Bytes(), mapped.Bytes()}) {
    WriteFile(bytes);
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    const int32_t handles = CountLiveMHandles();
    if (file.OpenedFromMap()) {
      EXPECT_EQ(file.GetResource(kObjd, 5, nullptr), nullptr);
      EXPECT_EQ(file.Error(), IFFResFile2::kIFFErrDamaged);
    }
    EXPECT_EQ(file.GetResource(kObjd, 2, nullptr), nullptr);
    EXPECT_EQ(file.Error(), kResErrShortRead);
    EXPECT_EQ(CountLiveMHandles(), handles);
    file.Close();
  }
  EXPECT_EQ(fCounting.Tally().readsPastEnd, 0);
}

TEST_F(IFFResFile2HostWorkTest, OnlyACloseAfterAWriteFlushes) {
  WriteFile(ListedFile(true, 0));
  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_NE(file.GetResource(kObjd, 2, nullptr), nullptr);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(Since().flushes, 0);
  }
  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.SetResInfo(file.GetResource(kObjd, 2, nullptr), 2, Name("renamed"), 0);
    ASSERT_EQ(file.Error(), 0);
    Since();
    EXPECT_EQ(file.Close(), 0);
    // The Close itself, and the header that names the new map.
    EXPECT_EQ(Since().flushes, 2);
  }
}

// Definitions 1 to 6 with 500 bytes of strings between each two, then a
// large block, then definition 7; mapped.
std::string SpreadFile() {
  IFF2Builder built;
  IFF2Builder::MapType objects{"OBJD", {}};
  IFF2Builder::MapType strings{"STR#", {}};
  for (int16_t id = 1; id <= 7; ++id) {
    if (id == 7) strings.entries.push_back({built.Block("STR#", 99, 0, "", std::string(10000, 'z')), 99, 0, ""});
    const std::string payload(200, static_cast<char>('0' + id));
    objects.entries.push_back({built.Block("OBJD", id, 0, "", payload), id, 0, ""});
    if (id < 6) strings.entries.push_back({built.Block("STR#", id, 0, "", std::string(500, 's')), id, 0, ""});
  }
  const std::string map = IFF2Builder::MapPayload(0, {objects, strings});
  built.SetMapOffset(static_cast<uint32_t>(built.Block("rsmp", 0, 0x0010, "", map)));
  return built.Bytes();
}

// A listing goes through a type by index: definitions that lie close behind
// the one it asks for come in the same read, a far one in a read of its own,
// and each hands out its own payload.
TEST_F(IFFResFile2HostWorkTest, AListingReadsCloseResourcesAlong) {
  WriteFile(SpreadFile());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  ASSERT_TRUE(file.OpenedFromMap());
  Since();
  for (int16_t index = 1; index <= 7; ++index) {
    MHandle handle = file.GetIndResource(kObjd, index, nullptr);
    EXPECT_EQ(BytesOf(handle), std::string(200, static_cast<char>('0' + index))) << index;
  }
  EXPECT_EQ(Since().reads, 2);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(fCounting.Tally().readsPastEnd, 0);
}

// Bytes read along are forgotten once the file changes: a definition
// rewritten after they were read is loaded as it is now.
TEST_F(IFFResFile2HostWorkTest, BytesReadAlongDoNotOutliveAChange) {
  WriteFile(SpreadFile());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_NE(file.GetIndResource(kObjd, 1, nullptr), nullptr);
  MHandle fourth = file.GetResource(kObjd, 4, nullptr);
  ASSERT_EQ(BytesOf(fourth), std::string(200, '4'));
  std::memset(LockMHandle(fourth), 'n', 200);
  UnlockMHandle(fourth);
  file.WriteResource(fourth);
  ASSERT_EQ(file.Error(), 0);
  file.DetachResource(fourth);
  DisposeMHandle(fourth);
  EXPECT_EQ(BytesOf(file.GetIndResource(kObjd, 4, nullptr)), std::string(200, 'n'));
  EXPECT_EQ(BytesOf(file.GetIndResource(kObjd, 5, nullptr)), std::string(200, '5'));
  EXPECT_EQ(file.Close(), 0);
}

}  // namespace
