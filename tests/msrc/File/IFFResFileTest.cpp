// What an IFFResFile does with a generation-1 file: creation, enumeration
// order, names through the names cache, unique names and ids, internal mode
// and who owns which handle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "msrc/File/IFFFormat.h"
#include "msrc/File/IFFResFile.h"
#include "msrc/File/flatfile.h"
#include "tests/msrc/File/IFF1Builder.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"

namespace {

int gSwizzleCalls = 0;
void CountingSwizzle(void* /*data*/, int32_t /*size*/) { ++gSwizzleCalls; }

class IFFResFileTest : public IFF2Fixture {
 protected:
  // The ids of the type in index order.
  static std::vector<int16_t> Ids(IFFResFile& file, ResType type) {
    std::vector<int16_t> ids;
    for (int16_t index = 1; index <= file.CountResources(type); ++index) {
      int16_t id = 0;
      file.GetResID(file.GetIndResource(type, index, nullptr), &id);
      ids.push_back(id);
    }
    return ids;
  }

  static std::string NameOf(IFFResFile& file, MHandle handle) {
    Name name;
    file.GetResName(handle, &name);
    return name.Text();
  }

  std::string Load(IFFResFile& file, ResType type, int16_t id) { return BytesOf(file.GetResource(type, id, nullptr)); }

  // OBJD 1 "chair" (key 1), OBJD 2 unnamed, STR# 5 "lamp" (key 2), OBJD 3
  // "chair0" (key 3), in that order.
  static std::string SampleFile() {
    IFF1Builder built;
    built.NamesCache({{1, "chair"}, {2, "lamp"}, {3, "chair0"}});
    built.Block("OBJD", 1, 0, 1, "one");
    built.Block("OBJD", 2, 0, -1, "two");
    built.Block("STR#", 5, 0, 2, "strings");
    built.Block("OBJD", 3, 0, 3, "three");
    return built.Bytes();
  }
};

TEST_F(IFFResFileTest, CreateLeavesAClosed96ByteFile) {
  IFFResFile file;
  EXPECT_EQ(file.Create(fPath), 0);
  EXPECT_FALSE(file.ValidFile());
  EXPECT_EQ(IFFResFile::sCreatingNewFile, 0);
  std::string expected = IFF1Builder::FileHeader();
  expected += IFF1Builder::BlockHeader("NAME", 32, 1, 0x0018, -1);
  expected += std::string("\0\0\0\0\0\0\0\0EMAN\0\0\0\0", 16);
  EXPECT_EQ(ReadFile(), expected);
  EXPECT_EQ(ReadFile().size(), 96u);
  EXPECT_EQ(fReports.Count(), 0u);

  EXPECT_EQ(file.Create(fPath), kResErrFileExists);
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountTypes(), 0);
  EXPECT_EQ(file.Create(fPath), kResErrAlreadyOpen);
  EXPECT_EQ(file.Delete(fPath), kResErrAlreadyOpen);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(), expected);
  EXPECT_EQ(file.Delete(fPath), 0);
  EXPECT_FALSE(fDrive.FileExists("x/t.iff"));
}

TEST_F(IFFResFileTest, OpenAcceptsOnlyTheExactVersion1Header) {
  IFFResFile file;
  EXPECT_EQ(file.Open(fPath), kFlatErrFailed);  // no such file
  std::string bytes = SampleFile();
  bytes[62] = '7';  // "1997"
  WriteFile(bytes);
  EXPECT_EQ(file.Open(fPath), kResErrNotIff);
  EXPECT_FALSE(file.ValidFile());

  IFF2Builder generation2('2', '0');
  WriteFile(generation2.Bytes());
  EXPECT_EQ(file.Open(fPath), kResErrNotIff);
  WriteFile(IFF1Builder::FileHeader().substr(0, 63));
  EXPECT_EQ(file.Open(fPath), kResErrShortRead);
  EXPECT_FALSE(file.ValidFile());

  WriteFile(SampleFile());
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.Open(fPath), kResErrAlreadyOpen);
  EXPECT_EQ(file.Suspend(), kResErrCannotSuspend);
  EXPECT_EQ(file.Resume(), kResErrCannotSuspend);
  EXPECT_TRUE(file.ValidFile());
  file.Close();
  EXPECT_EQ(file.Close(), kResErrNotOpen);
  EXPECT_EQ(file.CountTypes(), 0);
  EXPECT_EQ(file.Error(), kResErrNotOpen);
}

