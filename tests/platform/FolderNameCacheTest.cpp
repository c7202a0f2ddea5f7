#include "platform/FolderNameCache.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/PosixHostEnv.h"
#include "tests/platform/ScratchFolder.h"

using platform::FolderNameCache;

namespace {

int64_t RealNow() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// A clock an hour ahead: every folder looks long quiet, so kept indexes are
// trusted and the tests can count listings.
int64_t HourAhead() { return RealNow() + int64_t{3600} * 1000000000; }

// Dates a folder's modification time an hour back. Its change time stays
// recent, but the next change moves the modification time, so a cache running
// on HourAhead() sees every change the test makes.
void AgeFolder(const std::string& path) {
  struct timespec times[2] = {};
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = std::time(nullptr) - 3600;
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class FolderNameCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fScratch.WriteFile("Objects/Chair.IFF", "chair");
    fScratch.WriteFile("Objects/Readme", "mixed");
    fScratch.WriteFile("Objects/README", "upper");
    fScratch.MakeFolder("Objects/Sub");
    fScratch.WriteFile("Other/Lamp.iff", "lamp");
    fScratch.WriteFile("Third/Table.iff", "table");
    AgeFolder(Objects());
    AgeFolder(fScratch.Path("Other"));
    AgeFolder(fScratch.Path("Third"));
  }

  std::string Objects() const { return fScratch.Path("Objects"); }

  ScratchFolder fScratch;
  FolderNameCache fQuiet{FolderNameCache::kDefaultCapacity, HourAhead};
};

TEST_F(FolderNameCacheTest, MatchesWithoutRegardToAsciiCase) {
  EXPECT_EQ(fQuiet.Match(Objects(), "chair.iff"), "Chair.IFF");
  EXPECT_EQ(fQuiet.Match(Objects() + "/", "CHAIR.iff"), "Chair.IFF");
  EXPECT_EQ(fQuiet.Match(Objects(), "sub"), "Sub");
  EXPECT_EQ(fQuiet.Match(Objects(), "readme"), "README") << "the first in byte order";
  EXPECT_EQ(fQuiet.Match(Objects(), "ReadMe"), "README");
  EXPECT_EQ(fQuiet.Match(Objects(), "chair.if"), std::nullopt);
  EXPECT_EQ(fQuiet.Match(Objects(), "."), std::nullopt);
  EXPECT_EQ(fQuiet.Match(Objects(), ".."), std::nullopt);
}

TEST_F(FolderNameCacheTest, OnlyAsciiLettersFoldTogether) {
  fScratch.WriteFile("Objects/\xC3\x89t\xC3\xA9.iff", "accented");
  EXPECT_EQ(fQuiet.Match(Objects(), "\xC3\x89T\xC3\xA9.IFF"), "\xC3\x89t\xC3\xA9.iff");
  EXPECT_EQ(fQuiet.Match(Objects(), "\xC3\xA9t\xC3\xA9.iff"), std::nullopt);
}

TEST_F(FolderNameCacheTest, AQuietFolderIsListedOnce) {
  for (int round = 0; round < 50; ++round) {
    EXPECT_EQ(fQuiet.Match(Objects(), "chair.iff"), "Chair.IFF");
    EXPECT_EQ(fQuiet.Match(Objects(), "missing.iff"), std::nullopt);
  }
  EXPECT_EQ(fQuiet.ListingCount(), 1u);
  EXPECT_EQ(fQuiet.Match(fScratch.Path("Other"), "LAMP.IFF"), "Lamp.iff");
  EXPECT_EQ(fQuiet.ListingCount(), 2u);
  EXPECT_EQ(fQuiet.Match(fScratch.Path("Objects/Sub/.."), "chair.iff"), "Chair.IFF") << "same folder, other path";
  EXPECT_EQ(fQuiet.ListingCount(), 2u);
}

TEST_F(FolderNameCacheTest, ChangesAreSeen) {
  EXPECT_EQ(fQuiet.Match(Objects(), "new.iff"), std::nullopt);
  fScratch.WriteFile("Objects/New.IFF", "new");
  EXPECT_EQ(fQuiet.Match(Objects(), "new.iff"), "New.IFF");

  AgeFolder(Objects());
  std::filesystem::rename(Objects() + "/Chair.IFF", Objects() + "/Sofa.IFF");
  EXPECT_EQ(fQuiet.Match(Objects(), "chair.iff"), std::nullopt);
  EXPECT_EQ(fQuiet.Match(Objects(), "sofa.iff"), "Sofa.IFF");

  AgeFolder(Objects());
  std::filesystem::remove(Objects() + "/README");
  EXPECT_EQ(fQuiet.Match(Objects(), "readme"), "Readme");
}

