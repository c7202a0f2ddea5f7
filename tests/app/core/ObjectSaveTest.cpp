#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/core/BackupStore.h"
#include "app/core/ObjectFile.h"
#include "msrc/File/IFFFormat.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/msrc/File/IFF2Reader.h"
#include "tests/platform/FaultyHostEnv.h"

namespace {

using Path = FixedStringBuffer<260>;
using Key = std::pair<std::string, int16_t>;

constexpr ResType kStrings = MakeResType("STR#");
const std::string kFolder = GamePrefix::kListedObjectFolder;
const char* const kReadOnlyReason = "The sorts could not be saved: the file is read-only.";
const char* const kDiskReason = "The sorts could not be saved: the disk is full.";

std::map<Key, IFF2Reader::Block> ResourcesOf(const std::string& bytes) {
  std::map<Key, IFF2Reader::Block> resources;
  for (const IFF2Reader::Block& block : IFF2Reader(bytes).Resources()) {
    if (block.type != "rsmp") resources[{block.type, block.id}] = block;
  }
  return resources;
}

class ObjectSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fGame.MakeGameFolder("GameData/UserObjects");
    fFields.room = 8;
    fFields.function = 2;
    fFields.subsort = 4;
    fFields.downtown = 0x0131;
    fOld.version = 136;
    fOld.size = 200;
    fOld.room = 16;
    fOld.function = 32;
    fResources = {{kStrings, 128, "Names", std::string(300, 's')},
                  {kObjdType, 128, "Chair", MakeDefinition(fFields)},
                  {kObjdType, 129, "Old Table", MakeDefinition(fOld)},
                  {kStrings, 129, "More", "abc"}};
  }

  void Write(const std::string& file) { ASSERT_TRUE(WriteObjectFile(kFolder + file, fResources)); }

  std::string Read(const std::string& file) const {
    std::ifstream in(fGame.ObjectPath(file), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  static SaveResult Save(const std::string& entry, int16_t id, const SortValues& values) {
    return ObjectFile::SaveSorts(Path((kFolder + entry).c_str()), id, values);
  }

  // Every resource but OBJD `id` is as it was; that one holds `payload`, its
  // name, and its flags with the swizzled mark added. The map the close wrote
  // is read back and agrees with the blocks.
  void ExpectOnlyDefinitionChanged(const std::string& file, const std::string& before, int16_t id,
                                   const std::string& payload) {
    ExpectOnlyDefinitionsChanged(file, before, {{id, payload}});
  }

  // The same for several definitions, by id.
  void ExpectOnlyDefinitionsChanged(const std::string& file, const std::string& before,
                                    const std::map<int16_t, std::string>& payloads) {
    const std::string after = Read(file);
    const auto old = ResourcesOf(before);
    const auto now = ResourcesOf(after);
    ASSERT_EQ(old.size(), now.size());
    for (const auto& [key, block] : old) {
      ASSERT_EQ(now.count(key), 1u) << key.first << key.second;
      const IFF2Reader::Block& changed = now.at(key);
      EXPECT_EQ(changed.name, block.name);
      if (key.first == "OBJD" && payloads.count(key.second) != 0) {
        EXPECT_EQ(changed.payload, payloads.at(key.second)) << key.second;
        EXPECT_EQ(changed.flags, block.flags | kSwizzled);
      } else {
        EXPECT_EQ(changed.payload, block.payload) << key.first << key.second;
        EXPECT_EQ(changed.flags, block.flags);
      }
    }
    ExpectMapAgrees(file, now);
  }

  void ExpectMapAgrees(const std::string& file, const std::map<Key, IFF2Reader::Block>& blocks) {
    IFFResFile2 reopened;
    ASSERT_EQ(reopened.Open(Path((kFolder + file).c_str())), kResErrNone);
    EXPECT_TRUE(reopened.OpenedFromMap());
    EXPECT_EQ(reopened.CountResources(kObjdType) + reopened.CountResources(kStrings),
              static_cast<int16_t>(blocks.size()));
    for (const auto& [key, block] : blocks) {
      const char code[5] = {key.first[0], key.first[1], key.first[2], key.first[3], '\0'};
      const ResType type = MakeResType(code);
      MHandle handle = reopened.GetResource(type, key.second, nullptr);
      ASSERT_NE(handle, nullptr);
      const int32_t size = GetMHandleSize(handle);
      std::string bytes(static_cast<size_t>(size), '\0');
      if (size > 0) std::memcpy(bytes.data(), LockMHandle(handle), bytes.size());
      if (size > 0) UnlockMHandle(handle);
      EXPECT_EQ(bytes, block.payload);
    }
    reopened.Close();
  }

  // Other resources still read back as they were written, whatever became
  // of the definition being saved.
  void ExpectOthersIntact(const std::string& file, int16_t savedId) {
    IFFResFile2 reopened;
    ASSERT_EQ(reopened.Open(Path((kFolder + file).c_str())), kResErrNone);
    for (const ResourceData& resource : fResources) {
      if (resource.type == kObjdType && resource.id == savedId) continue;
      MHandle handle = reopened.GetResource(resource.type, resource.id, nullptr);
      ASSERT_NE(handle, nullptr) << resource.name;
      std::string bytes(static_cast<size_t>(GetMHandleSize(handle)), '\0');
      std::memcpy(bytes.data(), LockMHandle(handle), bytes.size());
      UnlockMHandle(handle);
      EXPECT_EQ(bytes, resource.bytes) << resource.name;
    }
    reopened.Close();
  }

  GamePrefix fGame;
  DefinitionFields fFields;
  DefinitionFields fOld;
  std::vector<ResourceData> fResources;
};

TEST_F(ObjectSaveTest, ACurrentRecordIsRewrittenInPlace) {
  Write("chair.iff");
  const std::string before = Read("chair.iff");
  const SortValues values{0x0131, 4, 8, 1};
  EXPECT_EQ(Save("chair", 128, values).fStatus, SaveResult::Status::kSaved);
  const std::string after = Read("chair.iff");

  // Up to where the old map stood, only the header's map offset, the block's
  // flags and the four sort words differ.
  const IFF2Reader old(before);
  const int32_t block = ResourcesOf(before).at({"OBJD", 128}).offset;
  std::string expected = before;
  expected[static_cast<size_t>(block) + 11] = static_cast<char>(expected[static_cast<size_t>(block) + 11] | kSwizzled);
  const std::string payload = WithSorts(MakeDefinition(fFields), 4, 1, 8, 0x0131);
  expected.replace(static_cast<size_t>(block) + 76, payload.size(), payload);
  ASSERT_GE(after.size(), old.MapOffset());
  for (size_t i = 0; i < old.MapOffset(); ++i) {
    if (i >= 60 && i < 64) continue;
    EXPECT_EQ(after[i], expected[i]) << "byte " << i;
  }
  ExpectOnlyDefinitionChanged("chair.iff", before, 128, payload);
}

TEST_F(ObjectSaveTest, AnOlderRecordIsWrittenNormalised) {
  Write("chair.iff");
  const std::string before = Read("chair.iff");
  EXPECT_EQ(Save("chair", 129, {0, 16, 0, 32}).fStatus, SaveResult::Status::kSaved);
  const std::string payload = WithSorts(NormalizedDefinition(MakeDefinition(fOld)), 16, 32, 0, 0);
  ASSERT_EQ(payload.size(), 216u);
  ExpectOnlyDefinitionChanged("chair.iff", before, 129, payload);
}

TEST_F(ObjectSaveTest, OnlyTheLow16BitsOfEachValueAreWritten) {
  Write("chair.iff");
  const std::string before = Read("chair.iff");
  EXPECT_EQ(Save("chair", 128, {0x12345, -1, 0x10004, 0x7FFF8000}).fStatus, SaveResult::Status::kSaved);
  ExpectOnlyDefinitionChanged("chair.iff", before, 128,
                              WithSorts(MakeDefinition(fFields), -1, static_cast<int16_t>(0x8000), 4, 0x2345));
}

TEST_F(ObjectSaveTest, AnUnknownIdIsNotFoundAndChangesNothing) {
  Write("chair.iff");
  const std::string before = Read("chair.iff");
  const SaveResult result = Save("chair", 777, {1, 1, 1, 1});
  EXPECT_EQ(result.fStatus, SaveResult::Status::kNotFound);
  EXPECT_EQ(Read("chair.iff"), before);
}

TEST_F(ObjectSaveTest, ADottedNameIsSavedIntoTheListedFileOnly) {
  Write("combo.spf.iff");
  Write("combo.spf");
  const std::string listed = Read("combo.spf.iff");
  const std::string other = Read("combo.spf");
  EXPECT_EQ(Save("combo.spf", 128, {0, 1, 1, 1}).fStatus, SaveResult::Status::kSaved);
  EXPECT_EQ(Read("combo.spf"), other);
  ExpectOnlyDefinitionChanged("combo.spf.iff", listed, 128, WithSorts(MakeDefinition(fFields), 1, 1, 1, 0));

  Write("lamp.old.iff");
  const std::string lamp = Read("lamp.old.iff");
  EXPECT_EQ(Save("lamp.old", 128, {0, 2, 2, 2}).fStatus, SaveResult::Status::kSaved);
  ExpectOnlyDefinitionChanged("lamp.old.iff", lamp, 128, WithSorts(MakeDefinition(fFields), 2, 2, 2, 0));

  Write(".iff");
  const std::string nameless = Read(".iff");
  EXPECT_EQ(Save("", 128, {0, 4, 4, 4}).fStatus, SaveResult::Status::kSaved);
  ExpectOnlyDefinitionChanged(".iff", nameless, 128, WithSorts(MakeDefinition(fFields), 4, 4, 4, 0));
}

TEST_F(ObjectSaveTest, AFileMadeReadOnlyAfterListingIsReportedAndLeftAlone) {
  Write("chair.iff");
  std::vector<ListedObject> objects;
  ASSERT_EQ(ObjectFile::ListObjects(Path((kFolder + "chair").c_str()), &objects), 0);
  fGame.MakeReadOnly("GameData/UserObjects/chair.iff");
  const std::string before = Read("chair.iff");
  const SaveResult result = Save("chair", 128, {0, 1, 1, 1});
  EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed);
  EXPECT_EQ(result.fStage, SaveResult::Stage::kWrite);
  EXPECT_EQ(result.fError, kResErrNotWritable);
  EXPECT_EQ(result.fReason, kReadOnlyReason);
  EXPECT_EQ(Read("chair.iff"), before);
}

