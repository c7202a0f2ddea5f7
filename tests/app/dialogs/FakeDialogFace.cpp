#include "tests/app/dialogs/FakeDialogFace.h"

#include <algorithm>

#include "app/dialogs/DialogResources.h"

int FakeDesktop::RunModal(DialogBehaviour& dialog) {
  if (quitCode) return -1;
  FakeDialogFace window(dialog, *this);
  window.Init();
  modals.push_back(dialog.Template().id);
  if (answer) {
    answer(window);
  } else {
    window.PressEscape();
  }
  if (quitCode) return -1;
  return window.EndedWith().value_or(-1);
}

FakeDialogFace::FakeDialogFace(DialogBehaviour& dialog, FakeDesktop& desktop) : fDialog(dialog), fDesktop(desktop) {
  for (const ControlTemplate& control : dialog.Template().controls) {
    if (control.id != kNoControlId) fControls[control.id].kind = control.kind;
  }
  fDialog.Attach(this);
}

FakeDialogFace::~FakeDialogFace() { fDialog.Attach(nullptr); }

std::string FakeDialogFace::ResourceString(int stringId) const { return DialogResources::String(stringId); }

FakeDialogFace::Control* FakeDialogFace::Find(int id, ControlKind kind) {
  const auto found = fControls.find(id);
  return found != fControls.end() && found->second.kind == kind ? &found->second : nullptr;
}

const FakeDialogFace::Control* FakeDialogFace::Find(int id, ControlKind kind) const {
  const auto found = fControls.find(id);
  return found != fControls.end() && found->second.kind == kind ? &found->second : nullptr;
}

std::vector<std::string> FakeDialogFace::Lines(int id) const {
  const Control* list = Find(id, ControlKind::kListBox);
  return list ? list->lines : std::vector<std::string>();
}

std::vector<std::string> FakeDialogFace::Items(int id) const {
  const Control* combo = Find(id, ControlKind::kComboBox);
  return combo ? combo->lines : std::vector<std::string>();
}

std::string FakeDialogFace::Text(int id) const {
  const Control* combo = Find(id, ControlKind::kComboBox);
  return combo ? combo->text : std::string();
}

int FakeDialogFace::Selection(int id) const {
  const auto found = fControls.find(id);
  return found == fControls.end() ? -1 : found->second.selection;
}

bool FakeDialogFace::Checked(int id) const { return IsChecked(id); }

bool FakeDialogFace::Enabled(int id) const {
  const auto found = fControls.find(id);
  return found != fControls.end() && found->second.enabled;
}

void FakeDialogFace::SelectLine(int id, int index) {
  if (!Enabled(id)) return;
  ListSetCurSel(id, index);
  fDialog.OnCommand(id, DialogBehaviour::Notify::kSelChange);
}

void FakeDialogFace::Choose(int id, const std::string& item) {
  if (!Enabled(id)) return;
  const std::vector<std::string> items = Items(id);
  const auto found = std::find(items.begin(), items.end(), item);
  ComboSetCurSel(id, found == items.end() ? -1 : static_cast<int>(found - items.begin()));
  fDialog.OnCommand(id, DialogBehaviour::Notify::kSelChange);
}

void FakeDialogFace::Type(int id, const std::string& text) {
  if (!Enabled(id)) return;
  if (Control* combo = Find(id, ControlKind::kComboBox)) combo->text = text;
}

void FakeDialogFace::Leave(int id) { fDialog.OnCommand(id, DialogBehaviour::Notify::kKillFocus); }

void FakeDialogFace::Click(int id) {
  if (!Enabled(id)) return;
  if (Control* check = Find(id, ControlKind::kCheckBox)) check->checked = !check->checked;
  fDialog.OnCommand(id, DialogBehaviour::Notify::kClicked);
}

void FakeDialogFace::ListReset(int id) {
  if (Control* list = Find(id, ControlKind::kListBox)) {
    list->lines.clear();
    list->selection = -1;
  }
}

void FakeDialogFace::ListAddString(int id, const std::string& text) {
  if (Control* list = Find(id, ControlKind::kListBox)) list->lines.push_back(text);
}

int FakeDialogFace::ListGetCurSel(int id) const { return Find(id, ControlKind::kListBox) ? Selection(id) : -1; }

void FakeDialogFace::ListSetCurSel(int id, int index) {
  Control* list = Find(id, ControlKind::kListBox);
  if (!list) return;
  list->selection = index >= 0 && index < static_cast<int>(list->lines.size()) ? index : -1;
}

void FakeDialogFace::ComboReset(int id) {
  if (Control* combo = Find(id, ControlKind::kComboBox)) {
    combo->lines.clear();
    combo->selection = -1;
    combo->text.clear();
  }
}

void FakeDialogFace::ComboAddString(int id, const std::string& text) {
  if (Control* combo = Find(id, ControlKind::kComboBox)) combo->lines.push_back(text);
}

int FakeDialogFace::ComboGetCurSel(int id) const { return Find(id, ControlKind::kComboBox) ? Selection(id) : -1; }

void FakeDialogFace::ComboSetCurSel(int id, int index) {
  Control* combo = Find(id, ControlKind::kComboBox);
  if (!combo) return;
  const bool valid = index >= 0 && index < static_cast<int>(combo->lines.size());
  combo->selection = valid ? index : -1;
  combo->text = valid ? combo->lines[static_cast<size_t>(index)] : std::string();
}

bool FakeDialogFace::IsChecked(int id) const {
  const Control* check = Find(id, ControlKind::kCheckBox);
  return check && check->checked;
}

void FakeDialogFace::SetCheck(int id, bool checked) {
  if (Control* check = Find(id, ControlKind::kCheckBox)) check->checked = checked;
}

void FakeDialogFace::EnableItem(int id, bool enabled) {
  const auto found = fControls.find(id);
  if (found != fControls.end()) found->second.enabled = enabled;
}

void FakeDialogFace::EndDialog(int result) { fEnded = result; }

void FakeDialogFace::ShowMessage(const std::string& text, const std::string& caption) {
  fDesktop.messages.push_back({text, caption});
}
