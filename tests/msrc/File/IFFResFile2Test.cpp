// What an IFFResFile2 does with a file: index order, the stored map, names and
// languages, free space at close, and who owns which handle.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "msrc/File/IFFResFile2.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/File/IFF2Reader.h"

namespace {

int gSwizzleCalls = 0;
void CountingSwizzle(void* /*data*/, int32_t /*size*/) { ++gSwizzleCalls; }

class IFFResFile2Test : public IFF2Fixture {
 protected:
  // The ids of the type in index order.
  static std::vector<int16_t> Ids(IFFResFile2& file, ResType type) {
    std::vector<int16_t> ids;
    for (int16_t index = 1; index <= file.CountResources(type); ++index) {
      int16_t id = 0;
      file.GetResID(file.GetIndResource(type, index, nullptr), &id);
      ids.push_back(id);
    }
    return ids;
  }

  std::string Load(IFFResFile2& file, ResType type, int16_t id) { return BytesOf(file.GetResource(type, id, nullptr)); }

  // Points the header of the file on disk at another map offset.
  void SetMapOffsetOnDisk(uint32_t offset) {
    std::string bytes = ReadFile();
    bytes.replace(60, 4, IFF2Builder::BigEndian32(offset));
    WriteFile(bytes);
  }

  // Opens, renames resource `id` of OBJD (a header write, nothing allocated)
  // and closes.
  void TouchAndClose(int16_t id, const char* newName) {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.SetResInfo(file.GetResource(kObjd, id, nullptr), id, Name(newName), 0);
    ASSERT_EQ(file.Error(), 0);
    ASSERT_EQ(file.Close(), 0);
  }
};

TEST_F(IFFResFile2Test, ReadingLeavesTheFileByteForByteUnchanged) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "one", "first");
  built.Free(90);
  built.Block("OBJD", 2, 0x0100, "two", "second");
  built.SetMapOffset(static_cast<uint32_t>(built.Block(
      "rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(90, {{"OBJD", {{64, 1, 0, "one"}, {235, 2, 0x0100, "two"}}}}))));
  WriteFile(built.Bytes());

  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_TRUE(file.OpenedFromMap());
  EXPECT_EQ(Load(file, kObjd, 1), "first");
  EXPECT_EQ(BytesOf(file.GetLangResource(kObjd, 2, 1, nullptr)), "second");
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(), built.Bytes());

  fDrive.MakeReadOnly("x/t.iff");
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_FALSE(file.IsWritable());
  MHandle handle = file.GetResource(kObjd, 1, nullptr);
  file.WriteResource(handle);
  EXPECT_EQ(file.Error(), kResErrNotWritable);
  file.SetResInfo(handle, 5, Name("renamed"), 0);
  EXPECT_EQ(file.Error(), kResErrNotWritable);
  file.RemoveResource(handle);
  EXPECT_EQ(file.Error(), kResErrNotWritable);
  MHandle mine = MakeHandle("new");
  file.AddResource(mine, kObjd, 3, Name(""), false);
  EXPECT_EQ(file.Error(), kResErrNotWritable);
  DisposeMHandle(mine);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFile2Test, TheFirstChangeDropsTheMapAndCloseStoresItAgainInTheFreedPlace) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "aaaa");
  built.Block("OBJD", 2, 0, "", "bbbb");
  const int32_t mapAt = built.Block(
      "rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, ""}, {144, 2, 0, ""}}}}));
  built.SetMapOffset(static_cast<uint32_t>(mapAt));
  WriteFile(built.Bytes());
  const int32_t mapSize = static_cast<int32_t>(built.Bytes().size()) - mapAt;

  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.MapOffset(), mapAt);
  EXPECT_FALSE(file.IsDirty());
  // Loaded through a callback, the block's header gets the swizzled mark.
  MHandle handle = file.GetResource(kObjd, 2, [](void*, int32_t) {});
  std::memcpy(LockMHandle(handle), "BBBB", 4);
  UnlockMHandle(handle);
  file.WriteResource(handle);
  ASSERT_EQ(file.Error(), 0);
  EXPECT_TRUE(file.IsDirty());
  EXPECT_EQ(file.MapOffset(), 0);
  EXPECT_EQ(file.InvalidTotal(), mapSize);
  IFF2Reader dropped(ReadFile());
  EXPECT_EQ(dropped.MapOffset(), 0u);
  EXPECT_EQ(dropped.At(mapAt)->type, "XXXX");
  EXPECT_TRUE(dropped.At(mapAt)->IsFree());
  EXPECT_EQ(dropped.At(144)->payload, "BBBB");
  ASSERT_EQ(file.Close(), 0);

  // The new map has the same size and takes the old one's place.
  EXPECT_EQ(ReadFile().size(), built.Bytes().size());
  EXPECT_EQ(IFF2Reader(ReadFile()).MapOffset(), static_cast<uint32_t>(mapAt));
  EXPECT_EQ(IFF2Reader(ReadFile()).StoredInvalidTotal(), 0);
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_TRUE(file.OpenedFromMap());
  EXPECT_EQ(Load(file, kObjd, 2), "BBBB");
  file.Close();
}

