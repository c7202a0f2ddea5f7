#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Reads generation-2 IFF bytes back without the code under test, to check
// what a file holds on disk.
class IFF2Reader {
 public:
  struct Block {
    int32_t offset;
    std::string type;
    int32_t size;
    int16_t id;
    uint16_t flags;
    std::string name;  // up to the first zero of the field
    std::string payload;
    bool IsFree() const { return (flags & 0x0004) != 0; }
  };

  explicit IFF2Reader(std::string bytes);

  // "2.5", "2.0", ...
  std::string Version() const;
  uint32_t MapOffset() const;
  // The chain from offset 64; stops at a size below 76 and at a block that
  // does not fit in the file.
  std::vector<Block> Blocks() const;
  // The resources (blocks that are not free) in file order.
  std::vector<Block> Resources() const;
  std::optional<Block> At(int32_t offset) const;
  int32_t FreeBytes() const;
  // The chain ends exactly at the end of the bytes.
  bool Whole() const;
  // The invalid total stored in the map block the header names.
  std::optional<int32_t> StoredInvalidTotal() const;

 private:
  std::string fBytes;
};
