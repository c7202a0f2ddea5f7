#pragma once

#include "app/gui/DialogTemplate.h"

// The program's four dialog resources: 100 (About box), 102 (main dialog),
// 190 (error box) and 201 (splash window).
class DialogResources {
 public:
  // The template with this id; an unknown id yields an empty template.
  static const DialogTemplate& Find(int dialogId);
};