// New bytes under the very header the block has (the same size, flags, id
// and name) change nothing the map says: it stays in force, and nothing but
// those bytes is written.
TEST_F(IFFResFile2Test, RewritingUnderTheSameHeaderKeepsTheMap) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0x0010, "chair", "aaaa");
  built.SetMapOffset(static_cast<uint32_t>(
      built.Block("rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0x0010, "chair"}}}}))));
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = file.GetResource(kObjd, 1, [](void*, int32_t) {});
  std::memcpy(LockMHandle(handle), "AAAA", 4);
  UnlockMHandle(handle);
  file.WriteResource(handle);
  ASSERT_EQ(file.Error(), 0);
  EXPECT_FALSE(file.IsDirty());
  ASSERT_EQ(file.Close(), 0);
  std::string expected = built.Bytes();
  expected.replace(64 + 76, 4, "AAAA");
  EXPECT_EQ(ReadFile(), expected);
}

TEST_F(IFFResFile2Test, CloseAppendsALargerMapAndTheNextOpenUsesIt) {
  IFFResFile2 file;
  ASSERT_EQ(file.Create(fPath), 0);
  ASSERT_EQ(file.Open(fPath), 0);
  file.AddResource(MakeHandle("one"), kObjd, 1, Name("a"), false);
  file.AddResource(MakeHandle("free soon"), kObjd, 2, Name("b"), false);
  file.AddResource(MakeHandle("two"), kObjd, 3, Name("c"), false);
  ASSERT_EQ(file.Close(), 0);
  const IFF2Reader closed(ReadFile());
  ASSERT_EQ(closed.Resources().back().type, "rsmp");
  EXPECT_EQ(closed.MapOffset(), static_cast<uint32_t>(closed.Resources().back().offset));

  // Proof that the map is what the open reads: a free block whose size a
  // walk cannot get past does not hide the resource behind it.
  ASSERT_EQ(file.Open(fPath), 0);
  file.RemoveResource(file.GetResource(kObjd, 2, nullptr));
  ASSERT_EQ(file.Close(), 0);
  std::string bytes = ReadFile();
  const IFF2Reader reader(bytes);
  const int32_t freed = reader.Blocks()[1].offset;
  ASSERT_TRUE(reader.Blocks()[1].IsFree());
  bytes.replace(static_cast<size_t>(freed) + 4, 4, IFF2Builder::BigEndian32(75));
  WriteFile(bytes);
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_TRUE(file.OpenedFromMap());
  EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{1, 3}));
  EXPECT_EQ(Load(file, kObjd, 3), "two");
  file.Close();
  SetMapOffsetOnDisk(0);
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_FALSE(file.OpenedFromMap());
  EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{3}));  // Close wrote the newest first
  file.Close();
}

