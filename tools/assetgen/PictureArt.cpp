#include "tools/assetgen/PictureArt.h"

#include <string_view>

#include "tools/assetgen/PixelFont.h"
#include "tools/assetgen/Synth.h"

namespace tools {

namespace {

constexpr Rgb kRoof{96, 0, 0};
constexpr Rgb kLitWindow{255, 226, 140};
constexpr Rgb kSilhouette{40, 0, 6};
constexpr Rgb kSun{255, 222, 130};
constexpr Rgb kShadow{30, 0, 0};
constexpr Rgb kLeaves{36, 70, 30};
constexpr Rgb kTrunk{60, 30, 16};

// A house with its walls' top left corner at (x, y): walls, a roof with a
// white trim, two lit windows with white frames and a white door.
void DrawHouse(Canvas& canvas, int x, int y, int width, int height) {
  const int roofRise = width * 2 / 5;
  canvas.FillTriangle(x - 6, y, x + width / 2, y - roofRise, x + width + 6, y, PictureArt::kWhite);
  canvas.FillTriangle(x - 2, y - 1, x + width / 2, y - roofRise + 3, x + width + 2, y - 1, kRoof);
  canvas.FillRect(x + width * 7 / 10, y - roofRise + 4, width / 9, roofRise / 2, kRoof);
  canvas.FillRect(x, y, width, height, PictureArt::kHouseRed);
  canvas.FillRect(x, y, width, 2, PictureArt::kWhite);

  const int window = width / 5;
  const int windowY = y + height / 5;
  for (int windowX : {x + width / 8, x + width - width / 8 - window}) {
    canvas.FillRect(windowX - 2, windowY - 2, window + 4, window + 4, PictureArt::kWhite);
    canvas.FillRect(windowX, windowY, window, window, kLitWindow);
    canvas.FillRect(windowX + window / 2, windowY, 1, window, PictureArt::kWhite);
    canvas.FillRect(windowX, windowY + window / 2, window, 1, PictureArt::kWhite);
  }
  const int doorWidth = width / 6;
  const int doorHeight = height * 11 / 20;
  const int doorX = x + (width - doorWidth) / 2;
  canvas.FillRect(doorX, y + height - doorHeight, doorWidth, doorHeight, PictureArt::kWhite);
  canvas.Set(doorX + doorWidth - 3, y + height - doorHeight / 2, kRoof);
}

void DrawTree(Canvas& canvas, int x, int groundY, int size) {
  canvas.FillRect(x - size / 8, groundY - size, size / 4 + 1, size, kTrunk);
  canvas.FillCircle(x, groundY - size, size / 2, kLeaves);
  canvas.FillCircle(x - size / 3, groundY - size + size / 4, size / 3, kLeaves);
  canvas.FillCircle(x + size / 3, groundY - size + size / 4, size / 3, kLeaves);
}

// Garden furniture in silhouette: a table between two chairs and a standing
// lamp, all resting on `groundY`.
void DrawFurniture(Canvas& canvas, int x, int groundY) {
  canvas.FillRect(x, groundY - 22, 40, 4, kSilhouette);
  canvas.FillRect(x + 18, groundY - 18, 5, 18, kSilhouette);
  canvas.FillRect(x + 10, groundY - 3, 21, 3, kSilhouette);
  for (int side : {-1, 1}) {
    const int seatX = side < 0 ? x - 22 : x + 48;
    canvas.FillRect(seatX, groundY - 14, 14, 4, kSilhouette);
    canvas.FillRect(seatX, groundY - 10, 3, 10, kSilhouette);
    canvas.FillRect(seatX + 11, groundY - 10, 3, 10, kSilhouette);
    const int backX = side < 0 ? seatX : seatX + 11;
    canvas.FillRect(backX, groundY - 34, 3, 20, kSilhouette);
  }
  const int lampX = x + 84;
  canvas.FillRect(lampX, groundY - 56, 3, 56, kSilhouette);
  canvas.FillRect(lampX - 6, groundY - 2, 15, 2, kSilhouette);
  canvas.FillTriangle(lampX - 10, groundY - 56, lampX + 1, groundY - 70, lampX + 12, groundY - 56,
                      kLitWindow);
}

void DrawShadowedText(Canvas& canvas, int y, std::string_view text, int scale) {
  const int x = (canvas.Width() - PixelFont::TextWidth(text, scale)) / 2;
  PixelFont::DrawText(canvas, x + 2, y + 2, text, scale, kShadow);
  PixelFont::DrawText(canvas, x, y, text, scale, PictureArt::kWhite);
}

}  // namespace

Canvas PictureArt::MakeAboutPicture() {
  constexpr int kWidth = 140;
  constexpr int kHeight = 153;
  constexpr int kGround = 118;
  Canvas canvas(kWidth, kHeight, kWhite);
  canvas.VerticalGradient(2, 2, kWidth - 4, kGround - 2, {120, 10, 40}, {250, 170, 100}, 24);
  canvas.FillCircle(104, 52, 14, kSun);
  canvas.VerticalGradient(2, kGround, kWidth - 4, kHeight - 2 - kGround, {74, 16, 16}, {30, 0, 0}, 8);
  DrawTree(canvas, 118, kGround + 2, 26);
  DrawHouse(canvas, 30, 78, 62, 42);
  DrawShadowedText(canvas, 128, "VELT", 3);
  return canvas;
}

Canvas PictureArt::MakeSplashPicture() {
  constexpr int kWidth = 320;
  constexpr int kHeight = 240;
  constexpr int kHorizon = 176;
  Canvas canvas(kWidth, kHeight, kHouseRed);
  canvas.VerticalGradient(0, 0, kWidth, kHorizon, {48, 0, 24}, {250, 160, 90}, 40);

  // A sprinkle of stars, from a fixed seed, in the dark sky above the title
  // and in the band between the title and the sunset.
  Synth::Noise noise(20240607u);
  for (int star = 0; star < 36; ++star) {
    const int x = static_cast<int>(static_cast<std::uint32_t>(noise.Next() + 32768) * kWidth / 65536);
    const int row = static_cast<int>(static_cast<std::uint32_t>(noise.Next() + 32768) * 30 / 65536);
    const int y = row < 10 ? row + 1 : row + 70;
    canvas.Set(x, y, star % 3 == 0 ? kWhite : Rgb{255, 200, 200});
  }

  canvas.FillCircle(250, kHorizon - 4, 26, kSun);
  canvas.VerticalGradient(0, kHorizon, kWidth, kHeight - kHorizon, {96, 20, 20}, {34, 0, 0}, 12);
  canvas.FillRect(0, kHorizon, kWidth, 1, {150, 60, 50});

  DrawTree(canvas, 22, kHorizon + 6, 40);
  DrawHouse(canvas, 60, 150, 96, 56);
  DrawFurniture(canvas, 206, kHorizon + 14);

  DrawShadowedText(canvas, 14, "THE VELT PLIMSETT", 3);
  DrawShadowedText(canvas, 44, "OBJECT ORGANIZER", 3);
  canvas.FillRect(60, 74, kWidth - 120, 1, kWhite);
  return canvas;
}

Canvas PictureArt::MakeIcon(int scale) {
  // Drawn on a 32-unit grid; every unit is `scale` pixels.
  constexpr int kUnits = 32;
  const int s = scale;
  Canvas canvas(kUnits * s, kUnits * s, {80, 0, 0});
  canvas.VerticalGradient(s, s, (kUnits - 2) * s, (kUnits - 2) * s, {190, 24, 24}, {112, 0, 0}, kUnits - 2);
  canvas.FillTriangle(3 * s, 16 * s, 16 * s, 4 * s, 29 * s, 16 * s, kWhite);
  canvas.FillRect(7 * s, 16 * s, 18 * s, 12 * s, kWhite);
  canvas.FillRect(14 * s, 20 * s, 5 * s, 8 * s, kHouseRed);
  canvas.FillRect(9 * s, 18 * s, 3 * s, 3 * s, kHouseRed);
  canvas.FillRect(21 * s, 18 * s, 3 * s, 3 * s, kHouseRed);
  canvas.FillRect(21 * s, 7 * s, 3 * s, 5 * s, kWhite);
  return canvas;
}

}  // namespace tools
