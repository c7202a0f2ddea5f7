#include "tests/tools/assetgen/TestBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tools::test {

std::uint16_t Le16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) {
    ADD_FAILURE() << "read past the end at " << at;
    return 0;
  }
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return Le16(bytes, at) | static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16;
}

namespace {

struct Layout {
  bool ok = false;
  int width = 0;
  int height = 0;
  int bits = 0;
  std::size_t stride = 0;
  std::size_t offset = 0;
};

// Fatal checks return early and leave layout.ok false; the others only report.
void CheckHeaders(const std::vector<std::uint8_t>& bytes, Layout* layout) {
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(Le32(bytes, 2), bytes.size()) << "file size";
  EXPECT_EQ(Le32(bytes, 6), 0u) << "reserved";
  EXPECT_EQ(Le32(bytes, 14), 40u) << "info header size";
  const std::int32_t width = static_cast<std::int32_t>(Le32(bytes, 18));
  const std::int32_t height = static_cast<std::int32_t>(Le32(bytes, 22));
  ASSERT_GT(width, 0);
  ASSERT_GT(height, 0) << "rows must be stored bottom up";
  EXPECT_EQ(Le16(bytes, 26), 1u) << "planes";
  const std::uint16_t bits = Le16(bytes, 28);
  ASSERT_TRUE(bits == 8 || bits == 24) << bits;
  EXPECT_EQ(Le32(bytes, 30), 0u) << "compression";
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * bits + 31) / 32 * 4;
  EXPECT_EQ(stride % 4, 0u);
  EXPECT_EQ(Le32(bytes, 34), stride * static_cast<std::uint32_t>(height)) << "image size";
  const std::uint32_t colours = bits == 8 ? 256 : 0;
  EXPECT_EQ(Le32(bytes, 46), colours) << "colours used";
  EXPECT_EQ(Le32(bytes, 50), 0u) << "important colours";
  const std::uint32_t offset = 54 + 4 * colours;
  EXPECT_EQ(Le32(bytes, 10), offset) << "pixel offset";
  ASSERT_EQ(bytes.size(), offset + stride * static_cast<std::uint32_t>(height));
  *layout = {true, width, height, bits, stride, offset};
}

}  // namespace

Canvas DecodeBmp(const std::vector<std::uint8_t>& bytes) {
  Layout layout;
  CheckHeaders(bytes, &layout);
  if (!layout.ok) return Canvas(0, 0, {});
  const int width = layout.width;
  const int height = layout.height;
  const int bits = layout.bits;
  const std::size_t stride = layout.stride;
  const std::size_t offset = layout.offset;
  Canvas canvas(width, height, {});
  for (int row = 0; row < height; ++row) {
    const std::size_t start = offset + static_cast<std::size_t>(row) * stride;
    const int y = height - 1 - row;
    for (int x = 0; x < width; ++x) {
      if (bits == 24) {
        const std::size_t at = start + 3 * static_cast<std::size_t>(x);
        canvas.Set(x, y, {bytes[at + 2], bytes[at + 1], bytes[at]});
      } else {
        const std::size_t entry = 54 + 4 * static_cast<std::size_t>(bytes[start + static_cast<std::size_t>(x)]);
        EXPECT_EQ(bytes[entry + 3], 0) << "palette reserved byte";
        canvas.Set(x, y, {bytes[entry + 2], bytes[entry + 1], bytes[entry]});
      }
    }
    const std::size_t used = static_cast<std::size_t>(width) * static_cast<std::size_t>(bits / 8);
    for (std::size_t pad = used; pad < stride; ++pad) {
      EXPECT_EQ(bytes[start + pad], 0) << "row padding of row " << row;
    }
  }
  return canvas;
}

std::vector<std::int16_t> WavSamples(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int16_t> samples;
  if (bytes.size() < 44) {
    ADD_FAILURE() << "no wave header";
    return samples;
  }
  const std::size_t count = std::min<std::size_t>(Le32(bytes, 40), bytes.size() - 44) / 2;
  for (std::size_t i = 0; i < count; ++i) {
    samples.push_back(static_cast<std::int16_t>(Le16(bytes, 44 + 2 * i)));
  }
  return samples;
}

}  // namespace tools::test
