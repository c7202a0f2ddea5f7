#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs/CSortChangerDlg.h"
#include "app/dialogs/ResourceIds.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/Objects/ObjDefinition.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/app/dialogs/FakeDialogFace.h"
#include "tests/app/dialogs/RecordingSounds.h"
#include "tests/msrc/File/IFF2Reader.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kFolder = GamePrefix::kListedObjectFolder;
constexpr ResType kStrings = MakeResType("STR#");
constexpr int kSortControls[] = {kControlFunctionSort, kControlSubsort, kControlRoomSort, kControlDining,
                                 kControlOutdoor,      kControlShopping, kControlStreet,  kControlOther};

// The main dialog's behaviour over a fake window, on a scratch game
// installation: what each choice of the user shows and what Save writes.
class SortEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix.WriteRegistry();
    prefix.MakeGameFolder("GameData/UserObjects");
  }

  void WriteFile(const std::string& file, const std::vector<ResourceData>& resources) {
    ASSERT_TRUE(WriteObjectFile(kFolder + file, resources));
  }

  std::string Read(const std::string& file) const { return prefix.ReadObject(file); }

  // Opens the dialog: the behaviour's initialisation over a fake window.
  // Error boxes are answered with Escape; desktop.modals counts them.
  FakeDialogFace& Open() {
    face = std::make_unique<FakeDialogFace>(dialog, desktop);
    face->Init();
    return *face;
  }

  // The OBJD payloads and every other resource's payload, by type and id.
  std::map<std::pair<std::string, int16_t>, std::string> Resources(const std::string& file) const {
    std::map<std::pair<std::string, int16_t>, std::string> resources;
    for (const IFF2Reader::Block& block : IFF2Reader(Read(file)).Resources()) {
      if (block.type != "rsmp") resources[{block.type, block.id}] = block.payload;
    }
    return resources;
  }

  // The file holds `payload` for OBJD `id`, every other resource as before,
  // and a map that a fresh open reads.
  void ExpectSaved(const std::string& file, const std::map<std::pair<std::string, int16_t>, std::string>& before,
                   int16_t id, const std::string& payload) {
    auto expected = before;
    expected[{"OBJD", id}] = payload;
    EXPECT_EQ(Resources(file), expected);
    IFFResFile2 reopened;
    ASSERT_EQ(reopened.Open(FixedStringBuffer<260>((kFolder + file).c_str())), kResErrNone);
    EXPECT_TRUE(reopened.OpenedFromMap());
    reopened.Close();
  }

  void ExpectSortControls(const FakeDialogFace& window, bool enabled) {
    for (int id : kSortControls) EXPECT_EQ(window.Enabled(id), enabled) << id;
  }

  RecordingSounds sounds;
  GamePrefix prefix;
  FakeDesktop desktop;
  CSortChangerDlg dialog;
  std::unique_ptr<FakeDialogFace> face;
};

TEST_F(SortEditingTest, TheFirstObjectIsShownWithoutAnyClickAndSaveDisabled) {
  WriteFile("chair.iff", {{kObjdType, 128, "Dining Table", MakeDefinition(SortFields(1, 2, 4, 0x0005))},
                          {kObjdType, 129, "Lamp", MakeDefinition(SortFields(2, 128, 1, 0))}});
  FakeDialogFace& window = Open();
  EXPECT_EQ(window.Lines(kControlObjects), Strings({"Dining Table", "Lamp"}));
  EXPECT_EQ(window.Selection(kControlObjects), 0);
  EXPECT_EQ(window.Text(kControlFunctionSort), "Surfaces");
  EXPECT_EQ(window.Items(kControlSubsort), Strings({"None", "Counters", "Tables", "End Tables", "Desks", "Other"}));
  EXPECT_EQ(window.Text(kControlSubsort), "End Tables");
  EXPECT_EQ(window.Text(kControlRoomSort), "Kitchen");
  EXPECT_TRUE(window.Checked(kControlDining));
  EXPECT_TRUE(window.Checked(kControlOutdoor));
  EXPECT_FALSE(window.Checked(kControlShopping));
  ExpectSortControls(window, true);
  EXPECT_FALSE(window.Enabled(kControlSave));
  // The program's own selections play nothing.
  EXPECT_TRUE(sounds.calls.empty());

  window.SelectLine(kControlObjects, 1);
  EXPECT_EQ(window.Text(kControlFunctionSort), "Lighting");
  EXPECT_EQ(window.Text(kControlSubsort), "Table Lamps");
  EXPECT_EQ(window.Text(kControlRoomSort), "Bedroom");
  EXPECT_FALSE(window.Checked(kControlDining));
  EXPECT_TRUE(sounds.calls.empty());
}

