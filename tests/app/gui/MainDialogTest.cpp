#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/gui/CBitmapButton.h"
#include "app/gui/CSortChangerDlg.h"
#include "app/gui/DialogResources.h"
#include "app/gui/ResourceIds.h"
#include "tests/app/gui/GuiTestSupport.h"

using guitest::FakeRegistryEnv;
using guitest::ModalCloser;
using guitest::QuitGuard;
using guitest::RecordingSounds;

namespace {

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

// Runs the main dialog; `inspect` sees it once it is up, then it is closed.
void RunMainDialog(const std::function<void(CSortChangerDlg&)>& inspect) {
  CSortChangerDlg dialog;
  ModalCloser closer([&](QWidget* modal) {
    if (modal != &dialog) return;
    inspect(dialog);
    dialog.reject();
  });
  dialog.DoModal();
  ASSERT_EQ(closer.seen.size(), 1u);
}

class MainDialogTest : public ::testing::Test {
 protected:
  QuitGuard quit;
  FakeRegistryEnv env;
  RecordingSounds sounds;
};

TEST_F(MainDialogTest, EveryControlStandsAtItsTemplatePosition) {
  env.InstallGame("C:\\Games\\The Velt");
  RunMainDialog([](CSortChangerDlg& dialog) {
    const DialogTemplate& t = DialogResources::Find(kDialogMain);
    const DialogUnits& units = dialog.Units();
    EXPECT_EQ(dialog.windowTitle(), "The Velt Plimsett Object Organizer");
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) captions << label->text();
    for (const ControlTemplate& control : t.controls) {
      const QRect expected = units.ToPixels(control.x, control.y, control.cx, control.cy);
      if (control.id == kNoControlId) {
        EXPECT_TRUE(captions.contains(QString::fromStdString(control.caption))) << control.caption;
        continue;
      }
      QWidget* widget = dialog.Item(control.id);
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
    for (const QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (!child->isWindow()) {
        EXPECT_TRUE(dialog.rect().contains(child->geometry()));
      }
    }
  });
}

TEST_F(MainDialogTest, StartsWithEmptyListsResetSortsAndSaveDisabled) {
  env.InstallGame("C:\\Games\\The Velt");
  RunMainDialog([](CSortChangerDlg& dialog) {
    EXPECT_STREQ(dialog.ObjectFolder().Text(), "C:\\Games\\The Velt\\GameData\\UserObjects\\");
    EXPECT_EQ(dialog.ListBox(kControlFiles)->count(), 0);
    EXPECT_EQ(dialog.ListBox(kControlObjects)->count(), 0);
    EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
    EXPECT_EQ(dialog.BitmapButton(kControlSave)->CurrentState(), 'X');
    EXPECT_TRUE(dialog.Item(kControlAbout)->isEnabled());

    QComboBox* function = dialog.ComboBox(kControlFunctionSort);
    EXPECT_EQ(Items(function), QStringList({"None", "Seating", "Surfaces", "Appliances", "Electronics",
                                            "Plumbing", "Decorative", "Other", "Lighting"}));
    EXPECT_EQ(function->currentIndex(), 0);
    QComboBox* room = dialog.ComboBox(kControlRoomSort);
    EXPECT_EQ(Items(room), QStringList({"None", "Kitchen", "Bedroom", "Bathroom", "Family", "Outside",
                                        "Dining", "Other", "Study"}));
    EXPECT_EQ(room->currentIndex(), 0);
    // The subsort box's template items are replaced by "None" alone.
    EXPECT_EQ(Items(dialog.ComboBox(kControlSubsort)), QStringList({"None"}));
    EXPECT_EQ(dialog.ComboBox(kControlSubsort)->currentIndex(), 0);

    const std::pair<int, const char*> boxes[] = {{kControlDining, "Dining"},
                                                 {kControlOutdoor, "Outdoor"},
                                                 {kControlShopping, "Shopping"},
                                                 {kControlStreet, "Street"},
                                                 {kControlOther, "Other"}};
    for (const auto& [id, caption] : boxes) {
      QCheckBox* box = dialog.CheckBox(id);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->text(), caption);
      EXPECT_FALSE(box->isChecked());
      EXPECT_TRUE(box->isEnabled());
    }
  });
}