TEST_F(IFFResFile2Test, AChangedVersion20FileBecomesVersion25) {
  IFF2Builder built('2', '0', 0x12345678);
  built.Block("OBJD", 1, 0, "chair", "x");
  WriteFile(built.Bytes());
  TouchAndClose(1, "table");
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(reader.Version(), "2.5");
  ASSERT_TRUE(reader.At(static_cast<int32_t>(reader.MapOffset())));
  EXPECT_EQ(reader.At(static_cast<int32_t>(reader.MapOffset()))->type, "rsmp");
  EXPECT_EQ(reader.At(64)->name, "table");
}

TEST_F(IFFResFile2Test, AWalkGivesFileOrderAMapGivesTheOrderAtClose) {
  IFF2Builder built;
  built.Free(200);
  built.Block("OBJD", 5, 0, "", "five");
  built.Block("OBJD", 3, 0, "", "three");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{5, 3}));
  file.AddResource(MakeHandle("1"), kObjd, 1, Name(""), false);
  EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{5, 3, 1}));
  ASSERT_EQ(file.Close(), 0);
  EXPECT_EQ(IFF2Reader(ReadFile()).At(64)->id, 1);  // the new block went into the free space first

  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_TRUE(file.OpenedFromMap());
  EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{5, 3, 1}));
  file.Close();
  SetMapOffsetOnDisk(0);
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{1, 5, 3}));
  file.Close();
}

TEST_F(IFFResFile2Test, LookupsByIdAskForALanguage) {
  IFF2Builder built;
  built.Block("OBJD", 7, 0x0300, "seven", "fr");
  built.Block("OBJD", 8, 0x0000, "eight", "base");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.GetResource(kObjd, 7, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  MHandle french = file.GetLangResource(kObjd, 7, 3, nullptr);
  EXPECT_EQ(BytesOf(french), "fr");
  EXPECT_EQ(file.GetResLanguage(french), 3);
  EXPECT_EQ(BytesOf(file.GetLangResource(kObjd, 8, 3, nullptr)), "base");
  EXPECT_EQ(file.GetNamedResource(kObjd, Name("seven"), nullptr), nullptr);  // names find the default language
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  EXPECT_EQ(BytesOf(file.GetNamedResource(kObjd, Name("EIGHT"), nullptr)), "base");

  // Adding language 5 where only language 0 exists replaces that resource.
  file.AddLangResource(MakeHandle("de"), kObjd, 8, Name("acht"), 5, false);
  EXPECT_EQ(file.CountResources(kObjd), 2);
  EXPECT_EQ(file.GetResource(kObjd, 8, nullptr), nullptr);
  EXPECT_EQ(BytesOf(file.GetLangResource(kObjd, 8, 5, nullptr)), "de");
  ASSERT_EQ(file.Close(), 0);
  const IFF2Reader reader(ReadFile());
  ASSERT_EQ(reader.Resources().size(), 3u);
  EXPECT_EQ(reader.Resources()[1].flags, 0x0500);
  EXPECT_EQ(reader.Resources()[1].payload, "de");
}

TEST_F(IFFResFile2Test, NamesAreCutAtSixtyThreeCharactersWithAReport) {
  IFFResFile2 file;
  ASSERT_EQ(file.Create(fPath), 0);
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = MakeHandle("x");
  file.AddResource(handle, kObjd, 1, FixedStringBuffer<100>(std::string(70, 'n').c_str()), false);
  EXPECT_TRUE(Reported("name too long"));
  file.WriteResource(handle);
  Name name;
  file.GetResName(handle, &name);
  EXPECT_EQ(std::string(name.Text()), std::string(63, 'n'));
  EXPECT_EQ(ReadFile().substr(64 + 12, 64), std::string(63, 'n') + '\0');
  file.Close();
}

TEST_F(IFFResFile2Test, SetResInfoRewritesTheHeaderEvenForACaseOnlyRename) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0x0040, "Chair", "seat");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = file.GetNamedResource(kObjd, Name("CHAIR"), nullptr);
  ASSERT_NE(handle, nullptr);
  file.SetResInfo(handle, 1, Name("Chair"), 0);
  EXPECT_FALSE(file.IsDirty());  // nothing changed, nothing written
  file.SetResInfo(handle, 1, Name("chair"), 0);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(IFF2Reader(ReadFile()).At(64)->name, "chair");
  file.SetResID(handle, 44);
  EXPECT_EQ(file.Error(), 0);
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(reader.At(64)->id, 44);
  EXPECT_EQ(reader.At(64)->name, "chair");
  EXPECT_EQ(reader.At(64)->flags, 0x0040);  // a bit this system does not use survives
  EXPECT_EQ(file.GetNamedResource(kObjd, Name("cHaIr"), nullptr), handle);
  file.Close();
}

