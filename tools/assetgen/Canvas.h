#pragma once

#include <vector>

#include "tools/assetgen/Rgb.h"

namespace tools {

// A true-colour picture, top row first, with the few drawing operations the
// generated art needs. Everything is integer arithmetic so that the pictures
// come out identical on every machine. Drawing outside the picture is clipped.
class Canvas {
 public:
  Canvas(int width, int height, Rgb fill);

  int Width() const { return fWidth; }
  int Height() const { return fHeight; }

  // The colour at (x, y); black outside the picture.
  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb colour);

  void FillRect(int x, int y, int width, int height, Rgb colour);
  // One-pixel outline of a rectangle.
  void FrameRect(int x, int y, int width, int height, Rgb colour);
  // Every pixel whose centre lies within `radius` of (cx, cy).
  void FillCircle(int cx, int cy, int radius, Rgb colour);
  // Every pixel whose centre lies inside the triangle (either winding).
  void FillTriangle(int x0, int y0, int x1, int y1, int x2, int y2, Rgb colour);
  void DrawLine(int x0, int y0, int x1, int y1, Rgb colour);
  // Rows from `top` to `bottom` colour in `bands` flat horizontal bands.
  void VerticalGradient(int x, int y, int width, int height, Rgb top, Rgb bottom, int bands);

  // The picture `factor` times smaller each way, every pixel the rounded
  // average of the factor x factor pixels it stands for.
  Canvas Reduced(int factor) const;

 private:
  int fWidth;
  int fHeight;
  std::vector<Rgb> fPixels;
};

}  // namespace tools
