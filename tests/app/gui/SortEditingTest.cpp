#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/dialogs/CSortChangerDlg.h"
#include "app/dialogs/ResourceIds.h"
#include "app/gui/CBitmapButton.h"
#include "msrc/Objects/ObjDefinition.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/app/gui/GuiTestSupport.h"
#include "tests/msrc/File/IFF2Reader.h"

using guitest::ModalCloser;
using guitest::QuitGuard;
using guitest::RunWindow;

namespace {

// The sort controls as Qt shows them and as the user works them: what the
// behaviour does with each choice is tested over a fake window in
// tests/app/dialogs; this is the path from real widgets and events to it.

const std::string kFolder = GamePrefix::kListedObjectFolder;
constexpr int kSortControls[] = {kControlFunctionSort, kControlSubsort, kControlRoomSort, kControlDining,
                                 kControlOutdoor,      kControlShopping, kControlStreet,  kControlOther};

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
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

void ClickSave(TemplateDialog& window) { QTest::mouseClick(window.Item(kControlSave), Qt::LeftButton); }

void ClickLine(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
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

  std::string Read(const std::string& file) const { return prefix.ReadObject(file); }

  // The OBJD payloads of a file, by id.
  std::map<int16_t, std::string> Definitions(const std::string& file) const {
    std::map<int16_t, std::string> definitions;
    for (const IFF2Reader::Block& block : IFF2Reader(Read(file)).Resources()) {
      if (block.type == "OBJD") definitions[block.id] = block.payload;
    }
    return definitions;
  }

  QuitGuard quit;
  RecordingSounds sounds;
  GamePrefix prefix;
  CSortChangerDlg dialog;
};

TEST_F(SortEditingTest, ANewFunctionSortKeepsTheSubsortBitAndSaveWritesBoth) {
  WriteFile("table.iff", {{kObjdType, 128, "End Table", MakeDefinition(SortFields(1, 2, 4, 0))}});
  RunWindow(dialog, [this](TemplateDialog& window) {
    Choose(window.ComboBox(kControlFunctionSort), "Seating");
    EXPECT_EQ(Items(window.ComboBox(kControlSubsort)),
              QStringList({"None", "Dining Chairs", "Living Chairs", "Sofas", "Beds", "Other"}));
    EXPECT_EQ(window.ComboBox(kControlSubsort)->currentText(), "Sofas");
    EXPECT_TRUE(window.Item(kControlSave)->isEnabled());
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));

    ClickSave(window);
    EXPECT_FALSE(window.Item(kControlSave)->isEnabled());
    EXPECT_EQ(window.BitmapButton(kControlSave)->CurrentState(), 'X');
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click", "play Click"}));
    // The values stay as they are; nothing is reloaded.
    EXPECT_EQ(window.ComboBox(kControlFunctionSort)->currentText(), "Seating");
  });
  EXPECT_EQ(Definitions("table.iff"), (std::map<int16_t, std::string>{{128, MakeDefinition(SortFields(1, 1, 4, 0))}}));
}

TEST_F(SortEditingTest, KeyboardChoicesReachTheHandlers) {
  WriteFile("table.iff", {{kObjdType, 128, "Table", MakeDefinition(SortFields(1, 2, 4, 0))}});
  RunWindow(dialog, [this](TemplateDialog& window) {
    QComboBox* room = window.ComboBox(kControlRoomSort);
    room->setFocus();
    QTest::keyClick(room, Qt::Key_Down);
    EXPECT_EQ(room->currentText(), "Bedroom");
    EXPECT_EQ(dialog.Core().CurrentSorts().fRoom, 2);
    EXPECT_TRUE(window.Item(kControlSave)->isEnabled());
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
  });
}

