#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/Canvas.h"

namespace tools {

// Encodes pictures as Windows bitmap files:
//   BITMAPFILEHEADER (14 bytes): "BM", file size, two reserved zero words,
//     offset of the pixel rows;
//   BITMAPINFOHEADER (40 bytes): header size 40, width, height (positive:
//     the bottom row comes first), 1 plane, bits per pixel (8 or 24),
//     compression 0 (none), size of the pixel rows, 3780 pixels per metre
//     (96 dpi) both ways, colours used (256 for 8-bit, 0 for 24-bit),
//     important colours 0;
//   8-bit only: a palette of 256 entries of blue, green, red, 0;
//   the rows, bottom up, each padded with zeros to a multiple of 4 bytes;
//     8-bit rows hold palette indices, 24-bit rows blue, green, red.
// All numbers are little-endian.
class BmpWriter {
 public:
  static constexpr std::uint32_t kFileHeaderSize = 14;
  static constexpr std::uint32_t kInfoHeaderSize = 40;
  static constexpr std::uint32_t kPaletteEntries = 256;

  // Bytes of one stored row of `width` pixels at `bitsPerPixel`.
  static std::uint32_t RowStride(int width, int bitsPerPixel);

  static std::vector<std::uint8_t> Encode24(const Canvas& canvas);

  // The palette lists the picture's colours in the order they are first met,
  // top row first, then black entries up to 256. Returns false and leaves
  // `out` empty when the picture has more than 256 colours.
  static bool Encode8(const Canvas& canvas, std::vector<std::uint8_t>* out);
};

}  // namespace tools
