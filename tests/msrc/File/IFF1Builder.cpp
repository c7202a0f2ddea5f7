#include "tests/msrc/File/IFF1Builder.h"

namespace {

uint32_t ReadBig(const std::string& bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

}  // namespace

std::string IFF1Builder::BigEndian32(uint32_t value) {
  std::string bytes;
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string IFF1Builder::LittleEndian32(uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string IFF1Builder::FileHeader() {
  std::string header = "IFF FILE 1.0:TYPE FOLLOWED BY SIZE";
  header += '\0';
  header += " ODREN VASKHOLM & KORVA 1996";
  header += '\0';
  return header;
}

std::string IFF1Builder::BlockHeader(std::string_view type, int32_t size, int16_t id, uint16_t flags,
                                     int32_t nameIndex) {
  std::string header(type.substr(0, 4));
  header += BigEndian32(static_cast<uint32_t>(size));
  header += static_cast<char>(static_cast<uint16_t>(id) >> 8);
  header += static_cast<char>(static_cast<uint16_t>(id) & 0xFF);
  header += static_cast<char>(flags >> 8);
  header += static_cast<char>(flags & 0xFF);
  header += BigEndian32(static_cast<uint32_t>(nameIndex));
  return header;
}

std::string IFF1Builder::NamesPayload(const Names& names) {
  std::string bytes(4, '\0');
  bytes += LittleEndian32(0);
  bytes += "EMAN";
  std::string payload = LittleEndian32(static_cast<uint32_t>(names.size()));
  for (const auto& [key, name] : names) {
    payload += LittleEndian32(static_cast<uint32_t>(key));
    payload += name;
    payload += '\0';
    if (payload.size() % 2 != 0) payload += '\xA3';
  }
  return bytes + payload;
}

std::string IFF1Builder::OldNamesPayload(const Names& names) {
  std::string payload;
  for (const auto& [key, name] : names) {
    payload += LittleEndian32(static_cast<uint32_t>(key));
    payload += static_cast<char>(name.size());
    payload += name;
  }
  return payload;
}

IFF1Builder::IFF1Builder() : fBytes(FileHeader()) {}

int32_t IFF1Builder::Block(std::string_view type, int16_t id, uint16_t flags, int32_t nameIndex,
                           std::string_view payload) {
  const int32_t offset = End();
  fBytes += BlockHeader(type, static_cast<int32_t>(payload.size()) + 16, id, flags, nameIndex);
  fBytes += payload;
  return offset;
}

int32_t IFF1Builder::NamesCache(const Names& names) { return Block("NAME", 1, 0x0018, -1, NamesPayload(names)); }

int32_t IFF1Builder::OldNamesCache(const Names& names) {
  return Block("NAME", 0, 0x0018, -1, OldNamesPayload(names));
}

int32_t IFF1Builder::Free(int32_t size) {
  const int32_t offset = End();
  fBytes += BlockHeader("XXXX", size, 0, 0x0004, -1);
  fBytes += std::string(static_cast<size_t>(size - 16), '\xEE');
  return offset;
}

int32_t IFF1Builder::Raw(std::string_view bytes) {
  const int32_t offset = End();
  fBytes += bytes;
  return offset;
}

std::vector<IFF1Builder::Stored> IFF1Builder::Walk(const std::string& bytes) {
  std::vector<Stored> blocks;
  size_t offset = 64;
  while (offset + 16 <= bytes.size()) {
    Stored block;
    block.offset = static_cast<int32_t>(offset);
    block.type = bytes.substr(offset, 4);
    block.size = static_cast<int32_t>(ReadBig(bytes, offset + 4, 4));
    block.id = static_cast<int16_t>(ReadBig(bytes, offset + 8, 2));
    block.flags = static_cast<uint16_t>(ReadBig(bytes, offset + 10, 2));
    block.nameIndex = static_cast<int32_t>(ReadBig(bytes, offset + 12, 4));
    if (block.size < 16 || offset + static_cast<size_t>(block.size) > bytes.size()) break;
    block.payload = bytes.substr(offset + 16, static_cast<size_t>(block.size) - 16);
    blocks.push_back(block);
    offset += static_cast<size_t>(block.size);
  }
  return blocks;
}

std::vector<IFF1Builder::Stored> IFF1Builder::Resources(const std::string& bytes) {
  std::vector<Stored> resources;
  for (const Stored& block : Walk(bytes)) {
    if (!block.IsFree()) resources.push_back(block);
  }
  return resources;
}

int32_t IFF1Builder::FreeBytes(const std::string& bytes) {
  int32_t total = 0;
  for (const Stored& block : Walk(bytes)) {
    if (block.IsFree()) total += block.size;
  }
  return total;
}
