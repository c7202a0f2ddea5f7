#include "tools/assetgen/WavWriter.h"

#include <string_view>

namespace tools {

namespace {

void PutTag(std::vector<std::uint8_t>& out, std::string_view tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace

std::vector<std::uint8_t> WavWriter::Encode(const std::vector<std::int16_t>& samples,
                                            std::uint32_t sampleRate) {
  const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + dataSize);
  PutTag(out, "RIFF");
  Put32(out, kHeaderSize - 8 + dataSize);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, sampleRate);
  Put32(out, sampleRate * 2);
  Put16(out, 2);
  Put16(out, 16);
  PutTag(out, "data");
  Put32(out, dataSize);
  for (std::int16_t sample : samples) Put16(out, static_cast<std::uint16_t>(sample));
  return out;
}

}  // namespace tools
