#include "app/gui/CErrorBox.h"

#include <QLabel>

#include "app/gui/ResourceIds.h"

CErrorBox::CErrorBox(QWidget* parent) : COkBox(kDialogError, parent) {}

bool CErrorBox::OnInitDialog() {
  const bool result = COkBox::OnInitDialog();
  fMessage = qobject_cast<QLabel*>(Item(kControlErrorText));
  return result;
}
