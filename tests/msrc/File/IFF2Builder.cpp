#include "tests/msrc/File/IFF2Builder.h"

namespace {

std::string BigEndian16(uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string LittleEndian16(uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

// A type code as the little-endian 32-bit number the map stores.
std::string TypeLittleEndian(std::string_view type) { return {type[3], type[2], type[1], type[0]}; }

}  // namespace

std::string IFF2Builder::LittleEndian32(uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string IFF2Builder::BigEndian32(uint32_t value) {
  std::string bytes;
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string IFF2Builder::FileHeader(char major, char minor, uint32_t mapOffset) {
  std::string header = "IFF FILE ";
  header += major;
  header += '.';
  header += minor;
  header += ":TYPE FOLLOWED BY SIZE";
  header += '\0';
  header += " ODREN VASKHOLM & KORVA 1";
  header += BigEndian32(mapOffset);
  return header;
}

std::string IFF2Builder::BlockHeader(std::string_view type, int32_t size, int16_t id, uint16_t flags,
                                     std::string_view name) {
  std::string header(type.substr(0, 4));
  header += BigEndian32(static_cast<uint32_t>(size));
  header += BigEndian16(static_cast<uint16_t>(id));
  header += BigEndian16(flags);
  std::string field(name.substr(0, 64));
  field.resize(64, '\0');
  return header + field;
}

std::string IFF2Builder::MapPayload(int32_t invalidTotal, const std::vector<MapType>& types) {
  std::string bytes(4, '\0');
  bytes += LittleEndian32(0);
  bytes += "pmsr";
  std::string payload = LittleEndian32(static_cast<uint32_t>(invalidTotal));
  payload += LittleEndian32(static_cast<uint32_t>(types.size()));
  for (const MapType& type : types) {
    payload += TypeLittleEndian(type.type);
    payload += LittleEndian32(static_cast<uint32_t>(type.entries.size()));
    for (const MapEntry& entry : type.entries) {
      payload += LittleEndian32(static_cast<uint32_t>(entry.offset));
      payload += LittleEndian16(static_cast<uint16_t>(entry.id));
      payload += LittleEndian16(entry.flags);
      payload += entry.name;
      payload += '\0';
      if (payload.size() % 2 != 0) payload += '\xA3';
    }
  }
  return bytes + payload;
}

IFF2Builder::IFF2Builder(char major, char minor, uint32_t mapOffset) : fBytes(FileHeader(major, minor, mapOffset)) {}

void IFF2Builder::SetMapOffset(uint32_t mapOffset) { fBytes.replace(60, 4, BigEndian32(mapOffset)); }

int32_t IFF2Builder::Block(std::string_view type, int16_t id, uint16_t flags, std::string_view name,
                           std::string_view payload) {
  const int32_t offset = End();
  fBytes += BlockHeader(type, static_cast<int32_t>(76 + payload.size()), id, flags, name);
  fBytes += payload;
  return offset;
}

int32_t IFF2Builder::Free(int32_t size) {
  const int32_t offset = End();
  fBytes += BlockHeader("XXXX", size, 0, 0x0004, "");
  fBytes += std::string(static_cast<size_t>(size - 76), '.');
  return offset;
}

int32_t IFF2Builder::Raw(std::string_view bytes) {
  const int32_t offset = End();
  fBytes += bytes;
  return offset;
}
