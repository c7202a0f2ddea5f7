#include "tools/assetgen/IcoWriter.h"

#include "tools/assetgen/BmpWriter.h"
#include "tools/assetgen/LittleEndian.h"

namespace tools {

namespace {

std::uint32_t ImageSize(const Canvas& picture) {
  const auto rows = static_cast<std::uint32_t>(picture.Height());
  return BmpWriter::kInfoHeaderSize + BmpWriter::RowStride(picture.Width(), 32) * rows +
         BmpWriter::RowStride(picture.Width(), 1) * rows;
}

void PutImage(std::vector<std::uint8_t>& out, const Canvas& picture) {
  const auto width = static_cast<std::uint32_t>(picture.Width());
  const auto height = static_cast<std::uint32_t>(picture.Height());
  const std::uint32_t maskStride = BmpWriter::RowStride(picture.Width(), 1);
  PutLe32(out, BmpWriter::kInfoHeaderSize);
  PutLe32(out, width);
  PutLe32(out, 2 * height);
  PutLe16(out, 1);
  PutLe16(out, 32);
  PutLe32(out, 0);
  PutLe32(out, ImageSize(picture) - BmpWriter::kInfoHeaderSize);
  for (int i = 0; i < 4; ++i) PutLe32(out, 0);
  for (int y = picture.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const Rgb colour = picture.At(x, y);
      out.push_back(colour.b);
      out.push_back(colour.g);
      out.push_back(colour.r);
      out.push_back(0xFF);
    }
  }
  out.insert(out.end(), static_cast<std::size_t>(maskStride) * height, 0);
}

}  // namespace

std::vector<std::uint8_t> IcoWriter::Encode(const std::vector<Canvas>& pictures) {
  for (const Canvas& picture : pictures) {
    if (picture.Width() != picture.Height() || picture.Width() <= 0 || picture.Width() > kLargestSize) return {};
  }
  std::vector<std::uint8_t> out;
  PutLe16(out, 0);
  PutLe16(out, 1);
  PutLe16(out, static_cast<std::uint16_t>(pictures.size()));
  auto offset = static_cast<std::uint32_t>(kDirectorySize + kEntrySize * pictures.size());
  for (const Canvas& picture : pictures) {
    // A size of 256 does not fit the byte and is written as 0.
    const auto side = static_cast<std::uint8_t>(picture.Width() == kLargestSize ? 0 : picture.Width());
    out.push_back(side);
    out.push_back(side);
    out.push_back(0);
    out.push_back(0);
    PutLe16(out, 1);
    PutLe16(out, 32);
    PutLe32(out, ImageSize(picture));
    PutLe32(out, offset);
    offset += ImageSize(picture);
  }
  for (const Canvas& picture : pictures) PutImage(out, picture);
  return out;
}

}  // namespace tools