TEST_F(IFFResFileTest, EnumerationRunsFromTheLastBlockToTheFirst) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  // The names cache is internal and not counted.
  EXPECT_EQ(file.CountTypes(), 2);
  EXPECT_EQ(file.GetIndType(1), kStrs);
  EXPECT_EQ(file.GetIndType(2), kObjd);
  EXPECT_EQ(file.GetIndType(0), kStrs);
  EXPECT_EQ(file.GetIndType(-3), kStrs);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.GetIndType(3), 0u);
  EXPECT_EQ(file.Error(), kResErrTypeIndex);

  EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{3, 2, 1}));
  EXPECT_EQ(BytesOf(file.GetIndResource(kObjd, 1, nullptr)), "three");
  EXPECT_EQ(BytesOf(file.GetIndResource(kObjd, 0, nullptr)), "three");
  EXPECT_EQ(BytesOf(file.GetIndResource(kObjd, -7, nullptr)), "three");
  EXPECT_EQ(file.GetIndResource(kObjd, 4, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(file.GetIndResource(MakeResType("NONE"), 1, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(file.CountResources(MakeResType("NONE")), 0);
  EXPECT_EQ(file.Error(), 0);

  // Added resources go in front, a new type before the others.
  MHandle added = MakeHandle("four");
  file.AddResource(added, kObjd, 4, Name(""), false);
  MHandle sprite = MakeHandle("spr");
  file.AddResource(sprite, MakeResType("SPR2"), 1, Name(""), false);
  EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{4, 3, 2, 1}));
  EXPECT_EQ(file.GetIndType(1), MakeResType("SPR2"));
  file.Close();
}

TEST_F(IFFResFileTest, LookupsAndTheirErrors) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle one = file.GetResource(kObjd, 1, nullptr);
  EXPECT_EQ(BytesOf(one), "one");
  EXPECT_EQ(file.GetResource(kObjd, 1, nullptr), one);
  EXPECT_EQ(file.GetResource(kObjd, 9, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(file.GetResType(one), kObjd);
  int16_t id = 0;
  file.GetResID(one, &id);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(file.GetResLanguage(one), 0);
  EXPECT_EQ(file.GetLangResource(kObjd, 1, 3, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNoLanguages);

  MHandle foreign = MakeHandle("x");
  Name name("kept");
  file.GetResName(foreign, &name);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(name.Length(), 0);
  EXPECT_EQ(file.GetResType(foreign), 0u);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  file.GetResID(foreign, &id);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_TRUE(file.IsSwizzled(foreign));
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  file.WriteResource(foreign);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  file.RemoveResource(foreign);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  file.DetachResource(foreign);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  file.ReleaseResource(foreign);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  file.SetResInfo(foreign, 1, Name(""), 0);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  file.SetResID(foreign, 8);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  int16_t out = 7;
  file.Reserved1(0, &out);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  file.Reserved2(one);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  DisposeMHandle(foreign);
  file.Close();
  EXPECT_EQ(ReadFile(), SampleFile());
}

TEST_F(IFFResFileTest, NamesComeFromTheNamesCache) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "chair");
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 2, nullptr)), "");
  EXPECT_EQ(NameOf(file, file.GetResource(kStrs, 5, nullptr)), "lamp");
  EXPECT_EQ(BytesOf(file.GetNamedResource(kObjd, Name("CHAIR0"), nullptr)), "three");
  EXPECT_EQ(file.GetNamedResource(kObjd, Name("lamp"), nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  EXPECT_EQ(file.GetNamedResource(kObjd, Name(""), nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  file.Close();
}

TEST_F(IFFResFileTest, GetNamedResourceFindsTheNameOfTheAskedType) {
  IFF1Builder built;
  built.NamesCache({{1, "Chair"}, {2, "chair"}});
  built.Block("STR#", 5, 0, 2, "strings");
  built.Block("OBJD", 1, 0, 1, "object");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(BytesOf(file.GetNamedResource(kStrs, Name("CHAIR"), nullptr)), "strings");
  EXPECT_EQ(BytesOf(file.GetNamedResource(kObjd, Name("chair"), nullptr)), "object");
  file.Close();
}

TEST_F(IFFResFileTest, AMissingNameKeyIsReported) {
  IFF1Builder built;
  built.NamesCache({{1, "one"}});
  built.Block("OBJD", 1, 0, 7, "x");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "");
  EXPECT_TRUE(Reported("name index not found"));
  EXPECT_TRUE(Reported("msrc/File/IFFResFile"));
  file.Close();
}

TEST_F(IFFResFileTest, MakeUniqueNameCountsOnlyTheType) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  Name name("chair");
  file.MakeUniqueName(kObjd, &name);
  EXPECT_STREQ(name.Text(), "chair1");
  Name upper("CHAIR");
  file.MakeUniqueName(kObjd, &upper);
  EXPECT_STREQ(upper.Text(), "CHAIR1");
  Name lamp("lamp");
  file.MakeUniqueName(kObjd, &lamp);
  EXPECT_STREQ(lamp.Text(), "lamp");
  file.MakeUniqueName(kStrs, &lamp);
  EXPECT_STREQ(lamp.Text(), "lamp0");
  Name fresh("table");
  file.MakeUniqueName(kObjd, &fresh);
  EXPECT_STREQ(fresh.Text(), "table");

  // A name too long for the digits gives up its end to them.
  const std::string longName(63, 'n');
  MHandle handle = MakeHandle("long");
  file.AddResource(handle, kObjd, 9, Name(longName.c_str()), false);
  Name candidate(longName.c_str());
  file.MakeUniqueName(kObjd, &candidate);
  EXPECT_EQ(std::string(candidate.Text()), longName.substr(0, 62) + "0");
  file.Close();
}

TEST_F(IFFResFileTest, UniqueIdStartsAt129) {
  IFF1Builder built;
  built.Block("OBJD", 5, 0, -1, "a");
  built.Block("OBJD", 7, 0, -1, "b");
  built.Block("STR#", 300, 0, -1, "c");
  built.Block("STR#", 130, 0, -1, "d");
  WriteFile(built.Bytes());
  fDrive.MakeReadOnly("x/t.iff");
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_TRUE(Reported("no names cache"));
  EXPECT_EQ(file.UniqueID(kObjd), 129);
  EXPECT_EQ(file.UniqueID(kStrs), 301);
  EXPECT_EQ(file.UniqueID(MakeResType("NONE")), 129);
  file.Close();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileTest, SetResInfoWithALanguageChangesNothing) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = file.GetResource(kObjd, 2, nullptr);
  file.SetResInfo(handle, 40, Name("renamed"), 1);
  EXPECT_EQ(file.Error(), kResErrNoLanguages);
  int16_t id = 0;
  file.GetResID(handle, &id);
  EXPECT_EQ(id, 2);
  EXPECT_EQ(NameOf(file, handle), "");
  EXPECT_FALSE(file.IsChanged());
  file.Close();
  EXPECT_EQ(ReadFile(), SampleFile());
}

