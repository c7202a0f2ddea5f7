#include <gtest/gtest.h>

#include <string>

#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include "app/dialogs/CSortChangerDlg.h"
#include "app/dialogs/ResourceIds.h"
#include "msrc/Objects/ObjDefinition.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/app/gui/GuiTestSupport.h"

using guitest::QuitGuard;
using guitest::RunWindow;

namespace {

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

class FileListViewTest : public ::testing::Test {
 protected:
  QuitGuard quit;
  RecordingSounds sounds;
  GamePrefix prefix;
  CSortChangerDlg dialog;
};

TEST_F(FileListViewTest, TheFilesListShowsTheWritableObjectFilesInEntryOrder) {
  prefix.WriteRegistry();
  prefix.WriteObject("Chair.IFF");
  prefix.WriteObject("sub/TABLE.iff");
  prefix.WriteObject("notes.txt");
  prefix.WriteObject("Locked.iff");
  prefix.MakeReadOnly("GameData/UserObjects/Locked.iff");
  prefix.WriteGameFile("Downloads/Lamp.iff");

  RunWindow(dialog, [this](TemplateDialog& window) {
    QListWidget* files = window.ListBox(kControlFiles);
    // Downloads entries continue with "..\" after the object folder and sort
    // before names that start with a letter.
    EXPECT_EQ(Lines(files), QStringList({"lamp", "chair", "table"}));
    EXPECT_EQ(files->currentRow(), 0);
    ASSERT_EQ(dialog.Files().Count(), 3u);
    EXPECT_STREQ(dialog.Files().Entry(0).Text(),
                 "c:\\games\\the velt\\gamedata\\userobjects\\..\\..\\downloads\\lamp");
    EXPECT_STREQ(dialog.Files().Entry(2).Text(), "c:\\games\\the velt\\gamedata\\userobjects\\sub\\table");
    // Choosing another file by hand rebuilds the object list (still empty:
    // these files hold no objects).
    files->setCurrentRow(2);
    EXPECT_EQ(window.ListBox(kControlObjects)->count(), 0);
    EXPECT_FALSE(window.Item(kControlSave)->isEnabled());
  });
}

TEST_F(FileListViewTest, WithoutObjectFilesNothingIsListedOrSelected) {
  prefix.WriteRegistry();
  RunWindow(dialog, [](TemplateDialog& window) {
    EXPECT_EQ(window.ListBox(kControlFiles)->count(), 0);
    EXPECT_EQ(window.ListBox(kControlFiles)->currentRow(), -1);
  });
}

TEST_F(FileListViewTest, LongNamesShowInFullAndTheFileListScrollsSideways) {
  prefix.WriteRegistry();
  // Names that differ only at their ends, before a short one that a list
  // might take as the measure of all.
  const std::string stem(90, 'w');
  for (const std::string& name : {"a" + stem + "1", "a" + stem + "2", std::string("b")}) {
    prefix.WriteObject(name + ".iff");
  }
  RunWindow(dialog, [](TemplateDialog& window) {
    QListWidget* files = window.ListBox(kControlFiles);
    ASSERT_EQ(files->count(), 3);
    const int widest = files->fontMetrics().horizontalAdvance(files->item(1)->text());
    ASSERT_GT(widest, files->viewport()->width());
    // Every line is as wide as its text, and the scroll bar reaches the end.
    EXPECT_GE(files->visualItemRect(files->item(1)).width(), widest);
    EXPECT_GE(files->horizontalScrollBar()->maximum() + files->viewport()->width(), widest);
  });
}

TEST_F(FileListViewTest, TheSelectedLineKeepsItsHighlightUnderCtrlClick) {
  prefix.WriteRegistry();
  prefix.MakeGameFolder("GameData/UserObjects");
  DefinitionFields sorts;
  sorts.room = 1;
  sorts.function = 2;
  ASSERT_TRUE(WriteObjectFile(std::string(GamePrefix::kListedObjectFolder) + "pair.iff",
                              {{kObjdType, 128, "First", MakeDefinition(sorts)},
                               {kObjdType, 129, "Second", MakeDefinition(sorts)}}));
  RunWindow(dialog, [this](TemplateDialog& window) {
    QListWidget* objects = window.ListBox(kControlObjects);
    ASSERT_EQ(objects->count(), 2);
    const QPoint second = objects->visualItemRect(objects->item(1)).center();
    QTest::mouseClick(objects->viewport(), Qt::LeftButton, {}, second);
    ASSERT_EQ(objects->currentRow(), 1);
    QTest::mouseClick(objects->viewport(), Qt::LeftButton, Qt::ControlModifier, second);
    EXPECT_EQ(objects->selectedItems(), QList<QListWidgetItem*>({objects->item(1)}));
    QTest::keyClick(objects, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(objects->selectedItems(), QList<QListWidgetItem*>({objects->item(1)}));
    EXPECT_EQ(dialog.Core().SelectedObject(), 1);
    // Ctrl+click on another line still chooses it.
    QTest::mouseClick(objects->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      objects->visualItemRect(objects->item(0)).center());
    EXPECT_EQ(objects->selectedItems(), QList<QListWidgetItem*>({objects->item(0)}));
    EXPECT_EQ(objects->currentRow(), 0);
  });
}

}  // namespace
