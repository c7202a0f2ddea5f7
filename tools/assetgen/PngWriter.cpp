#include "tools/assetgen/PngWriter.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tools {

namespace {

constexpr std::size_t kStoredBlockLimit = 65535;

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> entries{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const std::uint8_t byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::vector<std::uint8_t>& data) {
  Put32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

std::vector<std::uint8_t> PngWriter::Encode(const Canvas& canvas) {
  std::vector<std::uint8_t> rows;
  for (int y = 0; y < canvas.Height(); ++y) {
    rows.push_back(0);
    for (int x = 0; x < canvas.Width(); ++x) {
      const Rgb colour = canvas.At(x, y);
      rows.insert(rows.end(), {colour.r, colour.g, colour.b});
    }
  }
  std::vector<std::uint8_t> zlib = {0x78, 0x01};
  for (std::size_t done = 0; done < rows.size() || rows.empty();) {
    const std::size_t count = std::min(kStoredBlockLimit, rows.size() - done);
    const bool last = done + count == rows.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<std::uint8_t>(count));
    zlib.push_back(static_cast<std::uint8_t>(count >> 8));
    zlib.push_back(static_cast<std::uint8_t>(~count));
    zlib.push_back(static_cast<std::uint8_t>(~count >> 8));
    zlib.insert(zlib.end(), rows.begin() + static_cast<std::ptrdiff_t>(done),
                rows.begin() + static_cast<std::ptrdiff_t>(done + count));
    done += count;
    if (last) break;
  }
  Put32(zlib, Adler32(rows));

  std::vector<std::uint8_t> header;
  Put32(header, static_cast<std::uint32_t>(canvas.Width()));
  Put32(header, static_cast<std::uint32_t>(canvas.Height()));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace tools
