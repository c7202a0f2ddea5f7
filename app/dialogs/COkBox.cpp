#include "app/dialogs/COkBox.h"

#include "app/dialogs/SoundService.h"

COkBox::COkBox(int templateId) : DialogBehaviour(templateId) {}

void COkBox::OnOK() {
  SoundService::Instance().Play("Click");
  DialogBehaviour::OnOK();
}
