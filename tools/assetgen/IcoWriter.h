#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/Canvas.h"

namespace tools {

// Encodes square pictures as one Windows icon file (.ico), one image a size:
//   ICONDIR (6 bytes): reserved 0, type 1 (icon), number of images;
//   one ICONDIRENTRY (16 bytes) an image: width and height (0 for 256),
//     colour count 0, reserved 0, 1 plane, 32 bits per pixel, size of the
//     image data, offset of the image data from the start of the file;
//   each image's data: a BITMAPINFOHEADER (40 bytes: size 40, width, twice
//     the height, 1 plane, 32 bits per pixel, compression 0, size of both
//     masks, 0, 0, 0 colours, 0 important), then the colour rows bottom up,
//     blue, green, red, alpha (255: the pictures are opaque), then the
//     1-bit AND mask rows bottom up, padded to 4 bytes, all 0 (draw every
//     pixel).
// All numbers are little-endian.
class IcoWriter {
 public:
  static constexpr std::uint32_t kDirectorySize = 6;
  static constexpr std::uint32_t kEntrySize = 16;
  static constexpr int kLargestSize = 256;

  // Empty when a picture is not square or is larger than kLargestSize.
  static std::vector<std::uint8_t> Encode(const std::vector<Canvas>& pictures);
};

}  // namespace tools