TEST_F(IFFResFile2Test, RemovingATypesLastResourceRemovesTheType) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "o");
  built.Block("STR#", 1, 0, "", "s");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountTypes(), 2);
  file.RemoveResource(file.GetResource(kStrs, 1, nullptr));
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.CountTypes(), 1);
  EXPECT_EQ(file.GetIndType(2), 0u);
  EXPECT_EQ(file.InvalidTotal(), 77);
  EXPECT_TRUE(IFF2Reader(ReadFile()).At(141)->IsFree());
  file.Close();
}

TEST_F(IFFResFile2Test, CloseDefragmentsFromTenThousandTwoHundredFortyFreeBytes) {
  for (const int32_t free : {10240, 10239}) {
    IFF2Builder built;
    built.Block("OBJD", 1, 0, "one", std::string(10, 'a'));
    built.Free(4000);
    const int32_t second = built.Block("OBJD", 2, 0, "two", std::string(20, 'b'));
    built.Free(free - 4000);
    built.Block("STR#", 3, 0, "three", std::string(30, 'c'));
    WriteFile(built.Bytes());
    TouchAndClose(2, "deux");

    const IFF2Reader reader(ReadFile());
    std::vector<IFF2Reader::Block> resources;
    for (const IFF2Reader::Block& block : reader.Resources()) {
      if (block.type != "rsmp") resources.push_back(block);
    }
    ASSERT_EQ(resources.size(), 3u) << free;
    EXPECT_EQ(resources[0].payload, std::string(10, 'a'));
    EXPECT_EQ(resources[1].payload, std::string(20, 'b'));
    EXPECT_EQ(resources[1].name, "deux");
    EXPECT_EQ(resources[2].payload, std::string(30, 'c'));
    if (free == 10240) {
      EXPECT_EQ(reader.FreeBytes(), 0);
      EXPECT_EQ(reader.Blocks().size(), 4u);
      EXPECT_EQ(reader.Blocks().back().type, "rsmp");
      EXPECT_EQ(reader.Blocks().back().offset + reader.Blocks().back().size, static_cast<int32_t>(ReadFile().size()));
    } else {
      EXPECT_EQ(resources[1].offset, second);
      EXPECT_GT(reader.FreeBytes(), 0);
    }
    EXPECT_EQ(reader.StoredInvalidTotal(), reader.FreeBytes());
  }
}

