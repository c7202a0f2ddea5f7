#include "app/gui/CSortChangerDlg.h"

#include <algorithm>
#include <array>

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
#include "app/gui/CErrorBox.h"
#include "app/gui/QuitRequest.h"
#include "app/gui/ResourceIds.h"
#include "app/gui/SoundService.h"
#include "msrc/Objects/SortVocabulary.h"
#include "platform/HostEnv.h"

const char* const CSortChangerDlg::kNotInstalledText =
    "The Velt was not detected on this computer. You must have The Velt installed to use "
    "this program.";
const char* const CSortChangerDlg::kMessageCaption = "error";

namespace {

constexpr int kSortCombos[] = {kControlFunctionSort, kControlSubsort, kControlRoomSort};
// The sort controls: the three combo boxes and the five downtown boxes.
constexpr int kSortControls[] = {kControlFunctionSort, kControlSubsort, kControlRoomSort,
                                 kControlDining,       kControlOutdoor, kControlShopping,
                                 kControlStreet,       kControlOther};

void PlayClick() { SoundService::Instance().Play(QStringLiteral("Click")); }

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
    ShowMessage(QString::fromLatin1(kNotInstalledText));
    QuitRequest::Post(0);
  }

  fScanFolder.Assign(fObjectFolder);
  FillFileList(fScanFolder);
  Item(kControlSave)->setEnabled(false);
  ResetSortControls();
  // Selections made by the program report nothing, so the object list is
  // filled here.
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
    case kControlFunctionSort:
      if (code == Notify::kSelChange) OnFunctionSortChanged();
      return;
    case kControlSubsort:
      if (code == Notify::kSelChange) OnSubsortChanged();
      return;
    case kControlRoomSort:
      if (code == Notify::kSelChange) OnRoomSortChanged();
      return;
    case kControlDining:
    case kControlOutdoor:
    case kControlShopping:
    case kControlStreet:
    case kControlOther:
      if (code == Notify::kClicked) OnDowntownClicked();
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
  PlayClick();
  CAboutDlg about(this);
  about.DoModal();
}

void CSortChangerDlg::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageCaption), text, QMessageBox::Ok, this);
  box.exec();
}

void CSortChangerDlg::FillFileList(const StringBuffer& folder) {
  fScanFolder.Assign(folder);
  fOrganizer.Files().Fill(fScanFolder);
  const FileList& files = fOrganizer.Files();
  QListWidget* list = ListBox(kControlFiles);
  const QSignalBlocker quiet(list);
  list->clear();
  for (size_t i = 0; i < files.Count(); ++i) list->addItem(QString::fromUtf8(files.Line(i).Text()));
}

void CSortChangerDlg::TakeSelection() {
  fOrganizer.SelectFile(ListBox(kControlFiles)->currentRow());
  fOrganizer.SelectObject(ListBox(kControlObjects)->currentRow());
}

void CSortChangerDlg::FillObjectList() {
  fOrganizer.SelectFile(ListBox(kControlFiles)->currentRow());
  fOrganizer.FillObjectList();
  QListWidget* list = ListBox(kControlObjects);
  {
    const QSignalBlocker quiet(list);
    list->clear();
    // Resource names are 8-bit text of the game's Windows code page; Latin-1
    // shows its letters.
    for (size_t i = 0; i < fOrganizer.ObjectCount(); ++i) {
      list->addItem(QString::fromLatin1(fOrganizer.ObjectLine(i).Text()));
    }
  }
  SetCurSel(list, fOrganizer.SelectedObject());
  LoadObjectSorts();
}

void CSortChangerDlg::LoadObjectSorts() {
  TakeSelection();
  const LoadResult result = fOrganizer.LoadObjectSorts();
  if (result == LoadResult::kNothingSelected || result == LoadResult::kNotFound) return;
  if (result == LoadResult::kNotInCatalogue) {
    CErrorBox box(this);
    box.DoModal();
  }
  Item(kControlSave)->setEnabled(false);
  ShowSorts();
}