// Right after a folder changes, its times may not move on the next change, so
// nothing an index says is trusted until the folder has been quiet a while.
TEST_F(FolderNameCacheTest, ChangesRightAfterAListingAreSeen) {
  FolderNameCache cache;
  fScratch.WriteFile("Objects/Fresh/b.iff", "b");
  const std::string fresh = fScratch.Path("Objects/Fresh");
  EXPECT_EQ(cache.Match(fresh, "new.iff"), std::nullopt);
  fScratch.WriteFile("Objects/Fresh/New.iff", "new");
  EXPECT_EQ(cache.Match(fresh, "NEW.IFF"), "New.iff");
  fScratch.WriteFile("Objects/Fresh/NEW.iff", "earlier in byte order");
  EXPECT_EQ(cache.Match(fresh, "new.iff"), "NEW.iff");
  std::filesystem::rename(fresh + "/NEW.iff", fresh + "/Other.iff");
  EXPECT_EQ(cache.Match(fresh, "new.iff"), "New.iff");
  EXPECT_EQ(cache.Match(fresh, "other.IFF"), "Other.iff");
}

TEST_F(FolderNameCacheTest, FoldersThatCannotBeListedMatchNothing) {
  EXPECT_EQ(fQuiet.Match(fScratch.Path("Missing"), "x"), std::nullopt);
  EXPECT_EQ(fQuiet.Match(Objects() + "/Chair.IFF", "x"), std::nullopt);

  EXPECT_EQ(fQuiet.Match(fScratch.Path("Third"), "table.iff"), "Table.iff");
  std::filesystem::remove_all(fScratch.Path("Third"));
  EXPECT_EQ(fQuiet.Match(fScratch.Path("Third"), "table.iff"), std::nullopt);
  fScratch.WriteFile("Third/TABLE.IFF", "another folder in its place");
  EXPECT_EQ(fQuiet.Match(fScratch.Path("Third"), "table.iff"), "TABLE.IFF");
}

TEST_F(FolderNameCacheTest, AFullCacheStartsOver) {
  FolderNameCache small(2, HourAhead);
  EXPECT_EQ(small.Match(Objects(), "chair.iff"), "Chair.IFF");
  EXPECT_EQ(small.Match(fScratch.Path("Other"), "lamp.iff"), "Lamp.iff");
  EXPECT_EQ(small.Match(Objects(), "chair.iff"), "Chair.IFF");
  EXPECT_EQ(small.ListingCount(), 2u);
  EXPECT_EQ(small.Match(fScratch.Path("Third"), "table.iff"), "Table.iff");
  EXPECT_EQ(small.Match(Objects(), "chair.iff"), "Chair.IFF");
  EXPECT_EQ(small.ListingCount(), 4u);
  small.Clear();
  EXPECT_EQ(small.Match(Objects(), "chair.iff"), "Chair.IFF");
  EXPECT_EQ(small.ListingCount(), 5u);
}

TEST_F(FolderNameCacheTest, ThreadsMayMatchAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        if (fQuiet.Match(Objects(), "chair.iff") != "Chair.IFF") ++wrong[t];
        if (fQuiet.Match(fScratch.Path("Other"), "lamp.IFF") != "Lamp.iff") ++wrong[t];
        if (fQuiet.Match(Objects(), "gone") != std::nullopt) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
  EXPECT_EQ(fQuiet.ListingCount(), 2u);
}

// Through the environment: opens by the catalogue's lowered paths.
TEST(FolderNameCacheThroughEnv, LoweredPathsOpenMixedCaseFiles) {
  ScratchFolder prefix;
  prefix.Link("dosdevices/c:", "../drive_c");
  prefix.WriteFile("drive_c/GameData/UserObjects/Obj_0001_Chair.IFF", "chair");
  platform::PosixHostEnv host(prefix.Path());
  platform::FileOpenOptions read{platform::kAccessRead, platform::kShareRead, platform::FileDisposition::kOpenExisting,
                                 true};

  EXPECT_NE(host.OpenFile("C:\\GameData\\UserObjects\\Obj_0001_Chair.IFF", read), nullptr);
  const uint64_t listed = host.mapper().FolderListingCount();
  for (int i = 0; i < 5; ++i) {
    EXPECT_NE(host.OpenFile("C:\\GameData\\UserObjects\\Obj_0001_Chair.IFF", read), nullptr);
  }
  EXPECT_EQ(host.mapper().FolderListingCount(), listed) << "a folder is listed once however often it is used";

  std::unique_ptr<platform::HostFile> file = host.OpenFile("c:\\gamedata\\userobjects\\obj_0001_chair.iff", read);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 5);
  EXPECT_EQ(host.OpenFile("c:\\gamedata\\userobjects\\obj_0002_sofa.iff", read), nullptr);
  prefix.WriteFile("drive_c/GameData/UserObjects/Obj_0002_Sofa.IFF", "sofa");
  EXPECT_NE(host.OpenFile("c:\\gamedata\\userobjects\\obj_0002_sofa.iff", read), nullptr);
}

}  // namespace
