#include "app/gui/CSortChangerDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QSignalBlocker>

#include "app/core/GameFolder.h"
#include "app/gui/AppResources.h"
#include "app/gui/CAboutDlg.h"
#include "app/gui/CBitmapButton.h"
#include "app/gui/QuitRequest.h"
#include "app/gui/ResourceIds.h"
#include "app/gui/SoundService.h"
#include "platform/HostEnv.h"

const char* const CSortChangerDlg::kNotInstalledText =
    "The Velt was not detected on this computer. You must have The Velt installed to use "
    "this program.";

namespace {
constexpr int kSortCombos[] = {kControlFunctionSort, kControlSubsort, kControlRoomSort};
constexpr int kDowntownBoxes[] = {kControlDining, kControlOutdoor, kControlShopping,
                                  kControlStreet, kControlOther};
}  // namespace

CSortChangerDlg::CSortChangerDlg(QWidget* parent) : TemplateDialog(kDialogMain, parent) {
  fIcon = AppResources::Icon(kIconMain);
}

bool CSortChangerDlg::OnInitDialog() {
  AutoLoad(kControlSave);
  AutoLoad(kControlAbout);
  TemplateDialog::OnInitDialog();

  if (QMenu* menu = SystemMenu()) {
    const QString about = AppResources::String(kStringAboutItem);
    if (!about.isEmpty()) {
      menu->addSeparator();
      menu->addAction(about)->setData(kCommandAbout);
    }
  }
  setWindowIcon(fIcon);

  const GameFolder::Status status =
      GameFolder::ReadObjectFolder(platform::HostEnv::Current().MachineRegistry(), &fObjectFolder);
  if (status == GameFolder::Status::kKeyNotOpened) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("error"),
                    QString::fromLatin1(kNotInstalledText), QMessageBox::Ok, this);
    box.exec();
    QuitRequest::Post(0);
  }

  fScanFolder.Assign(fObjectFolder);
  FillFileList(fScanFolder);
  Item(kControlSave)->setEnabled(false);
  ResetSortControls();
  SetCurSel(ListBox(kControlFiles), 0);
  FillObjectList();
  return true;
}

void CSortChangerDlg::OnCommand(int controlId, Notify code) {
  switch (controlId) {
    case kControlFiles:
      if (code == Notify::kSelChange) FillObjectList();
      return;
    case kControlObjects:
      if (code == Notify::kSelChange) LoadObjectSorts();
      return;
    case kControlAbout:
      if (code == Notify::kClicked) OnAbout();
      return;
    case kControlSave:
      if (code == Notify::kClicked) OnSave();
      return;
    default:
      TemplateDialog::OnCommand(controlId, code);
  }
}

void CSortChangerDlg::OnSysCommand(unsigned commandId) {
  if ((commandId & 0xFFF0) == kCommandAbout) {
    CAboutDlg about(this);
    about.DoModal();
    return;
  }
  TemplateDialog::OnSysCommand(commandId);
}

void CSortChangerDlg::OnAbout() {
  SoundService::Instance().Play(QStringLiteral("Click"));
  CAboutDlg about(this);
  about.DoModal();
}

void CSortChangerDlg::FillFileList(const StringBuffer& folder) {
  fScanFolder.Assign(folder);
  fFileList.Fill(fScanFolder);
  QListWidget* list = ListBox(kControlFiles);
  const QSignalBlocker quiet(list);
  list->clear();
  for (size_t i = 0; i < fFileList.Count(); ++i) list->addItem(QString::fromUtf8(fFileList.Line(i).Text()));
}

void CSortChangerDlg::FillObjectList() {
  fObjectIds.clear();
  QListWidget* list = ListBox(kControlObjects);
  {
    const QSignalBlocker quiet(list);
    list->clear();
  }
  SetCurSel(list, 0);
  LoadObjectSorts();
}

bool CSortChangerDlg::HasValidSelection() const {
  const int file = ListBox(kControlFiles)->currentRow();
  const int object = ListBox(kControlObjects)->currentRow();
  return file >= 0 && static_cast<size_t>(file) < fFileList.Count() && object >= 0 &&
         static_cast<size_t>(object) < fObjectIds.size();
}

void CSortChangerDlg::LoadObjectSorts() {
  if (!HasValidSelection()) return;
}

void CSortChangerDlg::ResetSortControls() {
  for (int id : kDowntownBoxes) CheckBox(id)->setChecked(false);
  for (int id : kSortCombos) ComboBox(id)->setCurrentIndex(0);
  QComboBox* subsort = ComboBox(kControlSubsort);
  subsort->clear();
  subsort->addItem(QStringLiteral("None"));
}

void CSortChangerDlg::OnSave() {
  SoundService::Instance().Play(QStringLiteral("Click"));
  if (!HasValidSelection()) return;
}
