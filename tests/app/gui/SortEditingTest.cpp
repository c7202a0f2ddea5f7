#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/gui/CBitmapButton.h"
#include "app/gui/CErrorBox.h"
#include "app/gui/CSortChangerDlg.h"
#include "app/gui/ResourceIds.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/Objects/ObjDefinition.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/app/gui/GuiTestSupport.h"
#include "tests/msrc/File/IFF2Reader.h"

using guitest::ModalCloser;
using guitest::QuitGuard;
using guitest::RecordingSounds;

namespace {

const std::string kFolder = GamePrefix::kListedObjectFolder;
constexpr ResType kStrings = MakeResType("STR#");
constexpr int kSortControls[] = {kControlFunctionSort, kControlSubsort, kControlRoomSort, kControlDining,
                                 kControlOutdoor,      kControlShopping, kControlStreet,  kControlOther};

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// What a user's pick from the drop-down list does: the box changes its
// selection, then reports the choice.
void Choose(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

void ClickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

void ClickSave(CSortChangerDlg& dialog) { QTest::mouseClick(dialog.Item(kControlSave), Qt::LeftButton); }

DefinitionFields Sorts(int16_t room, int16_t function, int16_t subsort, int16_t downtown) {
  DefinitionFields fields;
  fields.room = room;
  fields.function = function;
  fields.subsort = subsort;
  fields.downtown = downtown;
  return fields;
}

class SortEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix.WriteRegistry();
    prefix.MakeGameFolder("GameData/UserObjects");
  }

  void WriteFile(const std::string& file, const std::vector<ResourceData>& resources) {
    ASSERT_TRUE(WriteObjectFile(kFolder + file, resources));
  }

  std::string Read(const std::string& file) const {
    std::ifstream in(prefix.ObjectPath(file), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  // Runs the main dialog; `body` works in it once it is up. Error boxes that
  // come up while the dialog initialises are counted and closed.
  void RunDialog(const std::function<void(CSortChangerDlg&)>& body) {
    CSortChangerDlg dialog;
    bool ran = false;
    ModalCloser closer([&](QWidget* modal) {
      if (modal != &dialog) {
        ++startupBoxes;
        QTest::keyClick(modal, Qt::Key_Escape);
        return;
      }
      body(dialog);
      ran = true;
      dialog.reject();
    });
    dialog.DoModal();
    EXPECT_TRUE(ran);
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

  QuitGuard quit;
  RecordingSounds sounds;
  GamePrefix prefix;
  int startupBoxes = 0;
};

TEST_F(SortEditingTest, TheFirstObjectIsShownWithoutAnyClickAndSaveDisabled) {
  WriteFile("chair.iff", {{kObjdType, 128, "Dining Table", MakeDefinition(Sorts(1, 2, 4, 0x0005))},
                          {kObjdType, 129, "Lamp", MakeDefinition(Sorts(2, 128, 1, 0))}});
  RunDialog([this](CSortChangerDlg& dialog) {
    EXPECT_EQ(Lines(dialog.ListBox(kControlObjects)), QStringList({"Dining Table", "Lamp"}));
    EXPECT_EQ(dialog.ListBox(kControlObjects)->currentRow(), 0);
    EXPECT_EQ(dialog.ComboBox(kControlFunctionSort)->currentText(), "Surfaces");
    EXPECT_EQ(Items(dialog.ComboBox(kControlSubsort)),
              QStringList({"None", "Counters", "Tables", "End Tables", "Desks", "Other"}));
    EXPECT_EQ(dialog.ComboBox(kControlSubsort)->currentText(), "End Tables");
    EXPECT_EQ(dialog.ComboBox(kControlRoomSort)->currentText(), "Kitchen");
    EXPECT_TRUE(dialog.CheckBox(kControlDining)->isChecked());
    EXPECT_TRUE(dialog.CheckBox(kControlOutdoor)->isChecked());
    EXPECT_FALSE(dialog.CheckBox(kControlShopping)->isChecked());
    for (int id : kSortControls) EXPECT_TRUE(dialog.Item(id)->isEnabled()) << id;
    EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
    // The program's own selections play nothing.
    EXPECT_TRUE(sounds.calls.empty());

    dialog.ListBox(kControlObjects)->setCurrentRow(1);
    EXPECT_EQ(dialog.ComboBox(kControlFunctionSort)->currentText(), "Lighting");
    EXPECT_EQ(dialog.ComboBox(kControlSubsort)->currentText(), "Table Lamps");
    EXPECT_EQ(dialog.ComboBox(kControlRoomSort)->currentText(), "Bedroom");
    EXPECT_FALSE(dialog.CheckBox(kControlDining)->isChecked());
    EXPECT_TRUE(sounds.calls.empty());
  });
}

TEST_F(SortEditingTest, ANewFunctionSortKeepsTheSubsortBitAndSaveWritesBoth) {
  WriteFile("table.iff", {{kStrings, 128, "Text", "some strings"},
                          {kObjdType, 128, "End Table", MakeDefinition(Sorts(1, 2, 4, 0))}});
  const auto before = Resources("table.iff");
  RunDialog([this](CSortChangerDlg& dialog) {
    Choose(dialog.ComboBox(kControlFunctionSort), "Seating");
    EXPECT_EQ(Items(dialog.ComboBox(kControlSubsort)),
              QStringList({"None", "Dining Chairs", "Living Chairs", "Sofas", "Beds", "Other"}));
    EXPECT_EQ(dialog.ComboBox(kControlSubsort)->currentText(), "Sofas");
    EXPECT_TRUE(dialog.Item(kControlSave)->isEnabled());
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));

    ClickSave(dialog);
    EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
    EXPECT_EQ(dialog.BitmapButton(kControlSave)->CurrentState(), 'X');
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click", "play Click"}));
    // The values stay as they are; nothing is reloaded.
    EXPECT_EQ(dialog.ComboBox(kControlFunctionSort)->currentText(), "Seating");
  });
  ExpectSaved("table.iff", before, 128, MakeDefinition(Sorts(1, 1, 4, 0)));
}

TEST_F(SortEditingTest, KeyboardChoicesReachTheHandlers) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(Sorts(1, 2, 4, 0))}});
  RunDialog([this](CSortChangerDlg& dialog) {
    QComboBox* room = dialog.ComboBox(kControlRoomSort);
    room->setFocus();
    QTest::keyClick(room, Qt::Key_Down);
    EXPECT_EQ(room->currentText(), "Bedroom");
    EXPECT_EQ(dialog.Core().CurrentSorts().fRoom, 2);
    EXPECT_TRUE(dialog.Item(kControlSave)->isEnabled());
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
  });
}

