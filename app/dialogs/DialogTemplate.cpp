#include "app/dialogs/DialogTemplate.h"

const ControlTemplate* DialogTemplate::Find(int controlId) const {
  for (const ControlTemplate& control : controls) {
    if (control.id == controlId && controlId != kNoControlId) return &control;
  }
  return nullptr;
}
