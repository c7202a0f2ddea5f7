#include "platform/WinePathMapper.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/platform/ScratchFolder.h"

using platform::WinePathMapper;

namespace {

// A folder laid out like a Wine prefix: drives are links under dosdevices.
class WinePathMapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fPrefix.Link("dosdevices/c:", "../drive_c");
    fPrefix.Link("dosdevices/d:", "../data");
    fPrefix.Link("dosdevices/e:", "../nowhere");
    fPrefix.WriteFile("drive_c/GameData/UserObjects/CHAIR.IFF", "chair");
    fPrefix.WriteFile("drive_c/Games/The Velt/GameData/UserObjects/CHAIR.IFF", "chair");
    fPrefix.MakeFolder("drive_c/Games/The Velt/Downloads");
    fPrefix.WriteFile("drive_c/Case/README", "upper");
    fPrefix.WriteFile("drive_c/Case/Readme", "mixed");
    fPrefix.WriteFile("data/Stuff/x.txt", "x");
    fPrefix.WriteFile("notes.txt", "not a folder");
  }

  std::string C(std::string_view rest) const { return fPrefix.Path("dosdevices/c:") + std::string(rest); }

  ScratchFolder fPrefix;
  WinePathMapper fMapper{fPrefix.Path()};
};

TEST_F(WinePathMapperTest, DriveLettersGoThroughDosdevices) {
  EXPECT_EQ(fMapper.Map("C:\\Games\\The Velt"), C("/Games/The Velt"));
  EXPECT_EQ(fMapper.Map("c:\\Games\\The Velt"), C("/Games/The Velt"));
  EXPECT_EQ(fMapper.Map("D:\\Stuff\\x.txt"), fPrefix.Path("dosdevices/d:") + "/Stuff/x.txt");
  EXPECT_TRUE(std::filesystem::exists(fMapper.Map("d:/stuff/X.TXT")));
}

TEST_F(WinePathMapperTest, DriveRootsAndDriveRelativePaths) {
  EXPECT_EQ(fMapper.Map("C:"), C("/"));
  EXPECT_EQ(fMapper.Map("C:\\"), C("/"));
  EXPECT_EQ(fMapper.Map("C:Games"), C("/Games"));
  EXPECT_EQ(fMapper.Map("\\Games"), C("/Games"));
  EXPECT_EQ(fMapper.Map("/games/"), C("/Games/"));
}

TEST_F(WinePathMapperTest, BothSeparatorsAndEmptyComponents) {
  EXPECT_EQ(fMapper.Map("C:/Games/The Velt"), C("/Games/The Velt"));
  EXPECT_EQ(fMapper.Map("C:\\\\Games//\\The Velt"), C("/Games/The Velt"));
}

TEST_F(WinePathMapperTest, DotsResolveLexicallyAndStopAtTheRoot) {
  EXPECT_EQ(fMapper.Map("C:\\Games\\Nope\\..\\.\\The Velt"), C("/Games/The Velt"));
  EXPECT_EQ(fMapper.Map("C:\\..\\..\\Games"), C("/Games"));
  EXPECT_EQ(fMapper.Map("C:\\Games\\.."), C("/"));
  // "..\..\Downloads" after the object folder, as the folder scan builds it.
  EXPECT_EQ(fMapper.Map("C:\\Games\\The Velt\\GameData\\UserObjects\\..\\..\\Downloads\\"),
            C("/Games/The Velt/Downloads/"));
}

TEST_F(WinePathMapperTest, ComponentsMatchWithoutRegardToCase) {
  EXPECT_EQ(fMapper.Map("c:\\gamedata\\userobjects\\chair.iff"), C("/GameData/UserObjects/CHAIR.IFF"));
  std::string chair = fMapper.Map("c:\\games\\the velt\\gamedata\\userobjects\\chair.iff");
  EXPECT_EQ(chair, C("/Games/The Velt/GameData/UserObjects/CHAIR.IFF"));
  EXPECT_TRUE(std::filesystem::is_regular_file(chair));
}

TEST_F(WinePathMapperTest, GameFolderWithTrailingBackslash) {
  std::string objectFolder = std::string("C:\\Games\\The Velt\\") + "\\GameData\\UserObjects\\";
  EXPECT_EQ(fMapper.Map(objectFolder), C("/Games/The Velt/GameData/UserObjects/"));
  EXPECT_EQ(fMapper.Map(objectFolder + "chair.iff"), C("/Games/The Velt/GameData/UserObjects/CHAIR.IFF"));
}

TEST_F(WinePathMapperTest, ExactSpellingWinsThenTheFirstInByteOrder) {
  EXPECT_EQ(fMapper.Map("C:\\Case\\Readme"), C("/Case/Readme"));
  EXPECT_EQ(fMapper.Map("C:\\Case\\README"), C("/Case/README"));
  EXPECT_EQ(fMapper.Map("C:\\case\\readme"), C("/Case/README"));
}

