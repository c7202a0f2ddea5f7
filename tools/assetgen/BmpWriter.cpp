#include "tools/assetgen/BmpWriter.h"

#include <map>
#include <tuple>

#include "tools/assetgen/LittleEndian.h"

namespace tools {

namespace {

constexpr std::int32_t kPixelsPerMetre = 3780;

void PutHeaders(std::vector<std::uint8_t>& out, const Canvas& canvas, int bitsPerPixel,
                std::uint32_t paletteEntries) {
  const std::uint32_t imageSize =
      BmpWriter::RowStride(canvas.Width(), bitsPerPixel) * static_cast<std::uint32_t>(canvas.Height());
  const std::uint32_t dataOffset =
      BmpWriter::kFileHeaderSize + BmpWriter::kInfoHeaderSize + 4 * paletteEntries;
  out.reserve(dataOffset + imageSize);
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, dataOffset + imageSize);
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe32(out, dataOffset);

  PutLe32(out, BmpWriter::kInfoHeaderSize);
  PutLe32(out, static_cast<std::uint32_t>(canvas.Width()));
  PutLe32(out, static_cast<std::uint32_t>(canvas.Height()));
  PutLe16(out, 1);
  PutLe16(out, static_cast<std::uint16_t>(bitsPerPixel));
  PutLe32(out, 0);
  PutLe32(out, imageSize);
  PutLe32(out, static_cast<std::uint32_t>(kPixelsPerMetre));
  PutLe32(out, static_cast<std::uint32_t>(kPixelsPerMetre));
  PutLe32(out, paletteEntries);
  PutLe32(out, 0);
}

}  // namespace

std::uint32_t BmpWriter::RowStride(int width, int bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  const std::uint32_t bits = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel);
  return (bits + 31) / 32 * 4;
}

std::vector<std::uint8_t> BmpWriter::Encode24(const Canvas& canvas) {
  std::vector<std::uint8_t> out;
  PutHeaders(out, canvas, 24, 0);
  const std::uint32_t padding = RowStride(canvas.Width(), 24) - 3 * static_cast<std::uint32_t>(canvas.Width());
  for (int y = canvas.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const Rgb colour = canvas.At(x, y);
      out.push_back(colour.b);
      out.push_back(colour.g);
      out.push_back(colour.r);
    }
    out.insert(out.end(), padding, 0);
  }
  return out;
}

bool BmpWriter::Encode8(const Canvas& canvas, std::vector<std::uint8_t>* out) {
  out->clear();
  std::vector<Rgb> palette;
  std::map<std::tuple<int, int, int>, std::uint8_t> indexOf;
  std::vector<std::uint8_t> indices;
  indices.reserve(static_cast<std::size_t>(canvas.Width()) * static_cast<std::size_t>(canvas.Height()));
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const Rgb colour = canvas.At(x, y);
      const auto key = std::make_tuple(colour.r, colour.g, colour.b);
      auto found = indexOf.find(key);
      if (found == indexOf.end()) {
        if (palette.size() == kPaletteEntries) return false;
        found = indexOf.emplace(key, static_cast<std::uint8_t>(palette.size())).first;
        palette.push_back(colour);
      }
      indices.push_back(found->second);
    }
  }
  palette.resize(kPaletteEntries);

  PutHeaders(*out, canvas, 8, kPaletteEntries);
  for (const Rgb& colour : palette) {
    out->push_back(colour.b);
    out->push_back(colour.g);
    out->push_back(colour.r);
    out->push_back(0);
  }
  const std::size_t width = static_cast<std::size_t>(canvas.Width());
  const std::uint32_t padding = RowStride(canvas.Width(), 8) - static_cast<std::uint32_t>(width);
  for (int y = canvas.Height() - 1; y >= 0; --y) {
    const auto row = indices.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * width);
    out->insert(out->end(), row, row + static_cast<std::ptrdiff_t>(width));
    out->insert(out->end(), padding, 0);
  }
  return true;
}

}  // namespace tools
