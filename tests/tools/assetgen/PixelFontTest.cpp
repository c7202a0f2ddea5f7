#include "tools/assetgen/PixelFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace tools {
namespace {

TEST(PixelFontTest, LettersAndDigitsHaveDistinctGlyphsWithinTheCell) {
  std::set<PixelFont::Glyph> seen;
  const std::string characters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,!?-:'()/&+=";
  for (char c : characters) {
    const PixelFont::Glyph glyph = PixelFont::GlyphFor(c);
    EXPECT_NE(glyph, PixelFont::Glyph{}) << c;
    for (std::uint8_t row : glyph) EXPECT_LT(row, 1u << PixelFont::kGlyphWidth) << c;
    EXPECT_TRUE(seen.insert(glyph).second) << "duplicate glyph for " << c;
  }
  EXPECT_EQ(PixelFont::GlyphFor('q'), PixelFont::GlyphFor('Q'));
  EXPECT_EQ(PixelFont::GlyphFor(' '), PixelFont::Glyph{});
  EXPECT_EQ(PixelFont::GlyphFor('\xe9'), PixelFont::Glyph{});
}

TEST(PixelFontTest, TextIsDrawnExactlyWithinItsMeasuredBox) {
  EXPECT_EQ(PixelFont::TextWidth("", 3), 0);
  EXPECT_EQ(PixelFont::TextWidth("OK", 3), 33);
  EXPECT_EQ(PixelFont::TextWidth("ABOUT", 1), 29);
  EXPECT_EQ(PixelFont::TextHeight(2), 14);

  const Rgb ink{255, 255, 255};
  Canvas canvas(60, 30, {});
  PixelFont::DrawText(canvas, 5, 4, "HW", 2, ink);
  const int width = PixelFont::TextWidth("HW", 2);
  int minX = 100, maxX = -1, minY = 100, maxY = -1;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.At(x, y) != ink) continue;
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
  }
  // H and W both reach every edge of their cells.
  EXPECT_EQ(minX, 5);
  EXPECT_EQ(maxX, 5 + width - 1);
  EXPECT_EQ(minY, 4);
  EXPECT_EQ(maxY, 4 + PixelFont::TextHeight(2) - 1);
  // The gap between the letters stays empty.
  EXPECT_NE(canvas.At(5 + 10, 4), ink);
  EXPECT_NE(canvas.At(5 + 11, 4), ink);
}

}  // namespace
}  // namespace tools
