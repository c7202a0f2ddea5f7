// The desktop icon as PNG files: the format's own fixed bytes and checksums,
// the pixels read back from the stored blocks, and every size drawn from the
// dialogs' icon.
#include "tools/assetgen/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/AssetSet.h"
#include "tools/assetgen/PictureArt.h"

namespace tools {
namespace {

std::uint32_t Be32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) | (std::uint32_t{bytes[at + 2]} << 8) |
         bytes[at + 3];
}

// Reads back what PngWriter writes (one IDAT of stored blocks), failing the
// test on any field that is off.
Canvas Decode(const std::vector<std::uint8_t>& png) {
  const std::vector<std::uint8_t> signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 8), signature);
  EXPECT_EQ(Be32(png, 8), 13u);
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  const int width = static_cast<int>(Be32(png, 16));
  const int height = static_cast<int>(Be32(png, 20));
  EXPECT_EQ(std::vector<std::uint8_t>(png.begin() + 24, png.begin() + 29), (std::vector<std::uint8_t>{8, 2, 0, 0, 0}));
  const std::size_t idat = 33;
  EXPECT_EQ(std::string(png.begin() + idat + 4, png.begin() + idat + 8), "IDAT");
  const std::size_t length = Be32(png, idat);
  // IEND: no data, and the CRC-32 of "IEND" alone.
  const std::size_t iend = idat + 12 + length;
  EXPECT_EQ(Be32(png, iend), 0u);
  EXPECT_EQ(Be32(png, iend + 8), 0xAE426082u);
  EXPECT_EQ(iend + 12, png.size());

  std::vector<std::uint8_t> rows;
  std::size_t at = idat + 8;
  EXPECT_EQ(png[at], 0x78);
  EXPECT_EQ(png[at + 1], 0x01);
  at += 2;
  for (bool last = false; !last && at < iend;) {
    last = (png[at] & 1) != 0;
    const std::size_t count = png[at + 1] | (png[at + 2] << 8);
    EXPECT_EQ(count ^ 0xFFFF, static_cast<std::size_t>(png[at + 3] | (png[at + 4] << 8)));
    rows.insert(rows.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 5),
                png.begin() + static_cast<std::ptrdiff_t>(at + 5 + count));
    at += 5 + count;
  }
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const std::uint8_t byte : rows) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  EXPECT_EQ(Be32(png, at), (b << 16) | a);
  EXPECT_EQ(rows.size(), static_cast<std::size_t>(height) * (1 + 3 * width));
  Canvas canvas(width, height, {});
  for (int y = 0; y < height && rows.size() == static_cast<std::size_t>(height) * (1 + 3 * width); ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * (1 + 3 * width);
    EXPECT_EQ(rows[row], 0) << "filter of row " << y;
    for (int x = 0; x < width; ++x) {
      const std::size_t pixel = row + 1 + 3 * static_cast<std::size_t>(x);
      canvas.Set(x, y, {rows[pixel], rows[pixel + 1], rows[pixel + 2]});
    }
  }
  return canvas;
}

TEST(PngWriterTest, PixelsComeBackAcrossStoredBlocks) {
  // 200 x 120 x 3 bytes and row filters need two stored blocks.
  Canvas canvas(200, 120, {10, 20, 30});
  canvas.FillRect(5, 100, 190, 20, {250, 128, 1});
  const Canvas back = Decode(PngWriter::Encode(canvas));
  ASSERT_EQ(back.Width(), 200);
  ASSERT_EQ(back.Height(), 120);
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{5, 100}, std::pair{199, 119}, std::pair{4, 119}}) {
    EXPECT_EQ(back.At(x, y), canvas.At(x, y)) << x << "," << y;
  }
}

TEST(PngWriterTest, EverySizeOfTheDesktopIconIsTheDialogsIcon) {
  const std::vector<Asset> icons = AssetSet::BuildIcons();
  ASSERT_EQ(icons.size(), 6u);
  const Canvas dialogs = PictureArt::MakeIcon();
  for (const Asset& icon : icons) {
    const Canvas canvas = Decode(icon.bytes);
    EXPECT_EQ(icon.name, std::to_string(canvas.Width()) + "x" + std::to_string(canvas.Height()) + ".png");
    // A whole multiple of the 32-pixel icon shows its pixels, but where the
    // finer grid draws the roof's slopes.
    if (canvas.Width() % 32 != 0) continue;
    const int scale = canvas.Width() / 32;
    int same = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) same += canvas.At(x * scale + scale / 2, y * scale + scale / 2) == dialogs.At(x, y);
    }
    EXPECT_GE(same, 32 * 32 * 97 / 100) << icon.name;
  }
}

}  // namespace
}  // namespace tools
