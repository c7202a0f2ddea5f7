#include "app/dialogs/CSortChangerDlg.h"

#include <algorithm>
#include <array>
#include <string>

#include "app/core/GameFolder.h"
#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/CErrorBox.h"
#include "app/dialogs/ResourceIds.h"
#include "app/dialogs/SoundService.h"
#include "app/dialogs/iDialogFace.h"
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

void PlayClick() { SoundService::Instance().Play("Click"); }

// Resource names are 8-bit text of the game's Windows code page; read as
// Latin-1, their letters survive the trip to the faces' UTF-8.
std::string Latin1ToUtf8(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

}  // namespace

CSortChangerDlg::CSortChangerDlg() : DialogBehaviour(kDialogMain) {}

bool CSortChangerDlg::OnInitDialog() {
  DialogBehaviour::OnInitDialog();

  if (Template().style & kFrameSysMenu) {
    const std::string about = Face().ResourceString(kStringAboutItem);
    if (!about.empty()) {
      Face().AppendWindowMenuSeparator();
      Face().AppendWindowMenuItem(kCommandAbout, about);
    }
  }
  Face().SetIcon(kIconMain);

  const GameFolder::Status status =
      GameFolder::ReadObjectFolder(platform::HostEnv::Current().MachineRegistry(), &fObjectFolder);
  if (status == GameFolder::Status::kKeyNotOpened) {
    Face().ShowMessage(kNotInstalledText, kMessageCaption);
    Face().PostQuit(0);
  }

  fScanFolder.Assign(fObjectFolder);
  FillFileList(fScanFolder);
  Face().EnableItem(kControlSave, false);
  ResetSortControls();
  // Selections made by the program report nothing, so the object list is
  // filled here.
  Face().ListSetCurSel(kControlFiles, 0);
  FillObjectList();
  return true;
}

void CSortChangerDlg::OnCommand(int controlId, Notify code) {
  // Each control acts on its own notification; everything else takes the
  // common path.
  const bool chosen = code == Notify::kSelChange;
  const bool clicked = code == Notify::kClicked;
  switch (controlId) {
    case kControlFiles:
      if (chosen) return FillObjectList();
      break;
    case kControlObjects:
      if (chosen) return LoadObjectSorts();
      break;
    case kControlFunctionSort:
      if (chosen) return OnFunctionSortChanged();
      break;
    case kControlSubsort:
      if (chosen) return OnSubsortChanged();
      break;
    case kControlRoomSort:
      if (chosen) return OnRoomSortChanged();
      break;
    case kControlDining:
    case kControlOutdoor:
    case kControlShopping:
    case kControlStreet:
    case kControlOther:
      if (clicked) return OnDowntownClicked();
      break;
    case kControlAbout:
      if (clicked) return OnAbout();
      break;
    case kControlSave:
      if (clicked) return OnSave();
      break;
    default:
      break;
  }
  DialogBehaviour::OnCommand(controlId, code);
}

bool CSortChangerDlg::OnSysCommand(unsigned commandId) {
  if ((commandId & 0xFFF0) != kCommandAbout) return DialogBehaviour::OnSysCommand(commandId);
  CAboutDlg about;
  Face().RunModal(about);
  return true;
}

void CSortChangerDlg::OnAbout() {
  PlayClick();
  CAboutDlg about;
  Face().RunModal(about);
}

void CSortChangerDlg::FillFileList(const StringBuffer& folder) {
  fScanFolder.Assign(folder);
  fOrganizer.Files().Fill(fScanFolder);
  const FileList& files = fOrganizer.Files();
  Face().ListReset(kControlFiles);
  for (size_t i = 0; i < files.Count(); ++i) Face().ListAddString(kControlFiles, files.Line(i).Text());
}

void CSortChangerDlg::TakeSelection() {
  fOrganizer.SelectFile(Face().ListGetCurSel(kControlFiles));
  fOrganizer.SelectObject(Face().ListGetCurSel(kControlObjects));
}

void CSortChangerDlg::FillObjectList() {
  fOrganizer.SelectFile(Face().ListGetCurSel(kControlFiles));
  fOrganizer.FillObjectList();
  Face().ListReset(kControlObjects);
  for (size_t i = 0; i < fOrganizer.ObjectCount(); ++i) {
    Face().ListAddString(kControlObjects, Latin1ToUtf8(fOrganizer.ObjectLine(i).Text()));
  }
  Face().ListSetCurSel(kControlObjects, fOrganizer.SelectedObject());
  LoadObjectSorts();
}

