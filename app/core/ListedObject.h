#pragma once

#include <cstdint>

#include "msrc/Util/FixedStringBuffer.h"

// One line of an object list: the resource id of an object definition (a
// stand-alone one or the lead of a group) and its resource name, of which at
// most 63 characters are kept.
struct ListedObject {
  static constexpr int32_t kNameCapacity = 64;

  int16_t fId = 0;
  FixedStringBuffer<kNameCapacity> fName;
};