TEST_F(ObjectSaveTest, AReadOnlyFileBesideAWritableCompanionIsStillReadOnly) {
  // The chain's own answer would be the companion's "not mine".
  Write("chair.iff");
  Write("chair.spf");
  fGame.MakeReadOnly("GameData/UserObjects/chair.iff");
  const SaveResult result = Save("chair", 128, {0, 1, 1, 1});
  EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed);
  EXPECT_EQ(result.fError, kResErrNotWritable);
  EXPECT_EQ(result.fReason, kReadOnlyReason);
}

TEST_F(ObjectSaveTest, AFileHeldByAnotherWriterCannotBeOpened) {
  Write("chair.iff");
  const std::string before = Read("chair.iff");
  IFFResFile2 other;
  ASSERT_EQ(other.Open(Path((kFolder + "chair.iff").c_str())), kResErrNone);
  ASSERT_TRUE(other.IsWritable());
  const SaveResult result = Save("chair", 128, {0, 1, 1, 1});
  other.Close();
  EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed);
  EXPECT_EQ(result.fStage, SaveResult::Stage::kOpen);
  EXPECT_EQ(result.fReason, "The sorts could not be saved: another program is using the file.");
  EXPECT_EQ(Read("chair.iff"), before);
}

TEST_F(ObjectSaveTest, AFileGoneSinceListingIsReportedSo) {
  Write("chair.iff");
  std::filesystem::remove(fGame.ObjectPath("chair.iff"));
  const SaveResult result = Save("chair", 128, {0, 1, 1, 1});
  EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed);
  EXPECT_EQ(result.fStage, SaveResult::Stage::kOpen);
  EXPECT_EQ(result.fError, kResErrNoSuchFile);
  EXPECT_EQ(result.fReason, "The sorts could not be saved: the file is no longer there.");
}