TEST_F(IFFResFileTest, SetResInfoRewritesTheHeaderAndTheNames) {
  WriteFile(SampleFile());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    MHandle two = file.GetResource(kObjd, 2, nullptr);
    file.SetResInfo(two, 20, Name("sofa"), 0);
    EXPECT_EQ(file.Error(), 0);
    // A new name takes the next key; the header carries the new id and key.
    const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Resources(ReadFile());
    const auto block = std::find_if(blocks.begin(), blocks.end(),
                                    [](const IFF1Builder::Stored& stored) { return stored.type == "OBJD" && stored.id == 20; });
    ASSERT_NE(block, blocks.end());
    EXPECT_EQ(block->nameIndex, 4);
    MHandle one = file.GetResource(kObjd, 1, nullptr);
    // Same id, new name: only the names cache changes.
    file.SetResInfo(one, 1, Name("stool"), 0);
    // SetResID keeps the name.
    MHandle lamp = file.GetResource(kStrs, 5, nullptr);
    file.SetResID(lamp, 6);
    EXPECT_EQ(NameOf(file, lamp), "lamp");
    // An empty name removes the entry; the key stays with the resource.
    MHandle three = file.GetResource(kObjd, 3, nullptr);
    file.SetResInfo(three, 3, Name(""), 0);
    EXPECT_EQ(NameOf(file, three), "");
    EXPECT_EQ(file.Close(), 0);
  }
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 20, nullptr)), "sofa");
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "stool");
  EXPECT_EQ(NameOf(file, file.GetResource(kStrs, 6, nullptr)), "lamp");
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 3, nullptr)), "");
  EXPECT_EQ(file.NameList()->Count(), 3);
  file.Close();
}

