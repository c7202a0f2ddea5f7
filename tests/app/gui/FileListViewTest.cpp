#include <gtest/gtest.h>

#include <QListWidget>

#include "app/gui/CSortChangerDlg.h"
#include "app/gui/ResourceIds.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/gui/GuiTestSupport.h"

using guitest::ModalCloser;
using guitest::QuitGuard;
using guitest::RecordingSounds;

namespace {

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

TEST(FileListViewTest, TheFilesListShowsTheWritableObjectFilesInEntryOrder) {
  QuitGuard quit;
  RecordingSounds sounds;
  GamePrefix prefix;
  prefix.WriteRegistry();
  prefix.WriteObject("Chair.IFF");
  prefix.WriteObject("sub/TABLE.iff");
  prefix.WriteObject("notes.txt");
  prefix.WriteObject("Locked.iff");
  prefix.MakeReadOnly("GameData/UserObjects/Locked.iff");
  prefix.WriteGameFile("Downloads/Lamp.iff");

  CSortChangerDlg dialog;
  ModalCloser closer([&](QWidget* modal) {
    if (modal != &dialog) return;
    QListWidget* files = dialog.ListBox(kControlFiles);
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
    EXPECT_EQ(dialog.ListBox(kControlObjects)->count(), 0);
    EXPECT_FALSE(dialog.Item(kControlSave)->isEnabled());
    dialog.reject();
  });
  dialog.DoModal();
  EXPECT_EQ(closer.seen.size(), 1u);
}

TEST(FileListViewTest, WithoutObjectFilesNothingIsListedOrSelected) {
  QuitGuard quit;
  RecordingSounds sounds;
  GamePrefix prefix;
  prefix.WriteRegistry();
  CSortChangerDlg dialog;
  ModalCloser closer([&](QWidget* modal) {
    if (modal != &dialog) return;
    EXPECT_EQ(dialog.ListBox(kControlFiles)->count(), 0);
    EXPECT_EQ(dialog.ListBox(kControlFiles)->currentRow(), -1);
    dialog.reject();
  });
  dialog.DoModal();
}

}  // namespace
