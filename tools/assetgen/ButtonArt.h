#pragma once

#include <string_view>

#include "tools/assetgen/Canvas.h"

namespace tools {

// The four looks of a bitmap push button; each is stored as an image named
// after the caption followed by the letter below.
enum class ButtonState {
  kNormal,    // U
  kPressed,   // D: inverted bevel, caption one pixel down and right
  kFocused,   // F: normal look with a gold focus ring
  kDisabled,  // X: greyed face and embossed grey caption
};

// Button faces in the program's colours: a red bevelled face with the caption
// in white pixel letters.
class ButtonArt {
 public:
  static constexpr int kWidth = 131;
  static constexpr int kHeight = 40;
  static constexpr int kCaptionScale = 3;

  static char StateLetter(ButtonState state);
  static Canvas MakeButton(std::string_view caption, ButtonState state);
};

}  // namespace tools