TEST_F(SortEditingTest, NoFunctionSortDisablesTheSubsortButKeepsItsValue) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(Sorts(1, 2, 4, 0))}});
  const auto before = Resources("table.iff");
  RunDialog([](CSortChangerDlg& dialog) {
    Choose(dialog.ComboBox(kControlFunctionSort), "None");
    QComboBox* subsort = dialog.ComboBox(kControlSubsort);
    EXPECT_FALSE(subsort->isEnabled());
    EXPECT_EQ(Items(subsort), QStringList({"None", "Other"}));
    // Subsort 4 names no item of the two-item list.
    EXPECT_EQ(subsort->currentIndex(), -1);
    EXPECT_TRUE(dialog.Item(kControlRoomSort)->isEnabled());
    ClickSave(dialog);
  });
  ExpectSaved("table.iff", before, 128, MakeDefinition(Sorts(1, 0, 4, 0)));
}

TEST_F(SortEditingTest, RoomAndSubsortChoicesStoreSingleBits) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(Sorts(33, 8, 2, 0))}});
  const auto before = Resources("table.iff");
  RunDialog([this](CSortChangerDlg& dialog) {
    // Two room bits show as "None".
    EXPECT_EQ(dialog.ComboBox(kControlRoomSort)->currentText(), "None");
    EXPECT_EQ(dialog.ComboBox(kControlSubsort)->currentText(), "TV / Computer");
    Choose(dialog.ComboBox(kControlRoomSort), "Bathroom");
    Choose(dialog.ComboBox(kControlSubsort), "Other");
    EXPECT_EQ(dialog.ComboBox(kControlSubsort)->currentText(), "Other");
    EXPECT_EQ(sounds.calls.size(), 2u);
    ClickSave(dialog);
  });
  ExpectSaved("table.iff", before, 128, MakeDefinition(Sorts(4, 8, 16, 0)));
}

TEST_F(SortEditingTest, AFunctionSortOfSeveralBitsShowsNoneButKeepsItsValue) {
  WriteFile("multi.iff", {{kObjdType, 128, "Multi", MakeDefinition(Sorts(1, 3, 0, 0))}});
  const auto before = Resources("multi.iff");
  RunDialog([](CSortChangerDlg& dialog) {
    EXPECT_EQ(dialog.ComboBox(kControlFunctionSort)->currentText(), "None");
    QComboBox* subsort = dialog.ComboBox(kControlSubsort);
    EXPECT_EQ(Items(subsort), QStringList({"None", "Other"}));
    EXPECT_TRUE(subsort->isEnabled());
    Choose(subsort, "Other");
    ClickSave(dialog);
  });
  ExpectSaved("multi.iff", before, 128, MakeDefinition(Sorts(1, 3, 1, 0)));
}

