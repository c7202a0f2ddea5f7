#include "app/gui/COkBox.h"

#include "app/gui/ResourceIds.h"
#include "app/gui/SoundService.h"

COkBox::COkBox(int templateId, QWidget* parent) : TemplateDialog(templateId, parent) {}

bool COkBox::OnInitDialog() {
  AutoLoad(kIdOk);
  return TemplateDialog::OnInitDialog();
}

void COkBox::OnOK() {
  SoundService::Instance().Play(QStringLiteral("Click"));
  TemplateDialog::OnOK();
}
