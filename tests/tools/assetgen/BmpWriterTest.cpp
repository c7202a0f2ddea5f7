#include "tools/assetgen/BmpWriter.h"

#include <gtest/gtest.h>

#include "tests/tools/assetgen/TestBytes.h"

namespace tools {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Both headers for a 3 x 2 picture; only the depth-dependent fields differ.
Bytes Headers(std::uint32_t fileSize, std::uint32_t offset, std::uint8_t bits,
              std::uint32_t imageSize, std::uint32_t colours) {
  auto le32 = [](std::uint32_t v) {
    return Bytes{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                 static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  };
  Bytes out{'B', 'M'};
  auto append = [&out](const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); };
  append(le32(fileSize));
  append(le32(0));
  append(le32(offset));
  append(le32(40));
  append(le32(3));
  append(le32(2));
  append({1, 0, bits, 0});
  append(le32(0));
  append(le32(imageSize));
  append(le32(3780));
  append(le32(3780));
  append(le32(colours));
  append(le32(0));
  return out;
}

Canvas SmallPicture() {
  Canvas canvas(3, 2, {});
  canvas.Set(0, 0, {1, 2, 3});
  canvas.Set(1, 0, {4, 5, 6});
  canvas.Set(2, 0, {1, 2, 3});
  canvas.Set(0, 1, {7, 8, 9});
  canvas.Set(1, 1, {7, 8, 9});
  canvas.Set(2, 1, {1, 2, 3});
  return canvas;
}

TEST(BmpWriterTest, RowStrideRoundsUpToFourBytes) {
  EXPECT_EQ(BmpWriter::RowStride(131, 8), 132u);
  EXPECT_EQ(BmpWriter::RowStride(131, 24), 396u);
  EXPECT_EQ(BmpWriter::RowStride(140, 8), 140u);
  EXPECT_EQ(BmpWriter::RowStride(32, 24), 96u);
  EXPECT_EQ(BmpWriter::RowStride(1, 8), 4u);
  EXPECT_EQ(BmpWriter::RowStride(0, 8), 0u);
}

TEST(BmpWriterTest, TrueColourBytesAreBottomUpBgrWithPadding) {
  Bytes expected = Headers(54 + 24, 54, 24, 24, 0);
  const Bytes rows = {9, 8, 7, 9, 8, 7, 3, 2, 1, 0, 0, 0,   // bottom row first
                      3, 2, 1, 6, 5, 4, 3, 2, 1, 0, 0, 0};  // then the top row
  expected.insert(expected.end(), rows.begin(), rows.end());
  EXPECT_EQ(BmpWriter::Encode24(SmallPicture()), expected);
}

TEST(BmpWriterTest, PaletteBytesListColoursInOrderOfFirstUse) {
  Bytes expected = Headers(54 + 1024 + 8, 54 + 1024, 8, 8, 256);
  const Bytes palette = {3, 2, 1, 0, 6, 5, 4, 0, 9, 8, 7, 0};
  expected.insert(expected.end(), palette.begin(), palette.end());
  expected.insert(expected.end(), 1024 - palette.size(), 0);
  const Bytes rows = {2, 2, 0, 0,   // bottom row
                      0, 1, 0, 0};  // top row
  expected.insert(expected.end(), rows.begin(), rows.end());
  Bytes out;
  ASSERT_TRUE(BmpWriter::Encode8(SmallPicture(), &out));
  EXPECT_EQ(out, expected);
}

TEST(BmpWriterTest, PaletteHoldsExactly256Colours) {
  Canvas canvas(16, 17, {});
  for (int i = 0; i < 256; ++i) {
    canvas.Set(i % 16, i / 16, {static_cast<std::uint8_t>(i), 7, 200});
  }
  canvas.FillRect(0, 16, 16, 1, {0, 7, 200});
  Bytes out;
  ASSERT_TRUE(BmpWriter::Encode8(canvas, &out));
  const Canvas decoded = test::DecodeBmp(out);
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) ASSERT_EQ(decoded.At(x, y), canvas.At(x, y));
  }

  canvas.Set(15, 16, {1, 1, 1});
  out = {1, 2, 3};
  EXPECT_FALSE(BmpWriter::Encode8(canvas, &out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace tools
