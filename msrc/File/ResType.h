#pragma once

#include <cstdint>

// A resource type code: four ASCII characters packed into 32 bits, the first
// character in the most significant byte ('OBJD' is 0x4F424A44). 0 means none.
using ResType = uint32_t;

constexpr ResType MakeResType(const char (&code)[5]) {
  return (static_cast<ResType>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<ResType>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<ResType>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<ResType>(static_cast<unsigned char>(code[3]));
}
