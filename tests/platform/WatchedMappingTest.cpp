// A mapper that has indexed a prefix's folders must answer, after any change
// to the prefix, exactly what a mapper that has never seen the prefix
// answers: the file a save writes is decided here. Each row changes the
// prefix in a way that moves at least one answer.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/LookupBatch.h"
#include "platform/PosixHostEnv.h"
#include "platform/WinePathMapper.h"
#include "tests/platform/ScratchFolder.h"

using platform::LookupBatch;
using platform::PosixHostEnv;
using platform::WinePathMapper;

namespace {

namespace fs = std::filesystem;

constexpr const char* kGame = "drive_c/Games/The Velt/GameData/UserObjects/";

const std::vector<std::string> kPaths = {
    "c:\\games\\the velt\\gamedata\\userobjects\\chair.iff",
    "c:\\games\\the velt\\gamedata\\userobjects\\sofa.iff",
    "c:\\games\\the velt\\gamedata\\userobjects\\sub\\lamp.iff",
    "c:\\games\\the velt\\gamedata\\userobjects\\new.iff",
    "c:\\games\\the velt\\gamedata\\userobjects\\",
    "C:\\Games\\The Velt\\GameData\\UserObjects\\Chair.iff",
    "C:\\GAMES\\THE VELT\\GAMEDATA\\USEROBJECTS\\SUB\\",
};
const char* const kFolder = "c:\\games\\the velt\\gamedata\\userobjects\\";
const std::vector<std::string> kCompanions = {"chair.spf", "chair.iff", "CHAIR.STX", "new.iff", "sub"};

// A change, and optionally a second one made after the mapper has answered
// the paths once more.
struct Change {
  const char* name;
  std::function<void(const ScratchFolder&)> apply;
  std::function<void(const ScratchFolder&)> then = nullptr;
};

void Rename(const ScratchFolder& prefix, const std::string& from, const std::string& to) {
  fs::rename(prefix.path() / from, prefix.path() / to);
}

const Change kChanges[] = {
    {"AFolderOnTheWayIsRenamed",
     [](const ScratchFolder& p) { Rename(p, "drive_c/Games/The Velt/GameData", "drive_c/Games/The Velt/Old"); }},
    {"AFolderOnTheWayChangesCaseOnly",
     [](const ScratchFolder& p) { Rename(p, "drive_c/Games/The Velt", "drive_c/Games/THE VELT"); }},
    {"ATwinSpelledExactlyAsAskedAppears",
     [](const ScratchFolder& p) { p.WriteFile("drive_c/games/the velt/gamedata/userobjects/chair.iff", "twin"); }},
    {"ATwinThatSortsFirstAppears",
     [](const ScratchFolder& p) { p.WriteFile("drive_c/GAMES/The Velt/GameData/UserObjects/Chair.iff", "twin"); }},
    {"TheMatchedFolderGoesAndItsTwinStays",
     [](const ScratchFolder& p) { fs::remove_all(p.path() / "drive_c/Games"); }},
    {"AFileTwinAppearsBesideTheFile",
     [](const ScratchFolder& p) { p.WriteFile(std::string(kGame) + "chair.iff", "twin"); }},
    {"TheFileIsRenamed", [](const ScratchFolder& p) { Rename(p, std::string(kGame) + "Chair.IFF", "drive_c/Chair.IFF"); }},
    {"ACompanionAppears", [](const ScratchFolder& p) { p.WriteFile(std::string(kGame) + "Chair.SPF", "spf"); }},
    {"ASubfolderIsRemadeWithOtherSpellings",
     [](const ScratchFolder& p) {
       fs::remove_all(p.path() / kGame / "Sub");
       p.WriteFile(std::string(kGame) + "SUB/LAMP.IFF", "lamp");
     }},
    {"TheDriveLinkLeadsElsewhere",
     [](const ScratchFolder& p) {
       fs::remove(p.path() / "dosdevices/c:");
       p.Link("dosdevices/c:", "../drive_d");
     }},
    {"TheDriveFolderIsReplaced",
     [](const ScratchFolder& p) {
       Rename(p, "drive_c", "drive_old");
       p.WriteFile("drive_c/GAMES/THE VELT/GAMEDATA/USEROBJECTS/CHAIR.IFF", "new drive");
     }},
    {"AFolderOnTheWayBecomesALink",
     [](const ScratchFolder& p) {
       Rename(p, "drive_c/Games/The Velt/GameData", "drive_c/Elsewhere");
       p.Link("drive_c/Games/The Velt/GameData", "../../../drive_d/games/the velt/gamedata");
     }},
    {"ALinkedFolderChangesBehindItsLink",
     [](const ScratchFolder& p) {
       Rename(p, "drive_c/Games/The Velt/GameData", "drive_c/Elsewhere");
       p.Link("drive_c/Games/The Velt/GameData", "../../Elsewhere");
       Rename(p, "drive_c/Elsewhere/UserObjects/Chair.IFF", "drive_c/Elsewhere/UserObjects/cHAIR.iff");
     }},
    {"AFolderAboveALinkedFolderIsReplaced",
     [](const ScratchFolder& p) {
       p.MakeFolder("drive_c/Outer");
       Rename(p, "drive_c/Games/The Velt/GameData", "drive_c/Outer/GameData");
       p.Link("drive_c/Games/The Velt/GameData", "../../Outer/GameData");
     },
     [](const ScratchFolder& p) {
       Rename(p, "drive_c/Outer", "drive_c/Gone");
       p.WriteFile("drive_c/Outer/GameData/USEROBJECTS/CHAIR.iff", "new outer");
     }},
};

class WatchedMappingTest : public ::testing::TestWithParam<Change> {
 protected:
  void SetUp() override {
    fPrefix.Link("dosdevices/c:", "../drive_c");
    fPrefix.WriteFile(std::string(kGame) + "Chair.IFF", "chair");
    fPrefix.WriteFile(std::string(kGame) + "Sofa.iff", "sofa");
    fPrefix.WriteFile(std::string(kGame) + "Sub/Lamp.iff", "lamp");
    fPrefix.WriteFile("drive_c/gAMES/The Velt/GameData/UserObjects/Chair.iff", "other twin");
    fPrefix.WriteFile("drive_d/games/the velt/gamedata/USEROBJECTS/chair.IFF", "drive d");
  }

