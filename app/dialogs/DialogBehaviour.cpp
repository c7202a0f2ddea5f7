#include "app/dialogs/DialogBehaviour.h"

#include "app/dialogs/DialogResources.h"
#include "app/dialogs/ResourceIds.h"
#include "app/dialogs/iDialogFace.h"

DialogBehaviour::DialogBehaviour(int templateId) : fTemplate(DialogResources::Find(templateId)) {}

DialogBehaviour::~DialogBehaviour() = default;

bool DialogBehaviour::OnInitDialog() {
  for (const ControlTemplate& control : fTemplate.controls) {
    if (control.kind != ControlKind::kComboBox || control.items.empty()) continue;
    Face().ComboReset(control.id);
    for (const std::string& item : control.items) Face().ComboAddString(control.id, item);
    Face().ComboSetCurSel(control.id, -1);
  }
  return true;
}

void DialogBehaviour::OnCommand(int controlId, Notify code) {
  if (code == Notify::kKillFocus) {
    const ControlTemplate* control = fTemplate.Find(controlId);
    // Only a choice from the list changes a combo box. Text typed into its
    // edit field gives way to the item that still holds when the field is
    // left, so that it never looks like the value.
    if (control && control->kind == ControlKind::kComboBox) {
      Face().ComboSetCurSel(controlId, Face().ComboGetCurSel(controlId));
    }
    return;
  }
  if (code != Notify::kClicked) return;
  if (controlId == kIdOk) OnOK();
  if (controlId == kIdCancel) OnCancel();
}

bool DialogBehaviour::OnSysCommand(unsigned) { return false; }

void DialogBehaviour::OnTimer(int) {}

void DialogBehaviour::OnLButtonUp() {}

void DialogBehaviour::OnClose() { OnCancel(); }

void DialogBehaviour::OnOK() { Face().EndDialog(kIdOk); }

void DialogBehaviour::OnCancel() { Face().EndDialog(kIdCancel); }
