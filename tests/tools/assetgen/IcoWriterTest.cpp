// The Windows icon file: its directory, each image's header and masks, and
// the pixels read back, for pictures of several sizes and for the program's
// own icon.
#include "tools/assetgen/IcoWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/tools/assetgen/TestBytes.h"
#include "tools/assetgen/AssetSet.h"
#include "tools/assetgen/PictureArt.h"

namespace tools {
namespace {

using test::Le16;
using test::Le32;

// One image of an icon file, read back by its directory entry; fails the
// test on any field that is off.
Canvas DecodeImage(const std::vector<std::uint8_t>& ico, int index) {
  const std::size_t entry = 6 + 16 * static_cast<std::size_t>(index);
  const int side = ico[entry] == 0 ? 256 : ico[entry];
  EXPECT_EQ(ico[entry + 1], ico[entry]) << "square";
  EXPECT_EQ(ico[entry + 2], 0) << "no palette";
  EXPECT_EQ(Le16(ico, entry + 4), 1u);
  EXPECT_EQ(Le16(ico, entry + 6), 32u);
  const std::uint32_t size = Le32(ico, entry + 8);
  const std::uint32_t offset = Le32(ico, entry + 12);
  const std::size_t colourStride = 4 * static_cast<std::size_t>(side);
  const std::size_t maskStride = ((static_cast<std::size_t>(side) + 31) / 32) * 4;
  EXPECT_EQ(size, 40 + (colourStride + maskStride) * side);
  if (offset + size > ico.size()) {
    ADD_FAILURE() << "image " << index << " runs past the end";
    return Canvas(0, 0, {});
  }
  EXPECT_EQ(Le32(ico, offset), 40u);
  EXPECT_EQ(Le32(ico, offset + 4), static_cast<std::uint32_t>(side));
  EXPECT_EQ(Le32(ico, offset + 8), static_cast<std::uint32_t>(2 * side)) << "colour rows and mask rows";
  EXPECT_EQ(Le16(ico, offset + 12), 1u);
  EXPECT_EQ(Le16(ico, offset + 14), 32u);
  EXPECT_EQ(Le32(ico, offset + 16), 0u);
  Canvas picture(side, side, {});
  const std::size_t rows = offset + 40;
  for (int y = 0; y < side; ++y) {
    const std::size_t row = rows + colourStride * static_cast<std::size_t>(side - 1 - y);
    for (int x = 0; x < side; ++x) {
      const std::size_t at = row + 4 * static_cast<std::size_t>(x);
      picture.Set(x, y, {ico[at + 2], ico[at + 1], ico[at]});
      EXPECT_EQ(ico[at + 3], 0xFF) << "opaque";
    }
  }
  const std::size_t mask = rows + colourStride * side;
  for (std::size_t i = 0; i < maskStride * side; ++i) EXPECT_EQ(ico[mask + i], 0) << "every pixel drawn";
  return picture;
}

Canvas Pattern(int side) {
  Canvas canvas(side, side, {10, 20, 30});
  canvas.Set(0, 0, {255, 0, 0});
  canvas.Set(side - 1, 0, {0, 255, 0});
  canvas.Set(0, side - 1, {0, 0, 255});
  canvas.Set(side - 1, side - 1, {1, 2, 3});
  return canvas;
}

TEST(IcoWriterTest, EveryImageComesBackPixelForPixelWhereItsEntrySays) {
  const std::vector<Canvas> pictures = {Pattern(16), Pattern(33), Pattern(256)};
  const std::vector<std::uint8_t> ico = IcoWriter::Encode(pictures);
  ASSERT_GE(ico.size(), 6u + 3 * 16);
  EXPECT_EQ(Le16(ico, 0), 0u);
  EXPECT_EQ(Le16(ico, 2), 1u) << "an icon, not a cursor";
  ASSERT_EQ(Le16(ico, 4), 3u);
  EXPECT_EQ(ico[6 + 2 * 16], 0) << "256 is written as 0";
  // The images follow the directory back to back and end the file.
  EXPECT_EQ(Le32(ico, 6 + 12), 6u + 3 * 16);
  EXPECT_EQ(Le32(ico, 6 + 16 + 12), Le32(ico, 6 + 12) + Le32(ico, 6 + 8));
  EXPECT_EQ(Le32(ico, 6 + 32 + 12) + Le32(ico, 6 + 32 + 8), ico.size());
  for (int i = 0; i < 3; ++i) {
    const Canvas back = DecodeImage(ico, i);
    ASSERT_EQ(back.Width(), pictures[i].Width());
    for (int y = 0; y < back.Height(); ++y) {
      for (int x = 0; x < back.Width(); ++x) ASSERT_EQ(back.At(x, y), pictures[i].At(x, y)) << i << ": " << x << "," << y;
    }
  }
}

TEST(IcoWriterTest, PicturesThatAreNotSquareOrTooLargeMakeNoFile) {
  EXPECT_TRUE(IcoWriter::Encode({Canvas(16, 15, {})}).empty());
  EXPECT_TRUE(IcoWriter::Encode({Pattern(16), Canvas(257, 257, {})}).empty());
}

TEST(IcoWriterTest, TheWindowsIconHoldsTheDialogsIconInEverySize) {
  const std::vector<std::uint8_t> ico = AssetSet::BuildWindowsIcon();
  ASSERT_GE(ico.size(), 6u);
  ASSERT_EQ(Le16(ico, 4), std::size(AssetSet::kWindowsIconSizes));
  const Canvas dialogs = PictureArt::MakeIcon();
  for (int i = 0; i < static_cast<int>(std::size(AssetSet::kWindowsIconSizes)); ++i) {
    const Canvas image = DecodeImage(ico, i);
    EXPECT_EQ(image.Width(), AssetSet::kWindowsIconSizes[i]);
    if (image.Width() != 32) continue;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) ASSERT_EQ(image.At(x, y), dialogs.At(x, y)) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace tools