TEST_F(IFFResFileTest, RemovingTheOnlyResourceKeepsTheTypeUntilReopened) {
  WriteFile(SampleFile());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.RemoveResource(file.GetResource(kStrs, 5, nullptr));
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(file.CountTypes(), 2);
    EXPECT_EQ(file.CountResources(kStrs), 0);
    EXPECT_EQ(file.GetIndType(1), kStrs);
    EXPECT_EQ(file.Close(), 0);
  }
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountTypes(), 1);
  EXPECT_EQ(file.GetNamedResource(kStrs, Name("lamp"), nullptr), nullptr);
  // The name went with the resource.
  EXPECT_EQ(file.NameList()->FindKey(2), nullptr);
  file.Close();
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  EXPECT_EQ(std::count_if(blocks.begin(), blocks.end(), [](const auto& b) { return b.type == "STR#"; }), 0);
}

TEST_F(IFFResFileTest, TheSwizzleCallbackRunsOnceAndOnlyForUnswizzledBlocks) {
  IFF1Builder built;
  built.Block("OBJD", 1, 0, -1, "raw");
  built.Block("OBJD", 2, 0x0010, -1, "done");
  WriteFile(built.Bytes());
  fDrive.MakeReadOnly("x/t.iff");
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  gSwizzleCalls = 0;
  MHandle raw = file.GetResource(kObjd, 1, CountingSwizzle);
  EXPECT_EQ(gSwizzleCalls, 1);
  EXPECT_TRUE(file.IsSwizzled(raw));
  file.GetResource(kObjd, 1, CountingSwizzle);
  EXPECT_EQ(gSwizzleCalls, 1);
  MHandle done = file.GetResource(kObjd, 2, CountingSwizzle);
  EXPECT_EQ(gSwizzleCalls, 1);
  EXPECT_TRUE(file.IsSwizzled(done));

  // Detached, the resource is as stored again and loads a fresh copy.
  file.DetachResource(raw);
  EXPECT_EQ(file.Error(), 0);
  MHandle again = file.GetResource(kObjd, 1, nullptr);
  EXPECT_NE(again, raw);
  EXPECT_FALSE(file.IsSwizzled(again));
  DisposeMHandle(raw);
  file.Close();
}

TEST_F(IFFResFileTest, AddedResourcesReachTheDiskAtFlushOldestFirst) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  file.AddResource(MakeHandle("first"), kObjd, 10, Name(""), false);
  file.AddResource(MakeHandle("second"), kObjd, 11, Name(""), false);
  file.AddResource(MakeHandle("sprite"), MakeResType("SPR2"), 1, Name(""), true);
  EXPECT_EQ(ReadFile(), SampleFile());
  file.Flush();
  EXPECT_EQ(file.Error(), 0);
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Resources(ReadFile());
  ASSERT_EQ(blocks.size(), 8u);
  EXPECT_EQ(blocks[5].payload, "first");
  EXPECT_EQ(blocks[6].payload, "second");
  EXPECT_EQ(blocks[7].payload, "sprite");
  EXPECT_EQ(blocks[7].flags, 0x0010);
  EXPECT_TRUE(file.ValidFile());
  EXPECT_TRUE(file.IsWritable());
  file.Close();
}

TEST_F(IFFResFileTest, AddingAnExistingIdReplacesItInPlaceInTheOrder) {
  WriteFile(SampleFile());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    MHandle handle = MakeHandle("new two");
    file.AddResource(handle, kObjd, 2, Name("named"), false);
    EXPECT_EQ(Ids(file, kObjd), (std::vector<int16_t>{3, 2, 1}));
    EXPECT_EQ(file.GetResource(kObjd, 2, nullptr), handle);
    // Not on disk before it is written; the old block still is.
    EXPECT_EQ(IFF1Builder::Resources(ReadFile())[2].payload, "two");
    file.WriteResource(handle);
    EXPECT_EQ(file.Error(), 0);
    // The old block is free now.
    for (const IFF1Builder::Stored& block : IFF1Builder::Resources(ReadFile())) EXPECT_NE(block.payload, "two");
    // Adding the handle it already holds keeps the handle.
    file.AddResource(handle, kObjd, 2, Name("named"), false);
    EXPECT_EQ(BytesOf(file.GetResource(kObjd, 2, nullptr)), "new two");
    EXPECT_EQ(file.Close(), 0);
  }
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(Load(file, kObjd, 2), "new two");
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 2, nullptr)), "named");
  EXPECT_EQ(file.CountResources(kObjd), 3);
  file.Close();
}

