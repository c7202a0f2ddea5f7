// Backups before the first write to a file in a run: one copy per file and
// run, the last five kept, a copy that cannot be made stops the save, and a
// restore puts a copy back byte for byte. The copies are looked for where the
// documented layout puts them, below the scratch host's data folder.
#include "app/core/BackupStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/ObjectFile.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "platform/HostEnvWrapper.h"
#include "platform/HostFailure.h"
#include "tests/platform/FaultyHostEnv.h"

namespace {

using Path = FixedStringBuffer<260>;

const std::string kFolder = GamePrefix::kListedObjectFolder;
const std::string kChair = std::string(GamePrefix::kObjectFolder) + "chair.iff";
// Where the copies of chair.iff go, below the data folder.
constexpr const char* kChairBackups = "backups/C/Games/The Velt/GameData/UserObjects/chair.iff";

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class BackupStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fGame.MakeGameFolder("GameData/UserObjects");
    fPrevious = BackupStore::Install(nullptr);
    NewRun();
    ASSERT_TRUE(WriteObjectFile(kChair, {{kObjdType, 128, "Chair", MakeDefinition(SortFields(8, 2, 4, 0))},
                                         {MakeResType("STR#"), 128, "Names", std::string(3000, 's')}}));
  }
  void TearDown() override {
    fGame.Install(nullptr);
    BackupStore::Install(fPrevious);
  }

  // A new run of the program: nothing is backed up in it yet.
  void NewRun() {
    fRun = std::make_unique<BackupStore>();
    BackupStore::Install(fRun.get());
  }

  static SaveResult Save(int16_t room) {
    return ObjectFile::SaveSorts(Path((kFolder + "chair").c_str()), 128, {0, room, 4, 2});
  }

  std::string Bytes() const { return fGame.ReadObject("chair.iff"); }

  // Number to bytes of every copy of chair.iff, by the names the layout
  // gives them; any other file in the folder is a failure.
  std::map<int, std::string> Kept() const {
    std::map<int, std::string> kept;
    const std::filesystem::path folder = fGame.DataPath(kChairBackups);
    if (!std::filesystem::exists(folder)) return kept;
    const std::regex version("v([0-9]+)-20[0-9]{6}T[0-9]{6}Z\\.iff");
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      std::smatch match;
      if (std::regex_match(name, match, version)) {
        kept[std::stoi(match[1])] = ReadFile(entry.path());
      } else {
        ADD_FAILURE() << "not a version: " << name;
      }
    }
    return kept;
  }

  GamePrefix fGame;
  std::unique_ptr<BackupStore> fRun;
  BackupStore* fPrevious = nullptr;
};

TEST_F(BackupStoreTest, TheFirstWriteOfARunIsBackedUpAndTheSecondIsNot) {
  const std::string original = Bytes();
  ASSERT_EQ(Save(16).fStatus, SaveResult::Status::kSaved);
  const std::string saved = Bytes();
  ASSERT_NE(saved, original);
  ASSERT_EQ(Save(32).fStatus, SaveResult::Status::kSaved);
  EXPECT_EQ(Kept(), (std::map<int, std::string>{{1, original}}));

  NewRun();
  const std::string second = Bytes();
  ASSERT_EQ(Save(64).fStatus, SaveResult::Status::kSaved);
  EXPECT_EQ(Kept(), (std::map<int, std::string>{{1, original}, {2, second}}));

  // Off for a run: nothing is copied.
  NewRun();
  fRun->SetEnabled(false);
  ASSERT_EQ(Save(8).fStatus, SaveResult::Status::kSaved);
  EXPECT_EQ(Kept().size(), 2u);
}

TEST_F(BackupStoreTest, TheLastFiveVersionsAreKept) {
  std::map<int, std::string> before;
  for (int run = 1; run <= 7; ++run) {
    NewRun();
    before[run] = Bytes();
    ASSERT_EQ(Save(static_cast<int16_t>(run)).fStatus, SaveResult::Status::kSaved) << run;
  }
  before.erase(1);
  before.erase(2);
  EXPECT_EQ(Kept(), before);

  std::vector<BackupStore::Version> versions;
  std::string folder;
  ASSERT_TRUE(fRun->Versions(kChair, &versions, &folder).Ok());
  EXPECT_EQ(folder, fGame.DataPath(kChairBackups));
  ASSERT_EQ(versions.size(), 5u);
  for (size_t i = 0; i < versions.size(); ++i) {
    EXPECT_EQ(versions[i].fNumber, static_cast<int>(i) + 3);
    EXPECT_EQ(versions[i].fSize, static_cast<int64_t>(before[static_cast<int>(i) + 3].size()));
  }
}

