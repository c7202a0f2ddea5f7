#include "tools/assetgen/Canvas.h"

#include <gtest/gtest.h>

namespace tools {
namespace {

constexpr Rgb kInk{255, 0, 0};

int CountInk(const Canvas& canvas) {
  int count = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) count += canvas.At(x, y) == kInk ? 1 : 0;
  }
  return count;
}

TEST(CanvasTest, DrawingOutsideThePictureIsClipped) {
  Canvas canvas(4, 3, {});
  canvas.Set(-1, 0, kInk);
  canvas.Set(4, 0, kInk);
  canvas.Set(0, 3, kInk);
  canvas.FillRect(-10, -10, 12, 11, kInk);
  EXPECT_EQ(CountInk(canvas), 2);
  canvas.FillCircle(100, 100, 5, kInk);
  canvas.FillTriangle(-50, -50, -40, -50, -45, -40, kInk);
  canvas.DrawLine(-5, 1, 10, 1, kInk);
  EXPECT_EQ(CountInk(canvas), 2 + 4);
  EXPECT_EQ(canvas.At(-1, -1), Rgb{});
  EXPECT_EQ(canvas.At(4, 0), Rgb{});
}

TEST(CanvasTest, ShapesCoverTheExpectedPixels) {
  Canvas canvas(20, 20, {});
  canvas.FrameRect(2, 3, 5, 4, kInk);
  EXPECT_EQ(CountInk(canvas), 14);

  Canvas circle(20, 20, {});
  circle.FillCircle(10, 10, 3, kInk);
  EXPECT_EQ(circle.At(10, 7), kInk);
  EXPECT_EQ(circle.At(13, 10), kInk);
  EXPECT_NE(circle.At(13, 13), kInk);
  EXPECT_EQ(CountInk(circle), 29);

  Canvas clockwise(20, 20, {});
  Canvas counter(20, 20, {});
  clockwise.FillTriangle(1, 1, 15, 1, 1, 15, kInk);
  counter.FillTriangle(1, 1, 1, 15, 15, 1, kInk);
  EXPECT_EQ(CountInk(clockwise), CountInk(counter));
  EXPECT_GT(CountInk(clockwise), 14 * 14 / 2 - 14);
}

TEST(CanvasTest, GradientUsesTheGivenNumberOfBandsFromEndToEnd) {
  const Rgb top{0, 0, 0};
  const Rgb bottom{90, 180, 30};
  Canvas canvas(2, 12, {});
  canvas.VerticalGradient(0, 0, 2, 12, top, bottom, 4);
  EXPECT_EQ(canvas.At(0, 0), top);
  EXPECT_EQ(canvas.At(1, 11), bottom);
  int changes = 0;
  for (int y = 1; y < 12; ++y) changes += canvas.At(0, y) == canvas.At(0, y - 1) ? 0 : 1;
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(canvas.At(0, 3), (Rgb{30, 60, 10}));
}

}  // namespace
}  // namespace tools
