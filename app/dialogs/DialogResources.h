#pragma once

#include <span>

#include "app/dialogs/DialogTemplate.h"

// The program's four dialog resources: 100 (About box), 102 (main dialog),
// 190 (error box) and 201 (splash window), and its string table. Every face
// builds its windows from these.
class DialogResources {
 public:
  // The template with this id; an unknown id yields an empty template.
  static const DialogTemplate& Find(int dialogId);

  // The string table entry with this id; empty when there is none.
  static const char* String(int stringId);

  // Every dialog id and every string id, for a face that compiles them into
  // the program's resources.
  static std::span<const int> DialogIds();
  static std::span<const int> StringIds();
};
