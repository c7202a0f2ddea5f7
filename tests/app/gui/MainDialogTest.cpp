#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFontInfo>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "app/dialogs/CSortChangerDlg.h"
#include "app/dialogs/DialogResources.h"
#include "app/dialogs/ResourceIds.h"
#include "app/gui/CBitmapButton.h"
#include "tests/app/gui/GuiTestSupport.h"

using guitest::ModalCloser;
using guitest::QuitGuard;
using guitest::RunWindow;

namespace {

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

class MainDialogTest : public ::testing::Test {
 protected:
  QuitGuard quit;
  FakeRegistryEnv env;
  RecordingSounds sounds;
  CSortChangerDlg dialog;
};

TEST_F(MainDialogTest, EveryControlStandsAtItsTemplatePosition) {
  env.InstallGame("C:\\Games\\The Velt");
  RunWindow(dialog, [](TemplateDialog& window) {
    const DialogTemplate& t = DialogResources::Find(kDialogMain);
    const DialogUnits& units = window.Units();
    EXPECT_EQ(window.windowTitle(), "The Velt Plimsett Object Organizer");
    QStringList captions;
    for (const QLabel* label : window.findChildren<QLabel*>()) captions << label->text();
    for (const ControlTemplate& control : t.controls) {
      const QRect expected = units.ToPixels(control.x, control.y, control.cx, control.cy);
      if (control.id == kNoControlId) {
        EXPECT_TRUE(captions.contains(QString::fromStdString(control.caption))) << control.caption;
        continue;
      }
      QWidget* widget = window.Item(control.id);
      ASSERT_NE(widget, nullptr) << control.id;
      EXPECT_EQ(widget->pos(), expected.topLeft()) << control.id;
      switch (control.kind) {
        case ControlKind::kBitmapButton:
          EXPECT_EQ(widget->size(), QSize(131, 40)) << control.id;
          break;
        case ControlKind::kComboBox:
          EXPECT_EQ(widget->width(), expected.width());
          break;
        case ControlKind::kCheckBox:
          // Never narrower than the template; wider only to show the caption.
          EXPECT_GE(widget->width(), expected.width());
          EXPECT_EQ(widget->height(), expected.height());
          break;
        default:
          EXPECT_EQ(widget->size(), expected.size()) << control.id;
      }
    }
    // Nothing is cut off: the frame holds every control.
    for (const QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (!child->isWindow()) {
        EXPECT_TRUE(window.rect().contains(child->geometry()));
      }
    }
  });
}

TEST_F(MainDialogTest, StartsWithEmptyListsResetSortsAndSaveDisabled) {
  env.InstallGame("C:\\Games\\The Velt");
  RunWindow(dialog, [this](TemplateDialog& window) {
    EXPECT_STREQ(dialog.ObjectFolder().Text(), "C:\\Games\\The Velt\\GameData\\UserObjects\\");
    EXPECT_EQ(window.ListBox(kControlFiles)->count(), 0);
    EXPECT_EQ(window.ListBox(kControlObjects)->count(), 0);
    EXPECT_FALSE(window.Item(kControlSave)->isEnabled());
    EXPECT_EQ(window.BitmapButton(kControlSave)->CurrentState(), 'X');
    EXPECT_TRUE(window.Item(kControlAbout)->isEnabled());
    EXPECT_FALSE(window.windowIcon().isNull());

    QComboBox* function = window.ComboBox(kControlFunctionSort);
    EXPECT_EQ(Items(function), QStringList({"None", "Seating", "Surfaces", "Appliances", "Electronics",
                                            "Plumbing", "Decorative", "Other", "Lighting"}));
    EXPECT_EQ(function->currentIndex(), 0);
    QComboBox* room = window.ComboBox(kControlRoomSort);
    EXPECT_EQ(Items(room), QStringList({"None", "Kitchen", "Bedroom", "Bathroom", "Family", "Outside",
                                        "Dining", "Other", "Study"}));
    EXPECT_EQ(room->currentIndex(), 0);
    // The subsort box's template items are replaced by "None" alone.
    EXPECT_EQ(Items(window.ComboBox(kControlSubsort)), QStringList({"None"}));
    EXPECT_EQ(window.ComboBox(kControlSubsort)->currentIndex(), 0);

    const std::pair<int, const char*> boxes[] = {{kControlDining, "Dining"},
                                                 {kControlOutdoor, "Outdoor"},
                                                 {kControlShopping, "Shopping"},
                                                 {kControlStreet, "Street"},
                                                 {kControlOther, "Other"}};
    for (const auto& [id, caption] : boxes) {
      QCheckBox* box = window.CheckBox(id);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->text(), caption);
      EXPECT_FALSE(box->isChecked());
      EXPECT_TRUE(box->isEnabled());
    }
  });
}

TEST_F(MainDialogTest, TypingIntoAComboSelectsNothing) {
  env.InstallGame("C:\\Games\\The Velt");
  RunWindow(dialog, [](TemplateDialog& window) {
    QComboBox* function = window.ComboBox(kControlFunctionSort);
    function->lineEdit()->setText("Lighting");
    emit function->lineEdit()->returnPressed();
    EXPECT_EQ(function->currentIndex(), 0);
    EXPECT_EQ(function->count(), 9);
  });
}