TEST_F(SortEditingTest, TextTypedIntoASortBoxChangesNothingAndGivesWayWhenLeft) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(SortFields(1, 2, 4, 0))}});
  const std::string before = Read("table.iff");
  FakeDialogFace& window = Open();
  // An item's exact text, and text that names no item.
  const std::pair<int, const char*> typed[] = {{kControlFunctionSort, "Lighting"},
                                               {kControlSubsort, "Desks"},
                                               {kControlRoomSort, "Nowhere"}};
  for (const auto& [id, text] : typed) {
    window.Type(id, text);
    window.Leave(id);
  }
  EXPECT_EQ(window.Text(kControlFunctionSort), "Surfaces");
  EXPECT_EQ(window.Text(kControlSubsort), "End Tables");
  EXPECT_EQ(window.Text(kControlRoomSort), "Kitchen");
  EXPECT_EQ(dialog.Core().CurrentSorts(), (SortValues{0, 1, 4, 2}));
  EXPECT_FALSE(window.Enabled(kControlSave));
  EXPECT_TRUE(sounds.calls.empty());
  window.Click(kControlSave);
  EXPECT_EQ(Read("table.iff"), before);
}

TEST_F(SortEditingTest, NoFunctionSortDisablesTheSubsortButKeepsItsValue) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(SortFields(1, 2, 4, 0))}});
  const auto before = Resources("table.iff");
  FakeDialogFace& window = Open();
  window.Choose(kControlFunctionSort, "None");
  EXPECT_FALSE(window.Enabled(kControlSubsort));
  EXPECT_EQ(window.Items(kControlSubsort), Strings({"None", "Other"}));
  // Subsort 4 names no item of the two-item list.
  EXPECT_EQ(window.Selection(kControlSubsort), -1);
  EXPECT_EQ(window.Text(kControlSubsort), "");
  EXPECT_TRUE(window.Enabled(kControlRoomSort));
  window.Click(kControlSave);
  ExpectSaved("table.iff", before, 128, MakeDefinition(SortFields(1, 0, 4, 0)));
}

TEST_F(SortEditingTest, RoomAndSubsortChoicesStoreSingleBits) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(SortFields(33, 8, 2, 0))}});
  const auto before = Resources("table.iff");
  FakeDialogFace& window = Open();
  // Two room bits show as "None".
  EXPECT_EQ(window.Text(kControlRoomSort), "None");
  EXPECT_EQ(window.Text(kControlSubsort), "TV / Computer");
  window.Choose(kControlRoomSort, "Bathroom");
  window.Choose(kControlSubsort, "Other");
  EXPECT_EQ(window.Text(kControlSubsort), "Other");
  EXPECT_EQ(sounds.calls, Strings({"play Click", "play Click"}));
  window.Click(kControlSave);
  ExpectSaved("table.iff", before, 128, MakeDefinition(SortFields(4, 8, 16, 0)));
}

TEST_F(SortEditingTest, AFunctionSortOfSeveralBitsShowsNoneButKeepsItsValue) {
  WriteFile("multi.iff", {{kObjdType, 128, "Multi", MakeDefinition(SortFields(1, 3, 0, 0))}});
  const auto before = Resources("multi.iff");
  FakeDialogFace& window = Open();
  EXPECT_EQ(window.Text(kControlFunctionSort), "None");
  EXPECT_EQ(window.Items(kControlSubsort), Strings({"None", "Other"}));
  EXPECT_TRUE(window.Enabled(kControlSubsort));
  window.Choose(kControlSubsort, "Other");
  window.Click(kControlSave);
  ExpectSaved("multi.iff", before, 128, MakeDefinition(SortFields(1, 3, 1, 0)));
}

TEST_F(SortEditingTest, EveryDowntownBoxSetsItsOwnBit) {
  WriteFile("shop.iff", {{kObjdType, 128, "Shop", MakeDefinition(SortFields(1, 1, 1, 0))}});
  FakeDialogFace& window = Open();
  const std::pair<int, int> boxes[] = {{kControlDining, 1}, {kControlShopping, 2}, {kControlOutdoor, 4},
                                       {kControlStreet, 8}, {kControlOther, 128}};
  int32_t value = 0;
  for (const auto& [id, bit] : boxes) {
    window.Click(id);
    value |= bit;
    EXPECT_EQ(dialog.Core().CurrentSorts().fDowntown, value) << id;
  }
  window.Click(kControlDining);
  EXPECT_EQ(dialog.Core().CurrentSorts().fDowntown, value & ~1);
  EXPECT_TRUE(window.Enabled(kControlSave));
}

