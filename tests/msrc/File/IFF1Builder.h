#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Lays out generation-1 IFF files byte by byte, without the code under test:
// the exact 64-byte header, then blocks with 16-byte headers appended in
// order. Walk reads such bytes back the same way.
class IFF1Builder {
 public:
  using Names = std::vector<std::pair<int32_t, std::string>>;

  struct Stored {
    int32_t offset;
    std::string type;
    int32_t size;
    int16_t id;
    uint16_t flags;
    int32_t nameIndex;
    std::string payload;
    bool IsFree() const { return (flags & 0x0004) != 0; }
  };

  IFF1Builder();

  // Appends a block and returns its offset.
  int32_t Block(std::string_view type, int16_t id, uint16_t flags, int32_t nameIndex, std::string_view payload);
  // Appends the names cache ('NAME' id 1, flags 0x0018, no name).
  int32_t NamesCache(const Names& names);
  // Appends the older names cache ('NAME' id 0, flags 0x0018).
  int32_t OldNamesCache(const Names& names);
  // Appends a free block of `size` bytes in all (at least 16).
  int32_t Free(int32_t size);
  // Appends bytes as they are.
  int32_t Raw(std::string_view bytes);
  int32_t End() const { return static_cast<int32_t>(fBytes.size()); }
  const std::string& Bytes() const { return fBytes; }

  static std::string FileHeader();
  static std::string BlockHeader(std::string_view type, int32_t size, int16_t id, uint16_t flags, int32_t nameIndex);
  // The id-1 payload: serializer header (little-endian, version 0, 'NAME'),
  // count, then key and zero-terminated name, padded to even with 0xA3.
  static std::string NamesPayload(const Names& names);
  // The id-0 payload: per name a little-endian key, a length byte, the bytes.
  static std::string OldNamesPayload(const Names& names);
  static std::string BigEndian32(uint32_t value);
  static std::string LittleEndian32(uint32_t value);

  // The chain from offset 64, up to a size below 16 or a block that does not
  // fit in the bytes.
  static std::vector<Stored> Walk(const std::string& bytes);
  // The blocks that are not free, in file order.
  static std::vector<Stored> Resources(const std::string& bytes);
  static int32_t FreeBytes(const std::string& bytes);

 private:
  std::string fBytes;
};
