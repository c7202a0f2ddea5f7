#include "tests/filesystem/FarWriter.h"

std::string FarWriter::Int32(int32_t value) {
  const auto raw = static_cast<uint32_t>(value);
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((raw >> shift) & 0xFF));
  return bytes;
}

std::string FarWriter::Header(int32_t directoryOffset) {
  return std::string("FAR!byQX") + Int32(1) + Int32(directoryOffset);
}

std::string FarWriter::Entry(int32_t length, int32_t dataOffset, std::string_view name) {
  return Int32(length) + Int32(length) + Int32(dataOffset) + Int32(static_cast<int32_t>(name.size())) +
         std::string(name);
}

std::string FarWriter::Bytes() const {
  std::string data;
  std::string directory = Int32(static_cast<int32_t>(fMembers.size()));
  for (const auto& [name, bytes] : fMembers) {
    directory += Entry(static_cast<int32_t>(bytes.size()), kHeaderSize + static_cast<int32_t>(data.size()), name);
    data += bytes;
  }
  return Header(kHeaderSize + static_cast<int32_t>(data.size())) + data + directory;
}