// Several definitions of one file through one open: each is written as a
// save of it alone writes it (the older record moves, upgraded), an id the
// file lacks is not found without stopping the others, and the group's
// files are opened no more often than for one definition.
TEST_F(ObjectSaveTest, SeveralDefinitionsAreSavedThroughOneOpen) {
  Write("chair.iff");
  Write("count.iff");
  const std::string before = Read("chair.iff");
  FaultyHostEnv counting(&fGame.host());
  fGame.Install(&counting);
  EXPECT_EQ(Save("count", 128, {0, 1, 1, 1}).fStatus, SaveResult::Status::kSaved);
  const int opensForOne = counting.plan().Count(HostCall::kOpenFile);
  const SortChange changes[] = {{129, {0, 4, 2, 8}}, {777, {0, 1, 1, 1}}, {128, {0x0131, 1, 8, 1}}};
  const std::vector<SaveResult> results = ObjectFile::SaveSorts(Path((kFolder + "chair").c_str()), changes);
  EXPECT_EQ(counting.plan().Count(HostCall::kOpenFile) - opensForOne, opensForOne);
  fGame.Install(nullptr);

  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].fStatus, SaveResult::Status::kSaved);
  EXPECT_EQ(results[1].fStatus, SaveResult::Status::kNotFound);
  EXPECT_EQ(results[2].fStatus, SaveResult::Status::kSaved);
  ExpectOnlyDefinitionsChanged("chair.iff", before,
                               {{128, WithSorts(MakeDefinition(fFields), 1, 1, 8, 0x0131)},
                                {129, WithSorts(NormalizedDefinition(MakeDefinition(fOld)), 4, 8, 2, 0)}});
  EXPECT_TRUE(ObjectFile::SaveSorts(Path((kFolder + "chair").c_str()), std::span<const SortChange>()).empty());
}