TEST_F(IFFResFile2Test, TheFileOwnsItsHandlesUntilTheyAreDetached) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "one");
  built.Block("OBJD", 2, 0, "", "two");
  WriteFile(built.Bytes());
  const int32_t before = CountLiveMHandles();
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);

  gSwizzleCalls = 0;
  MHandle one = file.GetResource(kObjd, 1, CountingSwizzle);
  EXPECT_EQ(file.GetResource(kObjd, 1, CountingSwizzle), one);
  EXPECT_EQ(gSwizzleCalls, 1);
  EXPECT_TRUE(file.IsSwizzled(one));
  EXPECT_EQ(CountLiveMHandles(), before + 1);

  file.DetachResource(one);  // the caller's now; the next lookup reads a fresh copy
  EXPECT_EQ(file.Error(), 0);
  MHandle again = file.GetResource(kObjd, 1, CountingSwizzle);
  EXPECT_NE(again, one);
  EXPECT_EQ(gSwizzleCalls, 2);
  file.ReleaseResource(again);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(CountLiveMHandles(), before + 1);

  // A new handle for an existing resource disposes of the loaded one.
  file.GetResource(kObjd, 2, nullptr);
  EXPECT_EQ(CountLiveMHandles(), before + 2);
  MHandle replacement = MakeHandle("TWO!");
  file.AddResource(replacement, kObjd, 2, Name(""), false);
  EXPECT_EQ(CountLiveMHandles(), before + 2);
  file.DetachResource(replacement);  // written first: its bytes are nowhere else
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 2, nullptr)), "TWO!");

  // The same handle added under another id leaves its first resource.
  file.AddResource(replacement, kObjd, 9, Name(""), false);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.GetResource(kObjd, 9, nullptr), replacement);

  MHandle foreign = MakeHandle("?");
  Name name("kept");
  file.GetResName(foreign, &name);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(name.Length(), 0);
  EXPECT_EQ(file.GetResType(foreign), 0u);
  EXPECT_TRUE(file.IsSwizzled(foreign));
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  for (auto operation : {&IFFResFile2::WriteResource, &IFFResFile2::RemoveResource, &IFFResFile2::DetachResource}) {
    (file.*operation)(foreign);
    EXPECT_EQ(file.Error(), kResErrNotOwned);
  }
  file.SetResID(foreign, 3);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  file.ReleaseResource(foreign);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  EXPECT_EQ(CountLiveMHandles(), before + 4);

  ASSERT_EQ(file.Close(), 0);
  EXPECT_EQ(CountLiveMHandles(), before + 2);  // only the two the test owns are left
  DisposeMHandle(one);
  DisposeMHandle(foreign);
}

TEST_F(IFFResFile2Test, UniqueNamesAndIds) {
  IFF2Builder built;
  built.Block("OBJD", 5, 0, "chair", "");
  built.Block("OBJD", 7, 0, "chair0", "");
  built.Block("STR#", 200, 0, "table", "");
  built.Block("STR#", 130, 0, std::string(63, 'l'), "");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  Name name("CHAIR");
  file.MakeUniqueName(kObjd, &name);
  EXPECT_STREQ(name.Text(), "CHAIR1");
  name.Assign("table");
  file.MakeUniqueName(kObjd, &name);
  EXPECT_STREQ(name.Text(), "table");
  name.Assign(std::string(63, 'l').c_str());
  file.MakeUniqueName(kStrs, &name);
  EXPECT_EQ(std::string(name.Text()), std::string(62, 'l') + "0");
  EXPECT_EQ(file.UniqueID(kObjd), 129);
  EXPECT_EQ(file.UniqueID(kStrs), 201);
  EXPECT_EQ(file.UniqueID(MakeResType("NONE")), 129);
  file.Close();
}

TEST_F(IFFResFile2Test, IndexesCountFromOne) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "");
  built.Block("STR#", 1, 0, "", "");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.GetIndType(1), kObjd);
  EXPECT_EQ(file.GetIndType(2), kStrs);
  for (const int16_t index : {0, -1, 3}) {
    EXPECT_EQ(file.GetIndType(index), 0u) << index;
    EXPECT_EQ(file.Error(), kResErrTypeIndex);
  }
  EXPECT_EQ(file.GetIndResource(kObjd, 0, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(file.GetIndResource(kObjd, 2, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  int16_t value = 7;
  file.Reserved1(1, &value);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  EXPECT_EQ(value, 0);
  file.Close();
}

TEST_F(IFFResFile2Test, SuspendAndResumeReopenTheSamePath) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "one");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.Suspend(), 0);
  EXPECT_FALSE(file.ValidFile());
  EXPECT_EQ(file.CountTypes(), 0);
  EXPECT_EQ(file.Error(), kResErrNotOpen);
  EXPECT_EQ(file.Resume(), 0);
  EXPECT_EQ(file.FreeSpaceHint(), 0);
  EXPECT_EQ(Load(file, kObjd, 1), "one");
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(file.Resume(), kResErrCannotSuspend);
  EXPECT_EQ(file.Close(), kResErrNotOpen);
  EXPECT_EQ(ReadFile(), built.Bytes());
}

}  // namespace