TEST_F(SortEditingTest, DowntownBitsWithoutABoxSurviveUntilABoxIsClicked) {
  WriteFile("shop.iff", {{kObjdType, 128, "Kept", MakeDefinition(Sorts(1, 1, 1, 0x0131))},
                         {kObjdType, 129, "Rebuilt", MakeDefinition(Sorts(1, 1, 1, 0x0130))}});
  const auto before = Resources("shop.iff");
  RunDialog([this](CSortChangerDlg& dialog) {
    EXPECT_TRUE(dialog.CheckBox(kControlDining)->isChecked());
    Choose(dialog.ComboBox(kControlFunctionSort), "Surfaces");
    ClickSave(dialog);

    dialog.ListBox(kControlObjects)->setCurrentRow(1);
    for (int id : {kControlDining, kControlOutdoor, kControlShopping, kControlStreet, kControlOther}) {
      EXPECT_FALSE(dialog.CheckBox(id)->isChecked()) << id;
    }
    ClickBox(dialog.CheckBox(kControlStreet));
    EXPECT_TRUE(dialog.CheckBox(kControlStreet)->isChecked());
    EXPECT_EQ(dialog.Core().CurrentSorts().fDowntown, 8);
    EXPECT_TRUE(dialog.Item(kControlSave)->isEnabled());
    ClickSave(dialog);
    EXPECT_EQ(sounds.calls.size(), 4u);
  });
  auto expected = before;
  expected[{"OBJD", 128}] = MakeDefinition(Sorts(1, 2, 1, 0x0131));
  ExpectSaved("shop.iff", expected, 129, MakeDefinition(Sorts(1, 1, 1, 8)));
}

TEST_F(SortEditingTest, EveryDowntownBoxSetsItsOwnBit) {
  WriteFile("shop.iff", {{kObjdType, 128, "Shop", MakeDefinition(Sorts(1, 1, 1, 0))}});
  RunDialog([](CSortChangerDlg& dialog) {
    const std::pair<int, int> boxes[] = {{kControlDining, 1}, {kControlShopping, 2}, {kControlOutdoor, 4},
                                         {kControlStreet, 8}, {kControlOther, 128}};
    int32_t value = 0;
    for (const auto& [id, bit] : boxes) {
      dialog.CheckBox(id)->click();
      value |= bit;
      EXPECT_EQ(dialog.Core().CurrentSorts().fDowntown, value) << id;
    }
    dialog.CheckBox(kControlDining)->click();
    EXPECT_EQ(dialog.Core().CurrentSorts().fDowntown, value & ~1);
  });
}

TEST_F(SortEditingTest, TheErrorBoxComesOncePerSelectionOfAHiddenObject) {
  WriteFile("mixed.iff", {{kObjdType, 128, "Shown", MakeDefinition(Sorts(1, 1, 1, 0))},
                          {kObjdType, 129, "Hidden", MakeDefinition(Sorts(0, 0, 2, 1))}});
  RunDialog([this](CSortChangerDlg& dialog) {
    std::vector<QString> texts;
    ModalCloser boxes([&](QWidget* modal) {
      if (auto* box = qobject_cast<CErrorBox*>(modal)) texts.push_back(box->Message()->text());
      QTest::keyClick(modal, Qt::Key_Escape);
    });
    QListWidget* objects = dialog.ListBox(kControlObjects);
    objects->setCurrentRow(1);
    EXPECT_EQ(boxes.seen, std::vector<std::string>({"CErrorBox"}));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "This Object is not available in Buy Mode. You will NOT be able to change the sorts.");
    for (int id : kSortControls) EXPECT_FALSE(dialog.Item(id)->isEnabled()) << id;
    EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
    // Disabled controls show the reset state.
    EXPECT_EQ(dialog.ComboBox(kControlFunctionSort)->currentText(), "None");
    EXPECT_FALSE(dialog.CheckBox(kControlDining)->isChecked());

    objects->setCurrentRow(0);
    EXPECT_EQ(boxes.seen.size(), 1u);
    for (int id : kSortControls) EXPECT_TRUE(dialog.Item(id)->isEnabled()) << id;
    objects->setCurrentRow(1);
    EXPECT_EQ(boxes.seen, std::vector<std::string>({"CErrorBox", "CErrorBox"}));
    EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
    EXPECT_TRUE(sounds.calls.empty());
  });
}

