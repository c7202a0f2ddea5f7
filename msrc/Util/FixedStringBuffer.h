#pragma once

#include <cstdint>

#include "msrc/Util/StringBuffer.h"

// Holds the characters of a FixedStringBuffer. As a base listed before
// StringBuffer it is constructed first, so the storage exists by the time
// StringBuffer's constructor writes the terminator.
template <int32_t N>
struct FixedStringStorage {
  char fChars[N];
};

// A StringBuffer that owns its N characters of storage, making it one
// fixed-size value. Copies set up their own storage and copy the text.
template <int32_t N>
class FixedStringBuffer : private FixedStringStorage<N>, public StringBuffer {
  static_assert(N > 0, "a buffer needs room for its terminator");

 public:
  FixedStringBuffer() : StringBuffer(this->fChars, N) {}
  FixedStringBuffer(const char* text) : FixedStringBuffer() { Assign(text); }
  explicit FixedStringBuffer(const StringBuffer& other) : FixedStringBuffer() { Assign(other); }
  FixedStringBuffer(const FixedStringBuffer& other) : FixedStringBuffer() { Assign(other); }
  FixedStringBuffer& operator=(const FixedStringBuffer& other) {
    Assign(other);
    return *this;
  }
};