TEST_F(ObjectSaveTest, EveryDefinitionOfAFileThatCannotBeChangedFailsWithItsReason) {
  const SortChange changes[] = {{128, {0, 1, 1, 1}}, {129, {0, 2, 2, 2}}};
  const auto expectRefused = [&](const char* reason) {
    const std::string before = Read("chair.iff");
    const std::vector<SaveResult> results = ObjectFile::SaveSorts(Path((kFolder + "chair").c_str()), changes);
    ASSERT_EQ(results.size(), 2u);
    for (const SaveResult& result : results) {
      EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed);
      EXPECT_EQ(result.fReason, reason);
    }
    EXPECT_EQ(Read("chair.iff"), before);
  };
  Write("chair.iff");
  {
    IFFResFile2 other;
    ASSERT_EQ(other.Open(Path((kFolder + "chair.iff").c_str())), kResErrNone);
    expectRefused("The sorts could not be saved: another program is using the file.");
    other.Close();
  }
  fGame.MakeReadOnly("GameData/UserObjects/chair.iff");
  expectRefused(kReadOnlyReason);
}

// The save's own writes failing; the backup before them, whose writes would
// fail first, is off here (BackupStoreTest covers its failures).
class ObjectSaveFaultTest : public ObjectSaveTest {
 protected:
  void SetUp() override {
    ObjectSaveTest::SetUp();
    fNoBackups.SetEnabled(false);
    fStore = BackupStore::Install(&fNoBackups);
  }
  void TearDown() override {
    fGame.Install(nullptr);
    BackupStore::Install(fStore);
  }