TEST_F(BackupStoreTest, ARestorePutsTheBytesBackAndCanBeUndone) {
  const std::string original = Bytes();
  ASSERT_EQ(Save(16).fStatus, SaveResult::Status::kSaved);
  const std::string saved = Bytes();

  NewRun();
  BackupStore::Version restored;
  ASSERT_TRUE(fRun->Restore(kChair, 1, &restored).Ok());
  EXPECT_EQ(restored.fNumber, 1);
  EXPECT_EQ(Bytes(), original);
  // The restore backed up what it replaced, as version 2; restoring the
  // newest (in a later run) undoes it.
  EXPECT_EQ(Kept(), (std::map<int, std::string>{{1, original}, {2, saved}}));
  NewRun();
  ASSERT_TRUE(fRun->Restore(kChair, 0, &restored).Ok());
  EXPECT_EQ(restored.fNumber, 2);
  EXPECT_EQ(Bytes(), saved);

  EXPECT_EQ(fRun->Restore(kChair, 9, &restored).fError, kBackupErrNoVersion);
  EXPECT_EQ(Bytes(), saved);
}

// A host on which the file looks gone to the restore's open while it is there:
// a file that another program makes in the moment between the two.
class NameTakenMeanwhile : public platform::HostEnvWrapper {
 public:
  using HostEnvWrapper::HostEnvWrapper;
  std::unique_ptr<platform::HostFile> OpenFile(std::string_view windowsPath,
                                               const platform::FileOpenOptions& options) override {
    if ((options.access & platform::kAccessWrite) != 0 && windowsPath == kChair) {
      platform::SetLastHostFailure(platform::HostFailure::kNotFound);
      return nullptr;
    }
    return HostEnvWrapper::OpenFile(windowsPath, options);
  }
};

// A file that is gone from its folder is put back under its name, but never
// over a file that took the name in the meantime.
TEST_F(BackupStoreTest, AFileThatIsGoneIsPutBackUnlessItsNameIsTaken) {
  const std::string original = Bytes();
  ASSERT_EQ(Save(16).fStatus, SaveResult::Status::kSaved);
  const std::filesystem::path folder = fGame.ObjectPath();
  BackupStore::Version restored;

  NewRun();
  std::filesystem::remove(folder / "chair.iff");
  const BackupResult result = fRun->Restore(kChair, 1, &restored);
  ASSERT_TRUE(result.Ok()) << BackupStore::Explain(result);
  EXPECT_EQ(Bytes(), original);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "nothing left beside it";

  NewRun();
  fGame.WriteObject("chair.iff", "made meanwhile");
  NameTakenMeanwhile taken(&fGame.host());
  fGame.Install(&taken);
  EXPECT_EQ(fRun->Restore(kChair, 1, &restored).fError, kBackupErrReplace);
  fGame.Install(nullptr);
  EXPECT_EQ(Bytes(), "made meanwhile");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "nothing left beside it";
}

// Every step of making the copy failing: the save stops before its first
// write, says why, and leaves neither the file changed nor anything that
// passes for a copy. The same run backs up once the host heals.
TEST_F(BackupStoreTest, ACopyThatCannotBeMadeStopsTheSave) {
  const struct {
    const char* name;
    std::function<void(FaultyHostEnv&)> plan;
    const char* reason;
  } faults[] = {
      {"folder refused", [](FaultyHostEnv& env) { env.plan().FailAll(HostCall::kMakeFolders); },
       "The sorts could not be saved: no backup of the file could be made; you do not have permission to write to "
       "the backup folder."},
      {"disk full",
       [](FaultyHostEnv& env) {
         env.SetShortWrites(true);
         env.plan().FailNth(HostCall::kWrite, 1, true);
       },
       "The sorts could not be saved: no backup of the file could be made; the disk is full."},
      {"flush fails", [](FaultyHostEnv& env) { env.plan().FailNth(HostCall::kFlush, 1); },
       "The sorts could not be saved: no backup of the file could be made; the disk reported an error; it may be "
       "failing."},
      {"rename fails", [](FaultyHostEnv& env) { env.plan().FailAll(HostCall::kRenameFile); },
       "The sorts could not be saved: no backup of the file could be made; another program is using the backup "
       "folder."},
      {"file held",
       [](FaultyHostEnv& env) {
         env.RefuseOpens([](std::string_view path, const platform::FileOpenOptions& options) {
           return (options.access & platform::kAccessWrite) == 0 && path.find("chair") != std::string_view::npos &&
                  path.find("backups") == std::string_view::npos;
         });
       },
       "The sorts could not be saved: no backup of the file could be made; another program is using the file."},
  };
  const std::string original = Bytes();
  // A save of one definition, and of several through one open, where the
  // later ones must not be written either.
  const SortChange changes[] = {{128, {0, 16, 4, 2}}, {128, {0, 32, 4, 2}}};
  for (const auto& fault : faults) {
    for (const bool several : {false, true}) {
      NewRun();
      FaultyHostEnv faulty(&fGame.host());
      fault.plan(faulty);
      fGame.Install(&faulty);
      const std::vector<SaveResult> results =
          several ? ObjectFile::SaveSorts(Path((kFolder + "chair").c_str()), changes) : std::vector{Save(16)};
      fGame.Install(nullptr);
      for (const SaveResult& result : results) {
        EXPECT_EQ(result.fStatus, SaveResult::Status::kFailed) << fault.name;
        EXPECT_EQ(result.fStage, SaveResult::Stage::kBackup) << fault.name;
        EXPECT_EQ(result.fReason, fault.reason) << fault.name;
      }
      EXPECT_EQ(Bytes(), original) << fault.name;
      EXPECT_TRUE(Kept().empty()) << fault.name;
      if (std::filesystem::exists(fGame.DataPath(kChairBackups))) {
        EXPECT_TRUE(std::filesystem::is_empty(fGame.DataPath(kChairBackups))) << fault.name << ": a partial copy stays";
      }
    }
  }
  ASSERT_EQ(Save(16).fStatus, SaveResult::Status::kSaved);
  EXPECT_EQ(Kept(), (std::map<int, std::string>{{1, original}}));
}

