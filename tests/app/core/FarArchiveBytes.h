#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The bytes of a FAR archive holding `members` (name, data), for tests and
// benchmarks that need archives in a folder. Layout, integers 32-bit
// little-endian:
//   "FAR!byQX", version 1, directory offset
//   the members' data, back to back
//   directory: count, then per member {length, length2, dataOffset,
//   nameLength, name without terminator}
inline std::string FarArchiveBytes(const std::vector<std::pair<std::string, std::string>>& members) {
  auto put32 = [](std::string* out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>((value >> shift) & 0xFF));
  };
  std::string data;
  std::vector<uint32_t> offsets;
  constexpr uint32_t kHeaderSize = 16;
  for (const auto& [name, bytes] : members) {
    offsets.push_back(kHeaderSize + static_cast<uint32_t>(data.size()));
    data += bytes;
  }
  std::string archive = "FAR!byQX";
  put32(&archive, 1);
  put32(&archive, kHeaderSize + static_cast<uint32_t>(data.size()));
  archive += data;
  put32(&archive, static_cast<uint32_t>(members.size()));
  for (size_t i = 0; i < members.size(); ++i) {
    const auto& [name, bytes] = members[i];
    put32(&archive, static_cast<uint32_t>(bytes.size()));
    put32(&archive, static_cast<uint32_t>(bytes.size()));
    put32(&archive, offsets[i]);
    put32(&archive, static_cast<uint32_t>(name.size()));
    archive += name;
  }
  return archive;
}