TEST_F(WinePathMapperTest, MissingComponentsStayAsWritten) {
  EXPECT_EQ(fMapper.Map("c:\\games\\the velt\\NewFile.IFF"), C("/Games/The Velt/NewFile.IFF"));
  EXPECT_EQ(fMapper.Map("c:\\games\\NEW\\the velt"), C("/Games/NEW/the velt"));
}

TEST_F(WinePathMapperTest, UnreachablePathsMapToNothing) {
  EXPECT_EQ(fMapper.Map(""), "");
  EXPECT_EQ(fMapper.Map("Q:\\x"), "");
  EXPECT_EQ(fMapper.Map("e:\\x"), "");  // its link leads nowhere
  EXPECT_EQ(fMapper.Map("\\\\server\\share\\x"), "");
  EXPECT_EQ(fMapper.Map("//server/share"), "");
  EXPECT_EQ(fMapper.Map("\\/server"), "");
  EXPECT_EQ(fMapper.Map("\\\\?\\C:\\x"), "");
  EXPECT_EQ(fMapper.Map("\\\\.\\C:"), "");
  EXPECT_EQ(fMapper.Map(std::string_view("C:\\Games\0\\x", 11)), "");
}

TEST_F(WinePathMapperTest, PrefixWithoutDrives) {
  WinePathMapper noPrefix("");
  EXPECT_EQ(noPrefix.Map("C:\\x"), "");
  EXPECT_EQ(noPrefix.Map("\\x"), "");
  WinePathMapper notAFolder(fPrefix.Path("notes.txt"));
  EXPECT_EQ(notAFolder.Map("C:\\x"), "");
}

// False only where an open of the folder and the name would find nothing:
// names in any case, folders among them, through a folder spelled in another
// case than on disk, and through one written as it is.
TEST_F(WinePathMapperTest, MayHoldAnswersFalseOnlyForNamesThatAreNotThere) {
  fPrefix.WriteFile("drive_c/Games/The Velt/GameData/UserObjects/chair.SPF", "sprites");
  fPrefix.MakeFolder("drive_c/Games/The Velt/GameData/UserObjects/Chair.dir");
  const std::vector<std::string> names = {"chair.iff", "chair.spf", "chair.stx", "chair.dir", "CHAIR.IFF"};
  const std::vector<bool> expected = {true, true, false, true, true};
  for (const char* folder : {"C:\\Games\\The Velt\\GameData\\UserObjects\\", "c:/games/THE VELT/gamedata/userobjects",
                             "C:\\Games\\The Velt\\GameData\\Nope\\..\\UserObjects"}) {
    EXPECT_EQ(fMapper.MayHold(folder, names), expected) << folder;
    for (size_t i = 0; i < names.size(); ++i) {
      const bool found = std::filesystem::exists(fMapper.Map(std::string(folder) + "\\" + names[i]));
      EXPECT_EQ(found, expected[i]) << folder << " " << names[i];
    }
  }
  // A missing folder holds nothing; an unreachable one and names that are
  // not single names cannot be told.
  EXPECT_EQ(fMapper.MayHold("C:\\Games\\Gone\\", {"chair.iff"}), std::vector<bool>{false});
  EXPECT_EQ(fMapper.MayHold("Q:\\x\\", {"chair.iff"}), std::vector<bool>{true});
  EXPECT_EQ(fMapper.MayHold("C:\\Games\\", {"", ".", "..", "a\\b", "a/b"}), std::vector<bool>(5, true));
}

class WinePathMapperRelativeTest : public WinePathMapperTest {
 protected:
  void SetUp() override {
    WinePathMapperTest::SetUp();
    fSaved = std::filesystem::current_path();
    std::filesystem::current_path(fPrefix.path() / "drive_c" / "Games");
  }
  void TearDown() override { std::filesystem::current_path(fSaved); }

  std::filesystem::path fSaved;
};

TEST_F(WinePathMapperRelativeTest, RelativePathsStayRelativeToTheCurrentFolder) {
  EXPECT_EQ(fMapper.Map("the velt\\gamedata"), "The Velt/GameData");
  EXPECT_EQ(fMapper.Map(".\\The Velt\\"), "The Velt/");
  EXPECT_EQ(fMapper.Map("."), ".");
  EXPECT_EQ(fMapper.Map("x\\.."), ".");
  EXPECT_EQ(fMapper.Map("..\\case\\readme"), "../Case/README");
  EXPECT_EQ(fMapper.Map("a\\..\\..\\..\\b"), "../../b");
  EXPECT_EQ(fMapper.Map("1:\\x"), "1:/x");
}

}  // namespace
