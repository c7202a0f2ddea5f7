#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/Canvas.h"

namespace tools::test {

std::uint16_t Le16(const std::vector<std::uint8_t>& bytes, std::size_t at);
std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at);

// Reads an uncompressed 8- or 24-bit bottom-up bitmap back into a canvas.
// Checks every header field the generator writes, fails the current test and
// returns a 0 x 0 canvas when one is off.
Canvas DecodeBmp(const std::vector<std::uint8_t>& bytes);

// The samples of a canonical 44-byte-header mono 16-bit wave file.
std::vector<std::int16_t> WavSamples(const std::vector<std::uint8_t>& bytes);

}  // namespace tools::test
