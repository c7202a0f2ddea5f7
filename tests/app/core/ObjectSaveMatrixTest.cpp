// The organizer's Save at every failure point of every kind (see
// FaultInjection): whatever fails, the result it reports is what the file
// holds (saved: the new sorts are in the file; failed: the old ones are), and
// every other resource reads back as it was, through the file's map and by
// walking its blocks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <span>
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

constexpr int16_t kSecondId = 129;

// A file as a test lays it out around one definition, and a second one
// after every other block when `second` is not empty; whether that second
// one lies where no walk of the blocks reaches it.
struct Layout {
  const char* name;
  std::string (*bytes)(const std::string& definition, const std::string& second);
  bool secondUnreached = false;
};

std::string Definition() {
  DefinitionFields fields;
  fields.room = 8;
  fields.function = 2;
  fields.subsort = 4;
  return MakeDefinition(fields);
}

// An older record (version 136, 200 bytes), which a save moves.
std::string SecondDefinition() {
  DefinitionFields fields = SortFields(16, 8, 2, 0);
  fields.version = 136;
  fields.size = 200;
  return MakeDefinition(fields);
}

// Blocks, then the map that lists them. `breakAt`: the index of a block whose
// size field reads 0, so that walks stop there.
std::string Laid(std::vector<std::pair<Key, std::string>> blocks, const std::string& second, int32_t freeFirst,
                 int breakAt) {
  if (!second.empty()) blocks.push_back({{kObjdType, kSecondId}, second});
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
     [](const std::string& d, const std::string& second) {
       return Laid({{{kStrings, 128}, std::string(300, 's')}, {{kObjdType, 128}, d}, {{kStrings, 129}, "abc"}},
                   second, 0, -1);
     }},
    // The close defragments, and a large block moves onto its own old place.
    {"Defragmenting",
     [](const std::string& d, const std::string& second) {
       return Laid({{{kObjdType, 128}, d}, {{kStrings, 128}, std::string(60000, 'b')}, {{kStrings, 129}, "abc"}},
                   second, 12000, -1);
     }},
    // A block the map lists has a size no walk gets past.
    {"BrokenChain",
     [](const std::string& d, const std::string& second) {
       return Laid({{{kStrings, 130}, "before"}, {{kStrings, 128}, "broken"}, {{kObjdType, 128}, d},
                    {{kStrings, 129}, "after"}},
                   second, 0, 1);
     },
     true},
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

  // Everything but the saved definitions is as it was; each of those is as
  // it was or as it was meant to become.
  void ExpectNothingLost(const std::map<Key, std::string>& before, const std::map<Key, std::string>& after,
                         const std::map<Key, std::string>& saved, const std::string& where) {
    for (const auto& [key, payload] : before) {
      const auto found = after.find(key);
      if (found == after.end()) {
        ADD_FAILURE() << where << "lost " << key.first << " " << key.second;
        continue;
      }
      if (saved.count(key) != 0) {
        EXPECT_TRUE(found->second == payload || found->second == saved.at(key))
            << where << "definition " << key.second << " is neither";
      } else {
        EXPECT_EQ(found->second, payload) << where << key.second;
      }
    }
  }

  // Runs `save` (the changes, written through one save) at every failure
  // point of every kind; answers how many points there were. After each run
  // every result says what the file holds for its own definition, and
  // nothing else in the file is lost. A run without a fault saves everything,
  // unless `faultlessReason` is given: the reason the last change then fails
  // with.
  int RunMatrix(const std::string& original, std::span<const SortChange> changes,
                const std::map<Key, std::string>& saved, const char* faultlessReason,
                const std::function<std::vector<SaveResult>()>& save) {
    const Path entry((kFolder + "chair").c_str());
    FaultInjection faults(&fGame.host());
    faults.counting().SkipDeviceFlushes(true);
    fGame.WriteObject("chair.iff", original);
    const std::map<Key, std::string> mapped = Contents(false);
    const std::map<Key, std::string> walked = Contents(true);
    for (const SortChange& change : changes) EXPECT_TRUE(mapped.count({kObjdType, change.fId})) << change.fId;

    int points = 0;
    for (const FaultMode& mode : kFaultModes) {
      for (int n = 1; n < kMostFailurePoints; ++n) {
        fGame.WriteObject("chair.iff", original);
        const int failures = faults.Failures(mode);
        faults.Arm(mode, n);
        const std::vector<SaveResult> results = save();
        faults.Heal(mode);
        EXPECT_EQ(results.size(), changes.size());
        if (results.size() != changes.size()) return points;
        const bool faulted = faults.Failures(mode) != failures;
        if (!faulted && faultlessReason == nullptr) {
          for (const SaveResult& result : results) {
            EXPECT_EQ(result.fStatus, SaveResult::Status::kSaved) << mode.name << ": nothing failed";
          }
          break;
        }
        if (!faulted) {
          EXPECT_EQ(results.back().fReason, faultlessReason);
        }
        const std::string where = std::string(mode.name) + " at " + std::to_string(n) + ": ";
        for (size_t i = 0; i < changes.size(); ++i) {
          SortValues now;
          EXPECT_NE(ObjectFile::LoadSorts(entry, changes[i].fId, &now), LoadResult::kNotFound) << where;
          EXPECT_EQ(results[i].Succeeded(), now == changes[i].fSorts)
              << where << changes[i].fId << " " << results[i].fReason;
          if (results[i].fStatus == SaveResult::Status::kFailed) {
            EXPECT_FALSE(results[i].fReason.empty()) << where;
          }
        }
        ExpectNothingLost(mapped, Contents(false), saved, where + "(as opened) ");
        ExpectNothingLost(walked, Contents(true), saved, where + "(walking) ");
        if (!faulted) break;
        ++points;
      }
    }
    return points;
  }

  GamePrefix fGame;
};