  // Every answer of `mapper` against a mapper that has seen nothing.
  void ExpectFreshAnswers(const WinePathMapper& mapper, const char* when) const {
    const WinePathMapper fresh(fPrefix.Path());
    for (const std::string& path : kPaths) EXPECT_EQ(mapper.Map(path), fresh.Map(path)) << when << ": " << path;
    EXPECT_EQ(mapper.MayHold(kFolder, kCompanions), fresh.MayHold(kFolder, kCompanions)) << when;
  }

  ScratchFolder fPrefix;
};

TEST_P(WatchedMappingTest, AnswersAsIfNothingWereKnown) {
  const WinePathMapper mapper(fPrefix.Path());
  ExpectFreshAnswers(mapper, "before");
  if (mapper.WatchedFolderCount() == 0) GTEST_SKIP() << "this file system's changes are not watched";

  GetParam().apply(fPrefix);
  // First as one batch of lookups, which looks at the root and the notices
  // once, then as single lookups.
  mapper.BeginBatch();
  ExpectFreshAnswers(mapper, "after, in one batch");
  mapper.EndBatch();
  // And again, from whatever the first answers after the change left known.
  ExpectFreshAnswers(mapper, "again");
  if (GetParam().then == nullptr) return;
  GetParam().then(fPrefix);
  ExpectFreshAnswers(mapper, "after the second change");
}

INSTANTIATE_TEST_SUITE_P(Changes, WatchedMappingTest, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

// Known folders answer without being listed again, and the answers are the
// fresh ones while many files come and go in the object folder.
TEST(WatchedMappingWork, KnownFoldersAreListedOnceWhileFilesComeAndGo) {
  ScratchFolder prefix;
  prefix.Link("dosdevices/c:", "../drive_c");
  for (int i = 0; i < 50; ++i) prefix.WriteFile(std::string(kGame) + "Obj" + std::to_string(i) + ".IFF", "x");
  const WinePathMapper mapper(prefix.Path());
  ASSERT_FALSE(mapper.Map("c:\\games\\the velt\\gamedata\\userobjects\\obj0.iff").empty());
  if (mapper.WatchedFolderCount() == 0) GTEST_SKIP() << "this file system's changes are not watched";
  const uint64_t listed = mapper.FolderListingCount();

  for (int i = 0; i < 50; ++i) {
    const std::string name = "Obj" + std::to_string(i) + ".IFF";
    const std::string asked = "c:\\games\\the velt\\gamedata\\userobjects\\obj" + std::to_string(i) + ".iff";
    EXPECT_EQ(mapper.Map(asked), prefix.Path("dosdevices/c:/Games/The Velt/GameData/UserObjects/" + name));
    // A save: the new bytes beside the file, then in its place.
    prefix.WriteFile(std::string(kGame) + name + ".velt-save", "y");
    Rename(prefix, std::string(kGame) + name + ".velt-save", std::string(kGame) + name);
    if (i % 2 == 0) prefix.Remove(std::string(kGame) + name);
    EXPECT_EQ(mapper.Map(asked), WinePathMapper(prefix.Path()).Map(asked)) << asked;
  }
  EXPECT_EQ(mapper.FolderListingCount(), listed);
}

// A batch of lookups looks at the drive's root and the notices once; it must
// still see a change made through its own environment, must not serve
// another mapper, and must leave nothing behind once it ends.
TEST(WatchedMappingBatch, SeesItsOwnChangesAndEndsFresh) {
  ScratchFolder prefix;
  prefix.Link("dosdevices/c:", "../drive_c");
  prefix.WriteFile(std::string(kGame) + "Chair.IFF", "chair");
  prefix.WriteFile("drive_d/GAMES/THE VELT/GAMEDATA/USEROBJECTS/CHAIR.IFF", "drive d");
  PosixHostEnv host(prefix.Path(), prefix.Path("data"));
  const std::string asked = "c:\\games\\the velt\\gamedata\\userobjects\\chair.iff";
  const auto fresh = [&prefix, &asked] { return WinePathMapper(prefix.Path()).Map(asked); };
  ASSERT_EQ(host.HostPath(asked), fresh());
  if (host.mapper().WatchedFolderCount() == 0) GTEST_SKIP() << "this file system's changes are not watched";

  WinePathMapper other(prefix.Path());
  ASSERT_EQ(other.Map(asked), fresh());
  {
    const LookupBatch batch(host);
    EXPECT_EQ(host.HostPath(asked), fresh());
    ASSERT_TRUE(host.RenameHostFile(prefix.Path(std::string(kGame) + "Chair.IFF"),
                                    prefix.Path(std::string(kGame) + "chair.iff")));
    EXPECT_EQ(host.HostPath(asked), fresh()) << "a change made through the environment";
    Rename(prefix, std::string(kGame) + "chair.iff", std::string(kGame) + "cHAIR.iff");
    EXPECT_EQ(other.Map(asked), fresh()) << "another mapper, outside the batch";
  }
  fs::remove(prefix.path() / "dosdevices/c:");
  prefix.Link("dosdevices/c:", "../drive_d");
  EXPECT_EQ(host.HostPath(asked), fresh()) << "after the batch";
}

}  // namespace
