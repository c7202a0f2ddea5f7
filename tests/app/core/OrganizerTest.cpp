#include "app/core/Organizer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "msrc/File/resfile.h"
#include "msrc/Objects/ObjDefinition.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/msrc/File/IFF2Reader.h"

namespace {

const std::string kFolder = GamePrefix::kListedObjectFolder;

class OrganizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game.MakeGameFolder("GameData/UserObjects");
    DefinitionFields chair;
    chair.room = 1;
    chair.function = 1;
    chair.subsort = 2;
    chair.downtown = 0x0131;  // Dining and bits without a box
    DefinitionFields hidden;
    hidden.room = 0;
    hidden.function = 0;
    ASSERT_TRUE(WriteObjectFile(kFolder + "a_chairs.iff", {{kObjdType, 128, "Chair", MakeDefinition(chair)},
                                                           {kObjdType, 129, "Hidden", MakeDefinition(hidden)}}));
    ASSERT_TRUE(WriteObjectFile(kFolder + "b_empty.iff", {}));
    organizer.Files().Fill(FixedStringBuffer<260>(GamePrefix::kObjectFolder));
    ASSERT_EQ(organizer.Files().Count(), 2u);
  }

  StoredSorts SortsInFile(int16_t id) const {
    std::ifstream in(game.ObjectPath("a_chairs.iff"), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    for (const IFF2Reader::Block& block : IFF2Reader(bytes.str()).Resources()) {
      if (block.type == "OBJD" && block.id == id) return ReadStoredSorts(block.payload);
    }
    return {-99, -99, -99, -99};
  }

  // No call leaves a resource file open.
  static void ExpectNothingOpen() { EXPECT_EQ(iResFile::FirstLiveFile(), nullptr); }

  GamePrefix game;
  Organizer organizer;
};

TEST_F(OrganizerTest, NothingIsSelectedAtFirst) {
  EXPECT_EQ(organizer.SelectedFile(), -1);
  EXPECT_EQ(organizer.SelectedObject(), -1);
  organizer.FillObjectList();
  EXPECT_EQ(organizer.ObjectCount(), 0u);
  EXPECT_EQ(organizer.SelectedObject(), -1);
  EXPECT_EQ(organizer.LoadObjectSorts(), LoadResult::kNothingSelected);
  EXPECT_EQ(organizer.Save().fStatus, SaveResult::Status::kNothingSelected);
  EXPECT_EQ(organizer.CurrentSorts(), SortValues{});
}

TEST_F(OrganizerTest, FillingListsTheSelectedFileAndSelectsTheFirstLine) {
  organizer.SelectFile(0);
  organizer.FillObjectList();
  ExpectNothingOpen();
  ASSERT_EQ(organizer.ObjectCount(), 2u);
  EXPECT_STREQ(organizer.ObjectLine(0).Text(), "Chair");
  EXPECT_EQ(organizer.ObjectId(1), 129);
  EXPECT_EQ(organizer.SelectedObject(), 0);
  EXPECT_STREQ(organizer.ObjectLine(2).Text(), "");
  EXPECT_EQ(organizer.ObjectId(2), 0);

  organizer.SelectFile(1);
  organizer.FillObjectList();
  EXPECT_EQ(organizer.ObjectCount(), 0u);
  EXPECT_EQ(organizer.SelectedObject(), -1);

  // A line beyond the list is no selection.
  organizer.SelectFile(2);
  organizer.FillObjectList();
  EXPECT_EQ(organizer.ObjectCount(), 0u);
}

TEST_F(OrganizerTest, LoadingTellsACatalogueLessObjectApart) {
  organizer.SelectFile(0);
  organizer.FillObjectList();
  EXPECT_EQ(organizer.LoadObjectSorts(), LoadResult::kLoaded);
  EXPECT_EQ(organizer.CurrentSorts(), (SortValues{0x0131, 1, 2, 1}));
  organizer.SelectObject(1);
  EXPECT_EQ(organizer.LoadObjectSorts(), LoadResult::kNotInCatalogue);
  EXPECT_FALSE(organizer.CurrentSorts().InBuyCatalogue());
  organizer.SelectObject(5);
  EXPECT_EQ(organizer.LoadObjectSorts(), LoadResult::kNothingSelected);
  ExpectNothingOpen();
}

TEST_F(OrganizerTest, SavingKeepsUntouchedValuesBitForBit) {
  organizer.SelectFile(0);
  organizer.FillObjectList();
  organizer.LoadObjectSorts();
  organizer.SetFunctionSort(2);
  const SaveResult result = organizer.Save();
  ExpectNothingOpen();
  EXPECT_EQ(result.fStatus, SaveResult::Status::kSaved);
  const StoredSorts stored = SortsInFile(128);
  EXPECT_EQ(stored.function, 2);
  EXPECT_EQ(stored.subsort, 2);
  EXPECT_EQ(stored.room, 1);
  EXPECT_EQ(stored.downtown, 0x0131);
}

TEST_F(OrganizerTest, EachSetterChangesItsOwnValue) {
  organizer.SetDowntownSort(8);
  organizer.SetRoomSort(4);
  organizer.SetSubsort(16);
  organizer.SetFunctionSort(64);
  EXPECT_EQ(organizer.CurrentSorts(), (SortValues{8, 4, 16, 64}));
  organizer.SelectFile(0);
  organizer.FillObjectList();
  organizer.SelectObject(1);
  EXPECT_EQ(organizer.Save().fStatus, SaveResult::Status::kSaved);
  const StoredSorts stored = SortsInFile(129);
  EXPECT_EQ(stored.downtown, 8);
  EXPECT_EQ(stored.room, 4);
  EXPECT_EQ(stored.subsort, 16);
  EXPECT_EQ(stored.function, 64);
}

TEST_F(OrganizerTest, RefillingReadsTheFileAsItNowIs) {
  organizer.SelectFile(0);
  organizer.FillObjectList();
  ASSERT_TRUE(WriteObjectFile(kFolder + "a_chairs.iff", {{kObjdType, 300, "Replaced", MakeDefinition({})}}));
  EXPECT_EQ(organizer.ObjectCount(), 2u);
  organizer.FillObjectList();
  ASSERT_EQ(organizer.ObjectCount(), 1u);
  EXPECT_STREQ(organizer.ObjectLine(0).Text(), "Replaced");
}

}  // namespace
