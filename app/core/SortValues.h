#pragma once

#include <cstdint>

// The four catalogue sorts of one object definition as the organizer edits
// them. The record stores each as a signed 16-bit number; they are read
// sign-extended and written back as their low 16 bits.
struct SortValues {
  int32_t fDowntown = 0;
  int32_t fRoom = 0;
  int32_t fSubsort = 0;
  int32_t fFunction = 0;

  // The game's buy-mode catalogue offers an object only when it has a room
  // sort or a function sort.
  bool InBuyCatalogue() const { return fRoom != 0 || fFunction != 0; }

  bool operator==(const SortValues&) const = default;
};