TEST_F(MainDialogTest, TextTypedIntoASortBoxIsDroppedWhenTheFocusLeaves) {
  env.InstallGame("C:\\Games\\The Velt");
  RunWindow(dialog, [this](TemplateDialog& window) {
    QComboBox* function = window.ComboBox(kControlFunctionSort);
    // The exact text of an item, and text that names none.
    for (const char* typed : {"Lighting", "Lamps"}) {
      function->setFocus(Qt::TabFocusReason);
      ASSERT_TRUE(function->hasFocus());
      QTest::keyClick(function, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(function, typed);
      EXPECT_EQ(function->lineEdit()->text(), typed);
      QTest::keyClick(function, Qt::Key_Tab);
      EXPECT_FALSE(function->hasFocus()) << typed;
      EXPECT_EQ(function->currentIndex(), 0) << typed;
      EXPECT_EQ(function->lineEdit()->text(), "None") << typed;
    }
    EXPECT_EQ(dialog.Core().CurrentSorts().fFunction, 0);
    EXPECT_FALSE(window.Item(kControlSave)->isEnabled());
    EXPECT_TRUE(sounds.calls.empty());
  });
}

TEST_F(MainDialogTest, AboutButtonClicksThenOpensTheAboutBox) {
  env.InstallGame("C:\\Games\\The Velt");
  RunWindow(dialog, [this](TemplateDialog& window) {
    ModalCloser aboutCloser([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QTest::mouseClick(window.Item(kControlAbout), Qt::LeftButton);
    EXPECT_EQ(aboutCloser.seen, std::vector<std::string>({"CAboutDlg"}));
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
  });
}

TEST_F(MainDialogTest, SystemMenuItemOpensTheAboutBoxWithoutASound) {
  env.InstallGame("C:\\Games\\The Velt");
  RunWindow(dialog, [this](TemplateDialog& window) {
    ASSERT_NE(window.SystemMenu(), nullptr);
    QAction* about = nullptr;
    for (QAction* action : window.SystemMenu()->actions()) {
      if (action->data().toUInt() == kCommandAbout) about = action;
    }
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About The Velt Plimsett Object Organizer...");
    // A separator comes first, as on a window menu.
    const QList<QAction*> actions = window.SystemMenu()->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());

    ModalCloser aboutCloser([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    about->trigger();
    EXPECT_EQ(aboutCloser.seen, std::vector<std::string>({"CAboutDlg"}));
    EXPECT_TRUE(sounds.calls.empty());
  });
}

TEST_F(MainDialogTest, TheWindowMenuOpensFromTheKeyboard) {
  env.InstallGame("C:\\Games\\The Velt");
  RunWindow(dialog, [](TemplateDialog& window) {
    QMenu* menu = window.SystemMenu();
    ASSERT_NE(menu, nullptr);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Space, Qt::AltModifier}, {Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}};
    for (const auto& [key, modifiers] : keys) {
      window.ListBox(kControlObjects)->setFocus();
      QTest::keyClick(window.ListBox(kControlObjects), key, modifiers);
      EXPECT_TRUE(menu->isVisible()) << key;
      menu->hide();
    }
  });
}

TEST_F(MainDialogTest, SaveWithNothingSelectedOnlyClicks) {
  env.InstallGame("C:\\Games\\The Velt");
  RunWindow(dialog, [this](TemplateDialog& window) {
    window.Item(kControlSave)->setEnabled(true);
    QTest::mouseClick(window.Item(kControlSave), Qt::LeftButton);
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
    EXPECT_TRUE(window.isVisible());
  });
}

TEST_F(MainDialogTest, EnterAndEscapeEndTheDialog) {
  env.InstallGame("C:\\Games\\The Velt");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    TemplateDialog window(dialog);
    ModalCloser closer([&](QWidget* modal) {
      window.ListBox(kControlFiles)->setFocus();
      QTest::keyClick(modal, key);
    });
    EXPECT_EQ(window.DoModal(), key == Qt::Key_Return ? kIdOk : kIdCancel);
  }
}

TEST_F(MainDialogTest, NoGameShowsTheMessageCentredInTheProgramsLookAndQuitsWithCodeZero) {
  QString text, title, fontFamily;
  int buttons = 0;
  QWidget* owner = nullptr;
  QPoint centre;
  QString okText;
  bool okHasIcon = true;
  TemplateDialog window(dialog);
  ModalCloser closer([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) return;
    text = box->text();
    title = box->windowTitle();
    owner = box->parentWidget();
    buttons = static_cast<int>(box->buttons().size());
    centre = box->frameGeometry().center();
    fontFamily = QFontInfo(box->findChild<QLabel*>()->font()).family();
    okText = box->button(QMessageBox::Ok)->text();
    okHasIcon = !box->button(QMessageBox::Ok)->icon().isNull();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(window.DoModal(), -1);
  EXPECT_EQ(text, "The Velt was not detected on this computer. You must have The Velt installed to use "
                  "this program.");
  EXPECT_EQ(title, "error");
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(owner, &window);
  // In the middle of the screen, not in its corner.
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((centre - screenCentre).manhattanLength(), 2);
  // The dialog's font and a plain OK button.
  EXPECT_EQ(fontFamily, QFontInfo(window.font()).family());
  EXPECT_EQ(okText, "OK");
  EXPECT_FALSE(okHasIcon);
  EXPECT_TRUE(QuitRequest::Pending());
  EXPECT_EQ(QuitRequest::ExitCode(), 0);
  // Initialisation went on to its end.
  EXPECT_STREQ(dialog.ObjectFolder().Text(), "\\GameData\\UserObjects\\");
  EXPECT_FALSE(window.Item(kControlSave)->isEnabled());
}

}  // namespace