void CSortChangerDlg::LoadObjectSorts() {
  TakeSelection();
  const LoadResult result = fOrganizer.LoadObjectSorts();
  if (result == LoadResult::kNothingSelected || result == LoadResult::kNotFound) return;
  if (result == LoadResult::kNotInCatalogue) {
    CErrorBox box;
    Face().RunModal(box);
  }
  Face().EnableItem(kControlSave, false);
  ShowSorts();
}

void CSortChangerDlg::ResetSortControls() {
  for (const DowntownBox& box : DowntownBoxes()) Face().SetCheck(box.fControl, false);
  for (int id : kSortCombos) Face().ComboSetCurSel(id, 0);
  Face().ComboReset(kControlSubsort);
  Face().ComboAddString(kControlSubsort, SubsortItems(0).front());
}

void CSortChangerDlg::ShowSorts() {
  ResetSortControls();
  const SortValues& sorts = fOrganizer.CurrentSorts();
  if (!sorts.InBuyCatalogue()) {
    for (int id : kSortControls) Face().EnableItem(id, false);
    return;
  }
  for (int id : kSortControls) Face().EnableItem(id, true);

  Face().ComboSetCurSel(kControlRoomSort, SortItemForValue(sorts.fRoom));
  const int functionItem = SortItemForValue(sorts.fFunction);
  if (functionItem != 0) Face().ComboSetCurSel(kControlFunctionSort, functionItem);

  // After the "None" the reset left: the function sort's four subsorts (none
  // for a value that is not a single bit), then "Other".
  const auto items = SubsortItems(sorts.fFunction);
  for (size_t i = 1; i < items.size(); ++i) Face().ComboAddString(kControlSubsort, items[i]);
  Face().ComboSetCurSel(kControlSubsort, 0);
  Face().EnableItem(kControlSubsort, sorts.fFunction != 0);
  Face().ComboSetCurSel(kControlSubsort, SubsortItemForValue(sorts.fFunction, sorts.fSubsort));

  const auto boxes = DowntownBoxes();
  for (size_t i = 0; i < boxes.size(); ++i) {
    Face().SetCheck(boxes[i].fControl, DowntownBoxTicked(sorts.fDowntown, static_cast<int32_t>(i)));
  }
}

void CSortChangerDlg::SortChanged() {
  PlayClick();
  Face().EnableItem(kControlSave, true);
}

void CSortChangerDlg::OnFunctionSortChanged() {
  // The subsort keeps its value: the same bit names the matching subsort of
  // the new function sort.
  fOrganizer.SetFunctionSort(SortValueForItem(Face().ComboGetCurSel(kControlFunctionSort)));
  ShowSorts();
  SortChanged();
}

void CSortChangerDlg::OnSubsortChanged() {
  fOrganizer.SetSubsort(SortValueForItem(Face().ComboGetCurSel(kControlSubsort)));
  SortChanged();
}

void CSortChangerDlg::OnRoomSortChanged() {
  fOrganizer.SetRoomSort(SortValueForItem(Face().ComboGetCurSel(kControlRoomSort)));
  ShowSorts();
  SortChanged();
}

void CSortChangerDlg::OnDowntownClicked() {
  // The box has toggled itself already; bits without a box are dropped.
  const auto boxes = DowntownBoxes();
  std::array<bool, 8> ticked{};
  const size_t count = std::min(boxes.size(), ticked.size());
  for (size_t i = 0; i < count; ++i) ticked[i] = Face().IsChecked(boxes[i].fControl);
  fOrganizer.SetDowntownSort(DowntownValueFromBoxes(std::span<const bool>(ticked.data(), count)));
  SortChanged();
}

void CSortChangerDlg::OnSave() {
  PlayClick();
  TakeSelection();
  const SaveResult result = fOrganizer.Save();
  if (result.Succeeded()) {
    Face().EnableItem(kControlSave, false);
    // The sorts are saved; the player still hears what went wrong after.
    if (result.fStatus == SaveResult::Status::kSavedWithWarning) Face().ShowMessage(result.fReason, kMessageCaption);
  } else if (result.fStatus == SaveResult::Status::kFailed) {
    // Save stays enabled: the change is still only in the dialog.
    Face().ShowMessage(result.fReason, kMessageCaption);
  }
}
