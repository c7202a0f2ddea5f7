#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/Canvas.h"

namespace tools {

// Encodes pictures as PNG files, 8-bit RGB, for the icon theme of a Linux
// desktop:
//   the 8-byte signature 89 50 4E 47 0D 0A 1A 0A;
//   chunks of a big-endian length, a four-letter type, the data and a CRC-32
//   of type and data: IHDR (width, height, bit depth 8, colour type 2, no
//   interlace), one IDAT, IEND;
//   the IDAT data is a zlib stream (header 78 01) of stored deflate blocks of
//   at most 65,535 bytes, ending with the Adler-32 of the rows; each row is a
//   filter byte 0 and the pixels' red, green and blue.
// Stored blocks keep the writer free of a compression library, which the
// cross-built tools could not count on; icons are small.
class PngWriter {
 public:
  static std::vector<std::uint8_t> Encode(const Canvas& canvas);
};

}  // namespace tools
