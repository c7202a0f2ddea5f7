#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/PosixHostEnv.h"
#include "tests/platform/ScratchFolder.h"

using platform::FolderEntry;
using platform::FolderListing;
using platform::PosixHostEnv;

namespace {

class PosixFolderListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fPrefix.Link("dosdevices/c:", "../drive_c");
    fPrefix.WriteFile("drive_c/Objects/Chair.IFF", "chair");
    fPrefix.WriteFile("drive_c/Objects/lamp.iff", "lamp");
    fPrefix.MakeFolder("drive_c/Objects/Sub");
    fPrefix.MakeFolder("drive_c/Other");
    fPrefix.Link("drive_c/Objects/ToOther", "../Other");
    fPrefix.Link("drive_c/Objects/ToLamp.iff", "lamp.iff");
    fPrefix.Link("drive_c/Objects/Dangling.iff", "nowhere.iff");
  }

  // Listed names with their folder flags.
  std::map<std::string, bool> List(std::string_view folder) {
    std::map<std::string, bool> names;
    std::unique_ptr<FolderListing> listing = fHost.ListFolder(folder);
    if (listing == nullptr) return names;
    FolderEntry entry;
    while (listing->Next(&entry)) {
      EXPECT_TRUE(names.emplace(entry.name, entry.isFolder).second) << entry.name;
      fEntries[entry.name] = entry;
    }
    return names;
  }

  ScratchFolder fPrefix;
  PosixHostEnv fHost{fPrefix.Path()};
  std::map<std::string, FolderEntry> fEntries;
};

TEST_F(PosixFolderListingTest, NamesAsOnDiskWithFolderFlags) {
  std::map<std::string, bool> expected = {
      {"Chair.IFF", false}, {"Sub", true}, {"ToLamp.iff", false}, {"ToOther", true}, {"lamp.iff", false},
  };
  EXPECT_EQ(List("c:\\objects"), expected) << "no '.', '..' or dangling link";
  EXPECT_EQ(List("C:\\Objects\\"), expected);
  EXPECT_EQ(List("C:/OBJECTS/"), expected);
  EXPECT_EQ(List("C:\\Objects\\Sub"), (std::map<std::string, bool>{}));
}

TEST_F(PosixFolderListingTest, HostPathsLeadToTheEntries) {
  List("c:\\objects");
  EXPECT_EQ(fEntries["Chair.IFF"].hostPath, fPrefix.Path("dosdevices/c:") + "/Objects/Chair.IFF");
  EXPECT_TRUE(std::filesystem::is_directory(fEntries["Sub"].hostPath));
}

TEST_F(PosixFolderListingTest, FoldersThatCannotBeListed) {
  EXPECT_EQ(fHost.ListFolder("C:\\Missing"), nullptr);
  EXPECT_EQ(fHost.ListFolder("C:\\Objects\\Chair.IFF"), nullptr);
  EXPECT_EQ(fHost.ListFolder("C:\\Objects\\Dangling.iff"), nullptr);
  EXPECT_EQ(fHost.ListFolder("Q:\\"), nullptr);
  EXPECT_EQ(fHost.ListFolder(""), nullptr);
}

TEST_F(PosixFolderListingTest, IdentityNamesTheFolderNotThePath) {
  std::unique_ptr<FolderListing> direct = fHost.ListFolder("C:\\Other");
  std::unique_ptr<FolderListing> viaLink = fHost.ListFolder("C:\\Objects\\ToOther\\");
  std::unique_ptr<FolderListing> objects = fHost.ListFolder("C:\\Objects");
  std::unique_ptr<FolderListing> again = fHost.ListFolder("c:\\objects\\sub\\..");
  ASSERT_TRUE(direct && viaLink && objects && again);
  EXPECT_EQ(direct->Identity(), viaLink->Identity());
  EXPECT_EQ(objects->Identity(), again->Identity());
  EXPECT_NE(direct->Identity(), objects->Identity());
}

TEST_F(PosixFolderListingTest, ReadOnlyIsAskedPerEntry) {
  std::filesystem::permissions(fPrefix.Path("drive_c/Objects/Chair.IFF"), std::filesystem::perms(0444));
  std::filesystem::permissions(fPrefix.Path("drive_c/Objects/Sub"), std::filesystem::perms(0555));
  List("C:\\Objects");
  EXPECT_TRUE(fHost.IsReadOnly(fEntries["Chair.IFF"]));
  EXPECT_TRUE(fHost.IsReadOnly(fEntries["Sub"]));
  EXPECT_FALSE(fHost.IsReadOnly(fEntries["lamp.iff"]));
  EXPECT_FALSE(fHost.IsReadOnly(fEntries["ToOther"]));

  std::filesystem::permissions(fPrefix.Path("drive_c/Objects/lamp.iff"), std::filesystem::perms(0400));
  EXPECT_TRUE(fHost.IsReadOnly(fEntries["ToLamp.iff"])) << "a link reports its target";
  std::filesystem::permissions(fPrefix.Path("drive_c/Objects/lamp.iff"), std::filesystem::perms(0420));
  EXPECT_FALSE(fHost.IsReadOnly(fEntries["lamp.iff"])) << "any write bit counts";

  std::filesystem::remove(fPrefix.Path("drive_c/Objects/Chair.IFF"));
  EXPECT_FALSE(fHost.IsReadOnly(fEntries["Chair.IFF"])) << "gone since it was listed";
  std::filesystem::permissions(fPrefix.Path("drive_c/Objects/Sub"), std::filesystem::perms(0755));
}

TEST_F(PosixFolderListingTest, RemoveFileDeletesFilesOnly) {
  EXPECT_TRUE(fHost.RemoveFile("c:\\objects\\chair.iff"));
  EXPECT_FALSE(std::filesystem::exists(fPrefix.Path("drive_c/Objects/Chair.IFF")));
  EXPECT_FALSE(fHost.RemoveFile("c:\\objects\\chair.iff"));
  EXPECT_FALSE(fHost.RemoveFile("C:\\Objects\\Sub"));
  EXPECT_FALSE(fHost.RemoveFile("C:\\Objects\\ToOther"));
  EXPECT_TRUE(std::filesystem::exists(fPrefix.Path("drive_c/Objects/ToOther")));
  EXPECT_FALSE(fHost.RemoveFile("Q:\\x"));

  EXPECT_TRUE(fHost.RemoveFile("C:\\Objects\\ToLamp.iff"));
  EXPECT_TRUE(std::filesystem::exists(fPrefix.Path("drive_c/Objects/lamp.iff"))) << "only the link goes";
  EXPECT_TRUE(fHost.RemoveFile("C:\\Objects\\Dangling.iff"));
}

TEST_F(PosixFolderListingTest, RemoveFileLeavesReadOnlyFiles) {
  std::filesystem::permissions(fPrefix.Path("drive_c/Objects/Chair.IFF"), std::filesystem::perms(0444));
  EXPECT_FALSE(fHost.RemoveFile("C:\\Objects\\Chair.IFF"));
  EXPECT_TRUE(std::filesystem::exists(fPrefix.Path("drive_c/Objects/Chair.IFF")));
}

}  // namespace
