#include "tools/assetgen/WavWriter.h"

#include <string_view>

#include "tools/assetgen/LittleEndian.h"

namespace tools {

namespace {

void PutTag(std::vector<std::uint8_t>& out, std::string_view tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

}  // namespace

std::vector<std::uint8_t> WavWriter::Encode(const std::vector<std::int16_t>& samples,
                                            std::uint32_t sampleRate) {
  const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + dataSize);
  PutTag(out, "RIFF");
  PutLe32(out, kHeaderSize - 8 + dataSize);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe32(out, 16);
  PutLe16(out, 1);
  PutLe16(out, 1);
  PutLe32(out, sampleRate);
  PutLe32(out, sampleRate * 2);
  PutLe16(out, 2);
  PutLe16(out, 16);
  PutTag(out, "data");
  PutLe32(out, dataSize);
  for (std::int16_t sample : samples) PutLe16(out, static_cast<std::uint16_t>(sample));
  return out;
}

}  // namespace tools