TEST_P(ObjectSaveMatrixTest, EverySaveSaysWhatTheFileHolds) {
  const SortChange change{kSavedId, {0, 2, 1, 4}};
  const int points = RunMatrix(
      GetParam().bytes(Definition(), ""), std::span<const SortChange>(&change, 1),
      {{{kObjdType, kSavedId}, WithSorts(Definition(), 2, 4, 1, 0)}}, nullptr, [&change] {
        return std::vector<SaveResult>{
            ObjectFile::SaveSorts(Path((kFolder + "chair").c_str()), change.fId, change.fSorts)};
      });
  EXPECT_GT(points, 0);
  std::printf("[ matrix   ] organizer save, %s: %d failure points\n", GetParam().name, points);
}

// Two definitions saved through one open, one in place and one moved: each
// result says what the file holds for its own definition. Where no walk
// reaches the second one, no new block for it can be placed safely, and its
// save fails as a save of it alone does, even with no fault.
TEST_P(ObjectSaveMatrixTest, EveryDefinitionOfASaveOfSeveralSaysWhatTheFileHolds) {
  const SortChange changes[] = {{kSavedId, {0, 2, 1, 4}}, {kSecondId, {9, 1, 4, 2}}};
  const int points = RunMatrix(
      GetParam().bytes(Definition(), SecondDefinition()), changes,
      {{{kObjdType, kSavedId}, WithSorts(Definition(), 2, 4, 1, 0)},
       {{kObjdType, kSecondId}, WithSorts(NormalizedDefinition(SecondDefinition()), 1, 2, 4, 9)}},
      GetParam().secondUnreached ? "The sorts could not be saved: the file is damaged." : nullptr,
      [&changes] { return ObjectFile::SaveSorts(Path((kFolder + "chair").c_str()), changes); });
  EXPECT_GT(points, 0);
  std::printf("[ matrix   ] save of two definitions, %s: %d failure points\n", GetParam().name, points);
}

INSTANTIATE_TEST_SUITE_P(Files, ObjectSaveMatrixTest, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

}  // namespace
