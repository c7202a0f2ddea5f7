#pragma once

#include <cstdint>
#include <vector>

namespace tools {

// Appends numbers low byte first, as the Windows file formats (bitmaps, icons,
// waves) store them.
inline void PutLe16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace tools
