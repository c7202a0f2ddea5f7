#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "tools/assetgen/Canvas.h"

namespace tools {

// The generator's own 5 x 7 pixel font: capitals, digits, the space and a few
// punctuation marks. Lower-case letters draw as capitals; any other character
// draws as a blank cell. Each glyph is seven rows of five bits, the leftmost
// pixel in bit 4. A character cell is one pixel wider than its glyph, so text
// keeps a one-pixel gap between letters; everything scales by whole pixels.
class PixelFont {
 public:
  static constexpr int kGlyphWidth = 5;
  static constexpr int kGlyphHeight = 7;
  static constexpr int kAdvance = kGlyphWidth + 1;

  using Glyph = std::array<std::uint8_t, kGlyphHeight>;

  // The glyph drawn for `c` (all rows zero for a blank cell).
  static Glyph GlyphFor(char c);

  // Width in pixels of `text` at `scale`, without the gap after the last
  // letter; 0 for empty text.
  static int TextWidth(std::string_view text, int scale);
  static int TextHeight(int scale) { return kGlyphHeight * scale; }

  // Draws `text` with its top left corner at (x, y).
  static void DrawText(Canvas& canvas, int x, int y, std::string_view text, int scale,
                       Rgb colour);
};

}  // namespace tools