void CSortChangerDlg::ResetSortControls() {
  for (const DowntownBox& box : DowntownBoxes()) CheckBox(box.fControl)->setChecked(false);
  for (int id : kSortCombos) ComboBox(id)->setCurrentIndex(0);
  QComboBox* subsort = ComboBox(kControlSubsort);
  subsort->clear();
  subsort->addItem(QString::fromLatin1(SubsortItems(0).front()));
}

void CSortChangerDlg::ShowSorts() {
  ResetSortControls();
  const SortValues& sorts = fOrganizer.CurrentSorts();
  if (!sorts.InBuyCatalogue()) {
    for (int id : kSortControls) Item(id)->setEnabled(false);
    return;
  }
  for (int id : kSortControls) Item(id)->setEnabled(true);

  ComboBox(kControlRoomSort)->setCurrentIndex(SortItemForValue(sorts.fRoom));
  const int functionItem = SortItemForValue(sorts.fFunction);
  if (functionItem != 0) ComboBox(kControlFunctionSort)->setCurrentIndex(functionItem);

  // After the "None" the reset left: the function sort's four subsorts (none
  // for a value that is not a single bit), then "Other".
  QComboBox* subsort = ComboBox(kControlSubsort);
  const auto items = SubsortItems(sorts.fFunction);
  for (size_t i = 1; i < items.size(); ++i) subsort->addItem(QString::fromLatin1(items[i]));
  subsort->setCurrentIndex(0);
  subsort->setEnabled(sorts.fFunction != 0);
  subsort->setCurrentIndex(SubsortItemForValue(sorts.fFunction, sorts.fSubsort));

  const auto boxes = DowntownBoxes();
  for (size_t i = 0; i < boxes.size(); ++i) {
    CheckBox(boxes[i].fControl)->setChecked(DowntownBoxTicked(sorts.fDowntown, static_cast<int32_t>(i)));
  }
}

void CSortChangerDlg::SortChanged() {
  PlayClick();
  Item(kControlSave)->setEnabled(true);
}

void CSortChangerDlg::OnFunctionSortChanged() {
  // The subsort keeps its value: the same bit names the matching subsort of
  // the new function sort.
  fOrganizer.SetFunctionSort(SortValueForItem(ComboBox(kControlFunctionSort)->currentIndex()));
  ShowSorts();
  SortChanged();
}

void CSortChangerDlg::OnSubsortChanged() {
  fOrganizer.SetSubsort(SortValueForItem(ComboBox(kControlSubsort)->currentIndex()));
  SortChanged();
}

void CSortChangerDlg::OnRoomSortChanged() {
  fOrganizer.SetRoomSort(SortValueForItem(ComboBox(kControlRoomSort)->currentIndex()));
  ShowSorts();
  SortChanged();
}

void CSortChangerDlg::OnDowntownClicked() {
  // The box has toggled itself already; bits without a box are dropped.
  const auto boxes = DowntownBoxes();
  std::array<bool, 8> ticked{};
  for (size_t i = 0; i < boxes.size() && i < ticked.size(); ++i) {
    ticked[i] = CheckBox(boxes[i].fControl)->isChecked();
  }
  fOrganizer.SetDowntownSort(
      DowntownValueFromBoxes(std::span<const bool>(ticked.data(), std::min(boxes.size(), ticked.size()))));
  SortChanged();
}

void CSortChangerDlg::OnSave() {
  PlayClick();
  TakeSelection();
  const SaveResult result = fOrganizer.Save();
  if (result.Succeeded()) {
    Item(kControlSave)->setEnabled(false);
    // The sorts are saved; the player still hears what went wrong after.
    if (result.fStatus == SaveResult::Status::kSavedWithWarning) ShowMessage(QString::fromStdString(result.fReason));
  } else if (result.fStatus == SaveResult::Status::kFailed) {
    // Save stays enabled: the change is still only in the dialog.
    ShowMessage(QString::fromStdString(result.fReason));
  }
}