TEST_F(SortEditingTest, DowntownBitsWithoutABoxSurviveUntilABoxIsClicked) {
  WriteFile("shop.iff", {{kObjdType, 128, "Kept", MakeDefinition(SortFields(1, 1, 1, 0x0131))},
                         {kObjdType, 129, "Rebuilt", MakeDefinition(SortFields(1, 1, 1, 0x0130))}});
  RunWindow(dialog, [this](TemplateDialog& window) {
    EXPECT_TRUE(window.CheckBox(kControlDining)->isChecked());
    Choose(window.ComboBox(kControlFunctionSort), "Surfaces");
    ClickSave(window);

    ClickLine(window.ListBox(kControlObjects), 1);
    for (int id : {kControlDining, kControlOutdoor, kControlShopping, kControlStreet, kControlOther}) {
      EXPECT_FALSE(window.CheckBox(id)->isChecked()) << id;
    }
    ClickBox(window.CheckBox(kControlStreet));
    EXPECT_TRUE(window.CheckBox(kControlStreet)->isChecked());
    EXPECT_EQ(dialog.Core().CurrentSorts().fDowntown, 8);
    EXPECT_TRUE(window.Item(kControlSave)->isEnabled());
    ClickSave(window);
    EXPECT_EQ(sounds.calls.size(), 4u);
  });
  EXPECT_EQ(Definitions("shop.iff"), (std::map<int16_t, std::string>{{128, MakeDefinition(SortFields(1, 2, 1, 0x0131))},
                                                                     {129, MakeDefinition(SortFields(1, 1, 1, 8))}}));
}

TEST_F(SortEditingTest, TheErrorBoxComesOverTheNewlyHighlightedObject) {
  WriteFile("mixed.iff", {{kObjdType, 128, "Shown", MakeDefinition(SortFields(1, 1, 1, 0))},
                          {kObjdType, 129, "Hidden", MakeDefinition(SortFields(0, 0, 2, 1))}});
  RunWindow(dialog, [](TemplateDialog& window) {
    QListWidget* objects = window.ListBox(kControlObjects);
    QList<QListWidgetItem*> highlighted;
    QString text;
    ModalCloser boxes([&](QWidget* modal) {
      highlighted = objects->selectedItems();
      if (auto* box = qobject_cast<TemplateDialog*>(modal)) {
        text = qobject_cast<QLabel*>(box->Item(kControlErrorText))->text();
      }
      QTest::keyClick(modal, Qt::Key_Escape);
    });
    ClickLine(objects, 1);
    EXPECT_EQ(boxes.seen, std::vector<std::string>({"CErrorBox"}));
    EXPECT_EQ(text, "This Object is not available in Buy Mode. You will NOT be able to change the sorts.");
    EXPECT_EQ(highlighted, QList<QListWidgetItem*>({objects->item(1)}));
    for (int id : kSortControls) EXPECT_FALSE(window.Item(id)->isEnabled()) << id;
  });
}

TEST_F(SortEditingTest, AFailedSaveSaysWhyInTheProgramsLookAndLeavesSaveEnabled) {
  WriteFile("locked.iff", {{kObjdType, 128, "Locked", MakeDefinition(SortFields(1, 2, 4, 0))}});
  RunWindow(dialog, [this](TemplateDialog& window) {
    prefix.MakeReadOnly("GameData/UserObjects/locked.iff");
    const std::string before = Read("locked.iff");
    Choose(window.ComboBox(kControlFunctionSort), "Seating");
    QString text, title, family;
    QStringList buttons;
    bool icon = true;
    QWidget* owner = nullptr;
    ModalCloser messages([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (box != nullptr) {
        text = box->text();
        title = box->windowTitle();
        for (const QAbstractButton* button : box->buttons()) buttons << button->text();
        icon = !box->buttons().front()->icon().isNull();
        family = QFontInfo(box->findChild<QLabel*>()->font()).family();
        owner = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
      } else {
        QTest::keyClick(modal, Qt::Key_Escape);
      }
    });
    ClickSave(window);
    EXPECT_EQ(messages.seen, std::vector<std::string>({"QMessageBox"}));
    EXPECT_EQ(text, "The sorts could not be saved: the file is read-only.");
    EXPECT_EQ(title, "error");
    EXPECT_EQ(buttons, QStringList({"OK"}));
    EXPECT_FALSE(icon);
    EXPECT_EQ(family, QFontInfo(window.font()).family());
    EXPECT_EQ(owner, &window);
    EXPECT_TRUE(window.Item(kControlSave)->isEnabled());
    EXPECT_EQ(Read("locked.iff"), before);
  });
}

}  // namespace
