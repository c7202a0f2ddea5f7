#include "tools/demo/FarArchiveWriter.h"

#include <cstdint>

namespace tools {

namespace {

constexpr uint32_t kHeaderSize = 16;
constexpr uint32_t kVersion = 1;

void Put32(std::string* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>((value >> shift) & 0xFF));
}

}  // namespace

void FarArchiveWriter::Add(std::string name, std::string bytes) {
  fMembers.emplace_back(std::move(name), std::move(bytes));
}

std::string FarArchiveWriter::Bytes() const {
  std::string data;
  std::vector<uint32_t> offsets;
  for (const auto& member : fMembers) {
    offsets.push_back(kHeaderSize + static_cast<uint32_t>(data.size()));
    data += member.second;
  }
  std::string archive = "FAR!byQX";
  Put32(&archive, kVersion);
  Put32(&archive, kHeaderSize + static_cast<uint32_t>(data.size()));
  archive += data;
  Put32(&archive, static_cast<uint32_t>(fMembers.size()));
  for (size_t i = 0; i < fMembers.size(); ++i) {
    const auto& [name, bytes] = fMembers[i];
    Put32(&archive, static_cast<uint32_t>(bytes.size()));
    Put32(&archive, static_cast<uint32_t>(bytes.size()));
    Put32(&archive, offsets[i]);
    Put32(&archive, static_cast<uint32_t>(name.size()));
    archive += name;
  }
  return archive;
}

}  // namespace tools