TEST_F(SortEditingTest, TheErrorBoxComesOncePerSelectionOfAHiddenObject) {
  WriteFile("mixed.iff", {{kObjdType, 128, "Shown", MakeDefinition(SortFields(1, 1, 1, 0))},
                          {kObjdType, 129, "Hidden", MakeDefinition(SortFields(0, 0, 2, 1))}});
  FakeDialogFace& window = Open();
  EXPECT_TRUE(desktop.modals.empty());
  window.SelectLine(kControlObjects, 1);
  EXPECT_EQ(desktop.modals, std::vector<int>({kDialogError}));
  ExpectSortControls(window, false);
  EXPECT_FALSE(window.Enabled(kControlSave));
  // Disabled controls show the reset state.
  EXPECT_EQ(window.Text(kControlFunctionSort), "None");
  EXPECT_FALSE(window.Checked(kControlDining));

  window.SelectLine(kControlObjects, 0);
  EXPECT_EQ(desktop.modals.size(), 1u);
  ExpectSortControls(window, true);
  window.SelectLine(kControlObjects, 1);
  EXPECT_EQ(desktop.modals, std::vector<int>({kDialogError, kDialogError}));
  EXPECT_FALSE(window.Enabled(kControlSave));
  EXPECT_TRUE(sounds.calls.empty());
}

TEST_F(SortEditingTest, AHiddenFirstObjectShowsTheErrorBoxAtStartUp) {
  WriteFile("hidden.iff", {{kObjdType, 128, "Hidden", MakeDefinition(SortFields(0, 0, 0, 0))}});
  FakeDialogFace& window = Open();
  EXPECT_EQ(desktop.modals, std::vector<int>({kDialogError}));
  ExpectSortControls(window, false);
}

TEST_F(SortEditingTest, ChoosingNoneTwiceDisablesTheSortsButSaveStoresTheZeros) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(SortFields(1, 2, 4, 0))}});
  const auto before = Resources("table.iff");
  FakeDialogFace& window = Open();
  window.Choose(kControlFunctionSort, "None");
  window.Choose(kControlRoomSort, "None");
  ExpectSortControls(window, false);
  EXPECT_TRUE(window.Enabled(kControlSave));
  window.Click(kControlSave);
  EXPECT_FALSE(window.Enabled(kControlSave));
  ExpectSaved("table.iff", before, 128, MakeDefinition(SortFields(0, 0, 4, 0)));
}

TEST_F(SortEditingTest, ChoosingAnotherFileListsItsObjectsAndDropsUnsavedChanges) {
  WriteFile("a.iff", {{kObjdType, 128, "First", MakeDefinition(SortFields(1, 1, 1, 0))}});
  WriteFile("b.iff", {{kObjdType, 300, "Second A", MakeDefinition(SortFields(2, 4, 2, 0))},
                      {kObjdType, 301, "Second B", MakeDefinition(SortFields(2, 4, 2, 0))}});
  const auto before = Resources("a.iff");
  FakeDialogFace& window = Open();
  window.Choose(kControlRoomSort, "Study");
  window.SelectLine(kControlFiles, 1);
  EXPECT_EQ(window.Lines(kControlObjects), Strings({"Second A", "Second B"}));
  EXPECT_EQ(window.Text(kControlFunctionSort), "Appliances");
  EXPECT_FALSE(window.Enabled(kControlSave));
  window.SelectLine(kControlFiles, 0);
  EXPECT_EQ(window.Text(kControlRoomSort), "Kitchen");
  EXPECT_EQ(Resources("a.iff"), before);
}

TEST_F(SortEditingTest, WithoutAnObjectAChangeEnablesSaveAndSaveDoesNothing) {
  WriteFile("empty.iff", {{kStrings, 128, "Text", "abc"}});
  const std::string before = Read("empty.iff");
  FakeDialogFace& window = Open();
  EXPECT_TRUE(window.Lines(kControlObjects).empty());
  window.Choose(kControlFunctionSort, "Plumbing");
  window.Click(kControlOther);
  EXPECT_TRUE(window.Enabled(kControlSave));
  window.Click(kControlSave);
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_TRUE(window.Enabled(kControlSave));
  EXPECT_EQ(sounds.calls.size(), 3u);
  EXPECT_EQ(Read("empty.iff"), before);
}

TEST_F(SortEditingTest, AFailedSaveSaysWhyAndLeavesSaveEnabled) {
  WriteFile("locked.iff", {{kStrings, 128, "Text", "abc"},
                           {kObjdType, 128, "Locked", MakeDefinition(SortFields(1, 2, 4, 0))}});
  FakeDialogFace& window = Open();
  prefix.MakeReadOnly("GameData/UserObjects/locked.iff");
  const std::string before = Read("locked.iff");
  window.Choose(kControlFunctionSort, "Seating");
  window.Click(kControlSave);
  EXPECT_EQ(desktop.messages,
            std::vector<FakeDesktop::Message>(
                {{"The sorts could not be saved: the file is read-only.", "error"}}));
  EXPECT_TRUE(window.Enabled(kControlSave));
  EXPECT_EQ(sounds.calls, Strings({"play Click", "play Click"}));
  EXPECT_EQ(Read("locked.iff"), before);
}

}  // namespace
