#include "tools/assetgen/ButtonArt.h"

#include "tools/assetgen/PixelFont.h"

namespace tools {

namespace {

constexpr Rgb kBorder{32, 0, 0};
constexpr Rgb kLightOuter{240, 150, 150};
constexpr Rgb kLightInner{214, 96, 96};
constexpr Rgb kDarkOuter{70, 0, 0};
constexpr Rgb kDarkInner{110, 0, 0};
constexpr Rgb kFocusRing{255, 210, 80};
constexpr Rgb kCaption{255, 255, 255};
constexpr Rgb kCaptionShadow{80, 0, 0};
constexpr Rgb kGreyCaption{176, 150, 150};
constexpr Rgb kGreyEmboss{222, 204, 204};

struct Face {
  Rgb top;
  Rgb bottom;
};

Face FaceFor(ButtonState state) {
  switch (state) {
    case ButtonState::kPressed:
      return {{128, 6, 6}, {172, 28, 28}};
    case ButtonState::kDisabled:
      return {{156, 126, 126}, {122, 98, 98}};
    case ButtonState::kNormal:
    case ButtonState::kFocused:
      break;
  }
  return {{200, 44, 44}, {146, 8, 8}};
}

// Two-pixel bevel inside the border: light above and left, dark below and
// right, or the other way round for a pressed button.
void DrawBevel(Canvas& canvas, bool pressed) {
  const int w = canvas.Width();
  const int h = canvas.Height();
  const Rgb lightOuter = pressed ? kDarkOuter : kLightOuter;
  const Rgb lightInner = pressed ? kDarkInner : kLightInner;
  const Rgb darkOuter = pressed ? kLightOuter : kDarkOuter;
  const Rgb darkInner = pressed ? kLightInner : kDarkInner;
  for (int inset = 1; inset <= 2; ++inset) {
    const Rgb light = inset == 1 ? lightOuter : lightInner;
    const Rgb dark = inset == 1 ? darkOuter : darkInner;
    canvas.FillRect(inset, inset, w - 2 * inset, 1, light);
    canvas.FillRect(inset, inset, 1, h - 2 * inset, light);
    canvas.FillRect(inset, h - 1 - inset, w - 2 * inset, 1, dark);
    canvas.FillRect(w - 1 - inset, inset, 1, h - 2 * inset, dark);
  }
}

}  // namespace

char ButtonArt::StateLetter(ButtonState state) {
  switch (state) {
    case ButtonState::kPressed:
      return 'D';
    case ButtonState::kFocused:
      return 'F';
    case ButtonState::kDisabled:
      return 'X';
    case ButtonState::kNormal:
      break;
  }
  return 'U';
}

Canvas ButtonArt::MakeButton(std::string_view caption, ButtonState state) {
  const Face face = FaceFor(state);
  Canvas canvas(kWidth, kHeight, kBorder);
  canvas.VerticalGradient(1, 1, kWidth - 2, kHeight - 2, face.top, face.bottom, kHeight - 2);
  const bool pressed = state == ButtonState::kPressed;
  DrawBevel(canvas, pressed);
  if (state == ButtonState::kFocused) {
    canvas.FrameRect(4, 4, kWidth - 8, kHeight - 8, kFocusRing);
    canvas.FrameRect(5, 5, kWidth - 10, kHeight - 10, kFocusRing);
  }

  const int offset = pressed ? 1 : 0;
  const int x = (kWidth - PixelFont::TextWidth(caption, kCaptionScale)) / 2 + offset;
  const int y = (kHeight - PixelFont::TextHeight(kCaptionScale)) / 2 + offset;
  if (state == ButtonState::kDisabled) {
    PixelFont::DrawText(canvas, x + 1, y + 1, caption, kCaptionScale, kGreyEmboss);
    PixelFont::DrawText(canvas, x, y, caption, kCaptionScale, kGreyCaption);
  } else {
    PixelFont::DrawText(canvas, x + 1, y + 1, caption, kCaptionScale, kCaptionShadow);
    PixelFont::DrawText(canvas, x, y, caption, kCaptionScale, kCaption);
  }
  return canvas;
}

}  // namespace tools