TEST_F(MainDialogTest, TypingIntoAComboSelectsNothing) {
  env.InstallGame("C:\\Games\\The Velt");
  RunMainDialog([](CSortChangerDlg& dialog) {
    QComboBox* function = dialog.ComboBox(kControlFunctionSort);
    function->lineEdit()->setText("Lighting");
    emit function->lineEdit()->returnPressed();
    EXPECT_EQ(function->currentIndex(), 0);
    EXPECT_EQ(function->count(), 9);
  });
}

TEST_F(MainDialogTest, AboutButtonClicksThenOpensTheAboutBox) {
  env.InstallGame("C:\\Games\\The Velt");
  RunMainDialog([this](CSortChangerDlg& dialog) {
    ModalCloser aboutCloser([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QTest::mouseClick(dialog.Item(kControlAbout), Qt::LeftButton);
    EXPECT_EQ(aboutCloser.seen, std::vector<std::string>({"CAboutDlg"}));
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
  });
}

TEST_F(MainDialogTest, SystemMenuItemOpensTheAboutBoxWithoutASound) {
  env.InstallGame("C:\\Games\\The Velt");
  RunMainDialog([this](CSortChangerDlg& dialog) {
    ASSERT_NE(dialog.SystemMenu(), nullptr);
    QAction* about = nullptr;
    for (QAction* action : dialog.SystemMenu()->actions()) {
      if (action->data().toUInt() == kCommandAbout) about = action;
    }
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About The Velt Plimsett Object Organizer...");
    // A separator comes first, as on a window menu.
    const QList<QAction*> actions = dialog.SystemMenu()->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());

    {
      ModalCloser aboutCloser([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
      about->trigger();
      EXPECT_EQ(aboutCloser.seen, std::vector<std::string>({"CAboutDlg"}));
      EXPECT_TRUE(sounds.calls.empty());
    }
    {
      // Any command whose low four bits differ still means About.
      ModalCloser again([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
      dialog.OnSysCommand(kCommandAbout | 0x7);
      EXPECT_EQ(again.seen, std::vector<std::string>({"CAboutDlg"}));
    }
  });
}

TEST_F(MainDialogTest, SaveWithNothingSelectedOnlyClicks) {
  env.InstallGame("C:\\Games\\The Velt");
  RunMainDialog([this](CSortChangerDlg& dialog) {
    dialog.Item(kControlSave)->setEnabled(true);
    QTest::mouseClick(dialog.Item(kControlSave), Qt::LeftButton);
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
    EXPECT_TRUE(dialog.isVisible());
  });
}

TEST_F(MainDialogTest, EnterAndEscapeEndTheDialog) {
  env.InstallGame("C:\\Games\\The Velt");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    CSortChangerDlg dialog;
    ModalCloser closer([&](QWidget* modal) {
      dialog.ListBox(kControlFiles)->setFocus();
      QTest::keyClick(modal, key);
    });
    EXPECT_EQ(dialog.DoModal(), key == Qt::Key_Return ? kIdOk : kIdCancel);
  }
}

TEST_F(MainDialogTest, NoGameShowsTheMessageAndQuitsWithCodeZero) {
  QString text, title;
  int buttons = 0;
  QWidget* owner = nullptr;
  CSortChangerDlg dialog;
  ModalCloser closer([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) return;
    text = box->text();
    title = box->windowTitle();
    owner = box->parentWidget();
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(text, "The Velt was not detected on this computer. You must have The Velt installed to use "
                  "this program.");
  EXPECT_EQ(title, "error");
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(owner, &dialog);
  EXPECT_TRUE(QuitRequest::Pending());
  EXPECT_EQ(QuitRequest::ExitCode(), 0);
  // Initialisation went on to its end.
  EXPECT_STREQ(dialog.ObjectFolder().Text(), "\\GameData\\UserObjects\\");
  EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
}

}  // namespace