TEST_F(SortEditingTest, AHiddenFirstObjectShowsTheErrorBoxAtStartUp) {
  WriteFile("hidden.iff", {{kObjdType, 128, "Hidden", MakeDefinition(Sorts(0, 0, 0, 0))}});
  RunDialog([](CSortChangerDlg& dialog) {
    for (int id : kSortControls) EXPECT_FALSE(dialog.Item(id)->isEnabled()) << id;
  });
  EXPECT_EQ(startupBoxes, 1);
}

TEST_F(SortEditingTest, ChoosingNoneTwiceDisablesTheSortsButSaveStoresTheZeros) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(Sorts(1, 2, 4, 0))}});
  const auto before = Resources("table.iff");
  RunDialog([](CSortChangerDlg& dialog) {
    Choose(dialog.ComboBox(kControlFunctionSort), "None");
    Choose(dialog.ComboBox(kControlRoomSort), "None");
    for (int id : kSortControls) EXPECT_FALSE(dialog.Item(id)->isEnabled()) << id;
    EXPECT_TRUE(dialog.Item(kControlSave)->isEnabled());
    ClickSave(dialog);
    EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
  });
  ExpectSaved("table.iff", before, 128, MakeDefinition(Sorts(0, 0, 4, 0)));
}

TEST_F(SortEditingTest, ChoosingAnotherFileListsItsObjectsAndDropsUnsavedChanges) {
  WriteFile("a.iff", {{kObjdType, 128, "First", MakeDefinition(Sorts(1, 1, 1, 0))}});
  WriteFile("b.iff", {{kObjdType, 300, "Second A", MakeDefinition(Sorts(2, 4, 2, 0))},
                      {kObjdType, 301, "Second B", MakeDefinition(Sorts(2, 4, 2, 0))}});
  const auto before = Resources("a.iff");
  RunDialog([](CSortChangerDlg& dialog) {
    Choose(dialog.ComboBox(kControlRoomSort), "Study");
    dialog.ListBox(kControlFiles)->setCurrentRow(1);
    EXPECT_EQ(Lines(dialog.ListBox(kControlObjects)), QStringList({"Second A", "Second B"}));
    EXPECT_EQ(dialog.ComboBox(kControlFunctionSort)->currentText(), "Appliances");
    EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
    dialog.ListBox(kControlFiles)->setCurrentRow(0);
    EXPECT_EQ(dialog.ComboBox(kControlRoomSort)->currentText(), "Kitchen");
  });
  EXPECT_EQ(Resources("a.iff"), before);
}

TEST_F(SortEditingTest, WithoutAnObjectAChangeEnablesSaveAndSaveDoesNothing) {
  WriteFile("empty.iff", {{kStrings, 128, "Text", "abc"}});
  const std::string before = Read("empty.iff");
  RunDialog([this](CSortChangerDlg& dialog) {
    EXPECT_EQ(dialog.ListBox(kControlObjects)->count(), 0);
    Choose(dialog.ComboBox(kControlFunctionSort), "Plumbing");
    dialog.CheckBox(kControlOther)->click();
    EXPECT_TRUE(dialog.Item(kControlSave)->isEnabled());
    ModalCloser messages([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    ClickSave(dialog);
    EXPECT_TRUE(messages.seen.empty());
    EXPECT_TRUE(dialog.Item(kControlSave)->isEnabled());
    EXPECT_EQ(sounds.calls.size(), 3u);
  });
  EXPECT_EQ(Read("empty.iff"), before);
}

TEST_F(SortEditingTest, AFailedSaveSaysWhyAndLeavesSaveEnabled) {
  WriteFile("locked.iff", {{kStrings, 128, "Text", "abc"},
                           {kObjdType, 128, "Locked", MakeDefinition(Sorts(1, 2, 4, 0))}});
  RunDialog([this](CSortChangerDlg& dialog) {
    prefix.MakeReadOnly("GameData/UserObjects/locked.iff");
    const std::string before = Read("locked.iff");
    Choose(dialog.ComboBox(kControlFunctionSort), "Seating");
    QString text, title;
    int buttons = 0;
    QWidget* owner = nullptr;
    ModalCloser messages([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (box != nullptr) {
        text = box->text();
        title = box->windowTitle();
        buttons = static_cast<int>(box->buttons().size());
        owner = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
      } else {
        QTest::keyClick(modal, Qt::Key_Escape);
      }
    });
    ClickSave(dialog);
    EXPECT_EQ(messages.seen, std::vector<std::string>({"QMessageBox"}));
    EXPECT_EQ(text, "The sorts could not be saved: the file is read-only.");
    EXPECT_EQ(title, "error");
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(owner, &dialog);
    EXPECT_TRUE(dialog.Item(kControlSave)->isEnabled());
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click", "play Click"}));
    EXPECT_EQ(Read("locked.iff"), before);
  });
}

}  // namespace