// Stored names are valid on every host and never the same for two names.
TEST(BackupStoreNamesTest, PathsMapOntoDistinctSafeFolders) {
  const struct {
    const char* canonical;
    const char* folder;
  } cases[] = {
      {"C:\\Games\\The Velt\\chair.iff", "B/C/Games/The Velt/chair.iff"},
      {"d:\\x\\Big Sofa.IFF", "B/D/x/Big Sofa.IFF"},
      {"\\\\server\\share\\objects\\lamp.iff", "B/UNC/server/share/objects/lamp.iff"},
      {"C:\\odd\\a:b*c?.iff", "B/C/odd/a%3Ab%2Ac%3F.iff"},
      {"C:\\odd\\100% ~done", "B/C/odd/100%25 %7Edone"},
      {"C:\\odd\\trailing. ", "B/C/odd/trailing.%20"},
      {"C:\\odd\\dots.", "B/C/odd/dots%2E"},
      {"C:\\odd\\con.iff", "B/C/odd/%63on.iff"},
      {"C:\\odd\\Lpt1", "B/C/odd/%4Cpt1"},
      {"C:\\odd\\console.iff", "B/C/odd/console.iff"},
      {"C:\\odd\\caf\xC3\xA9.iff", "B/C/odd/caf\xC3\xA9.iff"},
      {"C:\\odd\\tab\there", "B/C/odd/tab%09here"},
      {"relative\\x.iff", ""},
      {"C:\\", ""},
  };
  for (const auto& [canonical, folder] : cases) {
    EXPECT_EQ(BackupStore::FolderFor(canonical, "B", '/'), folder) << canonical;
  }

  // Long names are cut and told apart by a hash of the whole name.
  const std::string longName(300, 'x');
  const std::string cut = BackupStore::StoredName(longName);
  const std::string other = BackupStore::StoredName(longName + "y");
  EXPECT_LE(cut.size(), BackupStore::kMaxStoredName);
  EXPECT_NE(cut, other);
  EXPECT_EQ(cut.substr(0, 90), longName.substr(0, 90));
  // A cut never splits an escape or a character.
  for (const std::string& name : {std::string(99, 'x') + "%" + std::string(100, 'y'),
                                  std::string(99, 'x') + "\xC3\xA9" + std::string(100, 'y')}) {
    const std::string stored = BackupStore::StoredName(name);
    const size_t tilde = stored.rfind('~');
    ASSERT_NE(tilde, std::string::npos);
    const std::string kept = stored.substr(0, tilde);
    EXPECT_TRUE(kept.size() == 99 || kept.ends_with("%25") || kept.ends_with("\xC3\xA9")) << kept;
  }
}

TEST(BackupStoreNamesTest, VersionNamesCarryNumberAndTime) {
  using namespace std::chrono;
  const sys_seconds made = sys_days{2026y / December / 14} + hours{15} + minutes{30} + seconds{12};
  EXPECT_EQ(BackupStore::VersionName(7, made, ".iff"), "v7-20261214T153012Z.iff");
  EXPECT_EQ(BackupStore::VersionName(12, made, ""), "v12-20261214T153012Z");
  EXPECT_EQ(BackupStore::VersionName(1, made, "." + std::string(40, 'x')), "v1-20261214T153012Z");
  BackupStore::Version version;
  ASSERT_TRUE(BackupStore::ParseVersionName("v7-20261214T153012Z.iff", &version));
  EXPECT_EQ(version.fNumber, 7);
  EXPECT_EQ(version.fMade, "2026-12-14 15:30:12 UTC");
  for (const char* other : {"partial-7", "v0-20261214T153012Z.iff", "v7-2026121T153012Z", "v7-20261214X153012Z",
                            "v-20261214T153012Z", "v99999999999-20261214T153012Z"}) {
    EXPECT_FALSE(BackupStore::ParseVersionName(other, &version)) << other;
  }
}

}  // namespace
