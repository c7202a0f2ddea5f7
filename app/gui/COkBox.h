#pragma once

#include "app/gui/TemplateDialog.h"

// A small box whose only button is a bitmap OK button (control 1). OK, by the
// button or the Enter key, plays the click sound and ends the box; Escape and
// the close box end it silently.
class COkBox : public TemplateDialog {
  Q_OBJECT

 public:
  COkBox(int templateId, QWidget* parent);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
};