  // Host writes of WriteResource and of Close in a save of OBJD 128 that
  // goes well, counted on a copy of the file.
  std::pair<int, int> CountWrites() {
    Write("count.iff");
    FaultyHostEnv counting(&fGame.host());
    fGame.Install(&counting);
    IFFResFile2 file;
    EXPECT_EQ(file.Open(Path((kFolder + "count.iff").c_str())), kResErrNone);
    MHandle handle = file.GetResource(kObjdType, 128, SwizzleDefinition);
    NormalizeDefinition(handle);
    const int before = counting.plan().Count(HostCall::kWrite);
    file.WriteResource(handle);
    const int written = counting.plan().Count(HostCall::kWrite) - before;
    file.Close();
    const int closed = counting.plan().Count(HostCall::kWrite) - before - written;
    fGame.Install(nullptr);
    return {written, closed};
  }

  SaveResult SaveFailing(const std::function<void(FaultyHostEnv&)>& plan) {
    Write("chair.iff");
    FaultyHostEnv faulty(&fGame.host());
    plan(faulty);
    fGame.Install(&faulty);
    const SaveResult result = Save("chair", 128, {0, 1, 1, 1});
    fGame.Install(nullptr);
    return result;
  }

  BackupStore fNoBackups;
  BackupStore* fStore = nullptr;
};

TEST_F(ObjectSaveFaultTest, AFailedWriteIsReportedAndTheOtherResourcesSurvive) {
  const SaveResult result = SaveFailing([](FaultyHostEnv& env) { env.plan().FailNth(HostCall::kWrite, 1); });
  EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed);
  EXPECT_EQ(result.fStage, SaveResult::Stage::kWrite);
  EXPECT_EQ(result.fError, kResErrShortWrite);
  EXPECT_EQ(result.fReason, kDiskReason);
  ExpectOthersIntact("chair.iff", 128);
}

TEST_F(ObjectSaveFaultTest, AFullDiskIsReportedAndTheOtherResourcesSurvive) {
  const SaveResult result = SaveFailing([](FaultyHostEnv& env) {
    env.SetShortWrites(true);
    env.plan().FailAll(HostCall::kWrite);
  });
  EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed);
  EXPECT_EQ(result.fStage, SaveResult::Stage::kWrite);
  EXPECT_EQ(result.fReason, kDiskReason);
  ExpectOthersIntact("chair.iff", 128);
}

TEST_F(ObjectSaveFaultTest, AFailedFlushIsReported) {
  const SaveResult result = SaveFailing([](FaultyHostEnv& env) { env.plan().FailAll(HostCall::kFlush); });
  EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed);
  EXPECT_EQ(result.fReason, "The sorts could not be saved: the disk reported an error; it may be failing.");
  ExpectOthersIntact("chair.iff", 128);
}

// The definition is on disk when the close fails to store the file's index:
// the save happened, and the player hears what failed after it.
TEST_F(ObjectSaveFaultTest, AWriteThatFailsWhileClosingIsAWarningNotAFailure) {
  const auto [written, closed] = CountWrites();
  ASSERT_GT(written, 0);
  ASSERT_GT(closed, 0);
  const SaveResult result =
      SaveFailing([n = written + 1](FaultyHostEnv& env) { env.plan().FailNth(HostCall::kWrite, n, true); });
  EXPECT_EQ(result.fStatus, SaveResult::Status::kSavedWithWarning);
  EXPECT_EQ(result.fStage, SaveResult::Stage::kClose);
  EXPECT_EQ(result.fReason,
            "The sorts were saved, but the file's index could not be stored: the disk is full. The game still finds "
            "every object in the file.");
  ExpectOthersIntact("chair.iff", 128);
}

}  // namespace
