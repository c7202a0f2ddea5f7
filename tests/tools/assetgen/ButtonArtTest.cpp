#include "tools/assetgen/ButtonArt.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "tools/assetgen/PixelFont.h"

namespace tools {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kFocusRing{255, 210, 80};

std::set<std::pair<int, int>> PixelsOf(const Canvas& canvas, Rgb colour) {
  std::set<std::pair<int, int>> pixels;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.At(x, y) == colour) pixels.insert({x, y});
    }
  }
  return pixels;
}

int Brightness(Rgb colour) { return colour.r + colour.g + colour.b; }

class ButtonArtTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ButtonArtTest, EveryStateIsFullSizeWithTheCaptionInside) {
  for (ButtonState state : {ButtonState::kNormal, ButtonState::kPressed, ButtonState::kFocused,
                            ButtonState::kDisabled}) {
    const Canvas button = ButtonArt::MakeButton(GetParam(), state);
    EXPECT_EQ(button.Width(), 131);
    EXPECT_EQ(button.Height(), 40);
  }
  EXPECT_LE(PixelFont::TextWidth(GetParam(), ButtonArt::kCaptionScale), 131 - 2 * 8);
}

TEST_P(ButtonArtTest, PressedInvertsTheBevelAndMovesTheCaptionByOnePixel) {
  const Canvas normal = ButtonArt::MakeButton(GetParam(), ButtonState::kNormal);
  const Canvas pressed = ButtonArt::MakeButton(GetParam(), ButtonState::kPressed);
  EXPECT_GT(Brightness(normal.At(1, 1)), Brightness(normal.At(129, 38)));
  EXPECT_LT(Brightness(pressed.At(1, 1)), Brightness(pressed.At(129, 38)));

  std::set<std::pair<int, int>> shifted;
  for (auto [x, y] : PixelsOf(normal, kWhite)) shifted.insert({x + 1, y + 1});
  EXPECT_FALSE(shifted.empty());
  EXPECT_EQ(PixelsOf(pressed, kWhite), shifted);
}

TEST_P(ButtonArtTest, OnlyTheFocusedButtonHasAFocusRing) {
  const Canvas focused = ButtonArt::MakeButton(GetParam(), ButtonState::kFocused);
  EXPECT_EQ(focused.At(4, 4), kFocusRing);
  EXPECT_EQ(focused.At(65, 35), kFocusRing);
  EXPECT_EQ(PixelsOf(focused, kWhite), PixelsOf(ButtonArt::MakeButton(GetParam(), ButtonState::kNormal), kWhite));
  for (ButtonState state : {ButtonState::kNormal, ButtonState::kPressed, ButtonState::kDisabled}) {
    EXPECT_TRUE(PixelsOf(ButtonArt::MakeButton(GetParam(), state), kFocusRing).empty());
  }
}

TEST_P(ButtonArtTest, DisabledCaptionIsGreyed) {
  const Canvas disabled = ButtonArt::MakeButton(GetParam(), ButtonState::kDisabled);
  EXPECT_TRUE(PixelsOf(disabled, kWhite).empty());
  const Canvas normal = ButtonArt::MakeButton(GetParam(), ButtonState::kNormal);
  const auto [x, y] = *PixelsOf(normal, kWhite).begin();
  const Rgb grey = disabled.At(x, y);
  EXPECT_NE(grey, normal.At(x, y));
  EXPECT_LT(std::max({grey.r, grey.g, grey.b}) - std::min({grey.r, grey.g, grey.b}), 40)
      << "caption should be grey";
}

INSTANTIATE_TEST_SUITE_P(Captions, ButtonArtTest, ::testing::Values("SAVE", "ABOUT", "OK"));

TEST(ButtonArtStateTest, StateLettersNameTheImages) {
  EXPECT_EQ(ButtonArt::StateLetter(ButtonState::kNormal), 'U');
  EXPECT_EQ(ButtonArt::StateLetter(ButtonState::kPressed), 'D');
  EXPECT_EQ(ButtonArt::StateLetter(ButtonState::kFocused), 'F');
  EXPECT_EQ(ButtonArt::StateLetter(ButtonState::kDisabled), 'X');
}

}  // namespace
}  // namespace tools
