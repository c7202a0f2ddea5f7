#pragma once

#include "app/dialogs/COkBox.h"

// Tells the player that the selected object is not in the buy catalogue, so
// its sorts cannot be changed. The message is the template's text (control
// 1036).
class CErrorBox : public COkBox {
 public:
  CErrorBox();
};
