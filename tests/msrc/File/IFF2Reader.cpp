#include "tests/msrc/File/IFF2Reader.h"

#include <utility>

namespace {

uint32_t Big32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

uint32_t Little32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

IFF2Reader::IFF2Reader(std::string bytes) : fBytes(std::move(bytes)) {}

std::string IFF2Reader::Version() const { return fBytes.size() >= 64 ? fBytes.substr(9, 3) : ""; }

uint32_t IFF2Reader::MapOffset() const { return fBytes.size() >= 64 ? Big32(fBytes, 60) : 0; }

std::optional<IFF2Reader::Block> IFF2Reader::At(int32_t offset) const {
  const size_t at = static_cast<size_t>(offset);
  if (offset < 64 || at + 76 > fBytes.size()) return std::nullopt;
  Block block;
  block.offset = offset;
  block.type = fBytes.substr(at, 4);
  block.size = static_cast<int32_t>(Big32(fBytes, at + 4));
  block.id = static_cast<int16_t>((static_cast<uint8_t>(fBytes[at + 8]) << 8) | static_cast<uint8_t>(fBytes[at + 9]));
  block.flags =
      static_cast<uint16_t>((static_cast<uint8_t>(fBytes[at + 10]) << 8) | static_cast<uint8_t>(fBytes[at + 11]));
  block.name = fBytes.substr(at + 12, 64);
  block.name.resize(block.name.find('\0') == std::string::npos ? 64 : block.name.find('\0'));
  if (block.size < 76 || at + static_cast<size_t>(block.size) > fBytes.size()) return std::nullopt;
  block.payload = fBytes.substr(at + 76, static_cast<size_t>(block.size) - 76);
  return block;
}

std::vector<IFF2Reader::Block> IFF2Reader::Blocks() const {
  std::vector<Block> blocks;
  for (int32_t offset = 64;;) {
    std::optional<Block> block = At(offset);
    if (!block) return blocks;
    offset += block->size;
    blocks.push_back(std::move(*block));
  }
}

std::vector<IFF2Reader::Block> IFF2Reader::Resources() const {
  std::vector<Block> resources;
  for (Block& block : Blocks()) {
    if (!block.IsFree()) resources.push_back(std::move(block));
  }
  return resources;
}

int32_t IFF2Reader::FreeBytes() const {
  int32_t total = 0;
  for (const Block& block : Blocks()) total += block.IsFree() ? block.size : 0;
  return total;
}

bool IFF2Reader::Whole() const {
  int64_t end = 64;
  for (const Block& block : Blocks()) end = block.offset + int64_t{block.size};
  return end == static_cast<int64_t>(fBytes.size());
}

std::optional<int32_t> IFF2Reader::StoredInvalidTotal() const {
  const std::optional<Block> map = At(static_cast<int32_t>(MapOffset()));
  if (!map || map->type != "rsmp" || map->payload.size() < 16) return std::nullopt;
  return static_cast<int32_t>(Little32(map->payload, 12));
}
