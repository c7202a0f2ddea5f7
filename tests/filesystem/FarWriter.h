#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Writes archive bytes for tests: the 16-byte header, the members' data back
// to back, then the directory. The pieces are public so that tests can put
// together damaged archives.
class FarWriter {
 public:
  void Add(std::string name, std::string data) { fMembers.emplace_back(std::move(name), std::move(data)); }
  std::string Bytes() const;

  static constexpr int32_t kHeaderSize = 16;

  static std::string Int32(int32_t value);
  // "FAR!byQX", version 1, the directory offset.
  static std::string Header(int32_t directoryOffset);
  // One directory entry; nameLength is the name's size.
  static std::string Entry(int32_t length, int32_t dataOffset, std::string_view name);

 private:
  std::vector<std::pair<std::string, std::string>> fMembers;
};
