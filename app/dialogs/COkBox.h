#pragma once

#include "app/dialogs/DialogBehaviour.h"

// A small box whose only button is a bitmap OK button (control 1). OK, by the
// button or the Enter key, plays the click sound and ends the box; Escape and
// the close box end it silently.
class COkBox : public DialogBehaviour {
 public:
  explicit COkBox(int templateId);

 protected:
  void OnOK() override;
};
