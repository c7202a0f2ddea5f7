#pragma once

#include <cstdint>
#include <vector>

namespace tools {

// Encodes mono 16-bit PCM sound as a canonical 44-byte-header wave file:
//   "RIFF", size of everything after this field (36 + data size), "WAVE",
//   "fmt ", 16, format 1 (PCM), 1 channel, sample rate, byte rate
//   (rate * 2), block align 2, 16 bits per sample,
//   "data", data size, then the samples.
// All numbers are little-endian.
class WavWriter {
 public:
  static constexpr std::uint32_t kHeaderSize = 44;
  static constexpr std::uint32_t kSampleRate = 22050;

  static std::vector<std::uint8_t> Encode(const std::vector<std::int16_t>& samples,
                                          std::uint32_t sampleRate = kSampleRate);
};

}  // namespace tools
