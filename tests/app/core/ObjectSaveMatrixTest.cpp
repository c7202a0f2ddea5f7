// The organizer's Save at every failure point of every kind (see
// FaultInjection): whatever fails, the result it reports is what the file
// holds (saved: the new sorts are in the file; failed: the old ones are), and
// every other resource reads back as it was, through the file's map and by
// walking its blocks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/core/ObjectFile.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/platform/FaultInjection.h"

namespace {

using Path = FixedStringBuffer<260>;
using Key = std::pair<ResType, int16_t>;

const std::string kFolder = GamePrefix::kListedObjectFolder;
constexpr ResType kStrings = MakeResType("STR#");
constexpr int16_t kSavedId = 128;

// A file as a test lays it out, and whether its map lists blocks that no
// walk reaches.
struct Layout {
  const char* name;
  std::string (*bytes)(const std::string& definition);
};

std::string Definition() {
  DefinitionFields fields;
  fields.room = 8;
  fields.function = 2;
  fields.subsort = 4;
  return MakeDefinition(fields);
}

// Blocks, then the map that lists them. `breakAt`: the index of a block whose
// size field reads 0, so that walks stop there.
std::string Laid(const std::vector<std::pair<Key, std::string>>& blocks, int32_t freeFirst, int breakAt) {
  IFF2Builder built;
  if (freeFirst > 0) built.Free(freeFirst);
  std::vector<IFF2Builder::MapType> types;
  std::vector<int32_t> offsets;
  for (const auto& [key, payload] : blocks) {
    const std::string type = key.first == kObjdType ? "OBJD" : "STR#";
    offsets.push_back(built.Block(type, key.second, 0, "", payload));
    IFF2Builder::MapType* listed = nullptr;
    for (IFF2Builder::MapType& known : types) {
      if (known.type == type) listed = &known;
    }
    if (listed == nullptr) listed = &types.emplace_back(IFF2Builder::MapType{type, {}});
    listed->entries.push_back({offsets.back(), key.second, 0, ""});
  }
  built.SetMapOffset(
      static_cast<uint32_t>(built.Block("rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(freeFirst, types))));
  std::string bytes = built.Bytes();
  if (breakAt >= 0) bytes.replace(static_cast<size_t>(offsets[static_cast<size_t>(breakAt)]) + 4, 4, std::string(4, '\0'));
  return bytes;
}

const Layout kLayouts[] = {
    {"Typical",
     [](const std::string& d) {
       return Laid({{{kStrings, 128}, std::string(300, 's')}, {{kObjdType, 128}, d}, {{kStrings, 129}, "abc"}}, 0,
                   -1);
     }},
    // The close defragments, and a large block moves onto its own old place.
    {"Defragmenting",
     [](const std::string& d) {
       return Laid({{{kObjdType, 128}, d}, {{kStrings, 128}, std::string(60000, 'b')}, {{kStrings, 129}, "abc"}},
                   12000, -1);
     }},
    // A block the map lists has a size no walk gets past.
    {"BrokenChain",
     [](const std::string& d) {
       return Laid({{{kStrings, 130}, "before"}, {{kStrings, 128}, "broken"}, {{kObjdType, 128}, d},
                    {{kStrings, 129}, "after"}},
                   0, 1);
     }},
};

class ObjectSaveMatrixTest : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override { fGame.MakeGameFolder("GameData/UserObjects"); }

  Path FilePath() const { return Path((kFolder + "chair.iff").c_str()); }

  // Type and id to bytes, through the map when `walk` is false, by walking
  // the blocks otherwise. Unreadable resources are left out.
  std::map<Key, std::string> Contents(bool walk) {
    std::map<Key, std::string> contents;
    std::string bytes = fGame.ReadObject("chair.iff");
    if (walk) fGame.WriteObject("chair.iff", std::string(bytes).replace(60, 4, std::string(4, '\0')));
    IFFResFile2 file;
    if (file.Open(FilePath()) == 0) {
      for (const ResType type : {kObjdType, kStrings}) {
        for (int16_t index = 1; index <= file.CountResources(type); ++index) {
          MHandle handle = file.GetIndResource(type, index, nullptr);
          if (handle == nullptr) continue;
          int16_t id = 0;
          file.GetResID(handle, &id);
          const int32_t size = GetMHandleSize(handle);
          std::string payload(static_cast<size_t>(size), '\0');
          if (size > 0) std::memcpy(payload.data(), LockMHandle(handle), payload.size());
          if (size > 0) UnlockMHandle(handle);
          contents[{type, id}] = payload;
        }
      }
      file.Close();
    }
    if (walk) fGame.WriteObject("chair.iff", bytes);
    return contents;
  }

  // Everything but the saved definition is as it was; that one is as it was
  // or as it was meant to become.
  void ExpectNothingLost(const std::map<Key, std::string>& before, const std::map<Key, std::string>& after,
                         const std::string& saved, const std::string& where) {
    for (const auto& [key, payload] : before) {
      const auto found = after.find(key);
      if (found == after.end()) {
        ADD_FAILURE() << where << "lost " << key.first << " " << key.second;
        continue;
      }
      if (key == Key(kObjdType, kSavedId)) {
        EXPECT_TRUE(found->second == payload || found->second == saved) << where << "the definition is neither";
      } else {
        EXPECT_EQ(found->second, payload) << where << key.second;
      }
    }
  }

  GamePrefix fGame;
};

TEST_P(ObjectSaveMatrixTest, EverySaveSaysWhatTheFileHolds) {
  const std::string original = GetParam().bytes(Definition());
  const SortValues wanted{0, 2, 1, 4};
  const std::string saved = WithSorts(Definition(), 2, 4, 1, 0);
  FaultInjection faults(&fGame.host());
  faults.counting().SkipDeviceFlushes(true);
  fGame.WriteObject("chair.iff", original);
  const std::map<Key, std::string> mapped = Contents(false);
  const std::map<Key, std::string> walked = Contents(true);
  ASSERT_TRUE(mapped.count({kObjdType, kSavedId}));

  int points = 0;
  for (const FaultMode& mode : kFaultModes) {
    for (int n = 1; n < kMostFailurePoints; ++n) {
      fGame.WriteObject("chair.iff", original);
      const int failures = faults.Failures(mode);
      faults.Arm(mode, n);
      const SaveResult result = ObjectFile::SaveSorts(Path((kFolder + "chair").c_str()), kSavedId, wanted);
      faults.Heal(mode);
      if (faults.Failures(mode) == failures) {
        EXPECT_EQ(result.fStatus, SaveResult::Status::kSaved) << mode.name << ": nothing failed";
        break;
      }
      ++points;
      const std::string where = std::string(mode.name) + " at " + std::to_string(n) + ": ";
      SortValues now;
      ASSERT_NE(ObjectFile::LoadSorts(Path((kFolder + "chair").c_str()), kSavedId, &now), LoadResult::kNotFound)
          << where;
      const bool newSorts = now.fRoom == wanted.fRoom && now.fFunction == wanted.fFunction &&
                            now.fSubsort == wanted.fSubsort && now.fDowntown == wanted.fDowntown;
      EXPECT_EQ(result.Succeeded(), newSorts) << where << result.fReason;
      if (result.fStatus == SaveResult::Status::kFailed) {
        EXPECT_FALSE(result.fReason.empty()) << where;
      }
      ExpectNothingLost(mapped, Contents(false), saved, where + "(as opened) ");
      ExpectNothingLost(walked, Contents(true), saved, where + "(walking) ");
    }
  }
  EXPECT_GT(points, 0);
  std::printf("[ matrix   ] organizer save, %s: %d failure points\n", GetParam().name, points);
}

INSTANTIATE_TEST_SUITE_P(Files, ObjectSaveMatrixTest, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

}  // namespace