TEST_F(IFFResFileTest, AHandleAddedTwiceBelongsToTheLastResourceOnly) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle one = file.GetResource(kObjd, 1, nullptr);
  file.AddResource(one, kObjd, 50, Name(""), false);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.GetResource(kObjd, 50, nullptr), one);
  MHandle reloaded = file.GetResource(kObjd, 1, nullptr);
  EXPECT_NE(reloaded, one);
  EXPECT_EQ(BytesOf(reloaded), "one");
  file.AddResource(nullptr, kObjd, 51, Name(""), false);
  EXPECT_EQ(file.Error(), kMHandleErrBad);
  file.Close();
}

TEST_F(IFFResFileTest, DetachWritesAnUnwrittenResourceFirst) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = MakeHandle("kept by caller");
  file.AddResource(handle, kObjd, 12, Name(""), true);
  file.DetachResource(handle);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(IFF1Builder::Resources(ReadFile()).back().payload, "kept by caller");
  MHandle fresh = file.GetResource(kObjd, 12, nullptr);
  EXPECT_NE(fresh, handle);
  EXPECT_TRUE(file.IsSwizzled(fresh));
  file.ReleaseResource(fresh);
  EXPECT_EQ(file.Error(), 0);
  DisposeMHandle(handle);
  file.Close();
}

TEST_F(IFFResFileTest, ReadOnlyFilesRefuseChanges) {
  WriteFile(SampleFile());
  fDrive.MakeReadOnly("x/t.iff");
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_FALSE(file.IsWritable());
  MHandle handle = file.GetResource(kObjd, 1, nullptr);
  file.WriteResource(handle);
  EXPECT_EQ(file.Error(), kResErrNotWritable);
  file.RemoveResource(handle);
  EXPECT_EQ(file.Error(), kResErrNotWritable);
  file.SetResInfo(handle, 9, Name("x"), 0);
  EXPECT_EQ(file.Error(), kResErrNotWritable);
  MHandle mine = MakeHandle("new");
  file.AddResource(mine, kObjd, 3, Name(""), false);
  EXPECT_EQ(file.Error(), kResErrNotWritable);
  DisposeMHandle(mine);
  file.Flush();
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(), SampleFile());
}

TEST_F(IFFResFileTest, InternalModeShowsTheNamesCacheAlone) {
  WriteFile(SampleFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  file.EnterInternalMode();
  EXPECT_TRUE(file.InInternalMode());
  EXPECT_EQ(file.CountTypes(), 1);
  EXPECT_EQ(file.GetIndType(1), IFFNameList::kType);
  EXPECT_EQ(file.CountResources(kObjd), 0);
  file.EnterInternalMode();
  EXPECT_TRUE(Reported("entering internal mode more than once"));
  EXPECT_EQ(file.CountTypes(), 1);
  file.ExitInternalMode();
  EXPECT_FALSE(file.InInternalMode());
  EXPECT_EQ(file.CountTypes(), 2);
  file.ExitInternalMode();
  EXPECT_TRUE(Reported("exiting internal mode more than once"));
  EXPECT_EQ(file.CountTypes(), 2);
  file.Close();
  EXPECT_EQ(ReadFile(), SampleFile());
}

TEST_F(IFFResFileTest, DestroyingAnOpenFileClosesIt) {
  WriteFile(SampleFile());
  {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.GetResource(kObjd, 1, nullptr);
    file.AddResource(MakeHandle("pending"), kObjd, 77, Name("late"), false);
  }
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = file.GetResource(kObjd, 77, nullptr);
  EXPECT_EQ(BytesOf(handle), "pending");
  EXPECT_EQ(NameOf(file, handle), "late");
  file.Close();
}

}  // namespace
