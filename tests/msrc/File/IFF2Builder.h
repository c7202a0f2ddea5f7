#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Lays out generation-2 IFF files byte by byte, without the code under test:
// the 64-byte header, then blocks appended in order.
class IFF2Builder {
 public:
  struct MapEntry {
    int32_t offset;
    int16_t id;
    uint16_t flags;
    std::string name;
  };
  struct MapType {
    std::string type;
    std::vector<MapEntry> entries;
  };

  explicit IFF2Builder(char major = '2', char minor = '5', uint32_t mapOffset = 0);

  void SetMapOffset(uint32_t mapOffset);
  // Appends a block and returns its offset.
  int32_t Block(std::string_view type, int16_t id, uint16_t flags, std::string_view name, std::string_view payload);
  // Appends a free block of `size` bytes in all (at least 76).
  int32_t Free(int32_t size);
  // Appends bytes as they are.
  int32_t Raw(std::string_view bytes);
  // The offset the next block would get.
  int32_t End() const { return static_cast<int32_t>(fBytes.size()); }
  const std::string& Bytes() const { return fBytes; }

  static std::string FileHeader(char major, char minor, uint32_t mapOffset);
  // 76 bytes; the name zero-padded (cut to 64 bytes).
  static std::string BlockHeader(std::string_view type, int32_t size, int16_t id, uint16_t flags,
                                 std::string_view name);
  // A resource map payload (serializer header, version 0, little-endian).
  static std::string MapPayload(int32_t invalidTotal, const std::vector<MapType>& types);
  static std::string LittleEndian32(uint32_t value);
  static std::string BigEndian32(uint32_t value);

 private:
  std::string fBytes;
};
