#include "tools/assetgen/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace tools {

Canvas::Canvas(int width, int height, Rgb fill)
    : fWidth(std::max(width, 0)),
      fHeight(std::max(height, 0)),
      fPixels(static_cast<std::size_t>(fWidth) * static_cast<std::size_t>(fHeight), fill) {}

Rgb Canvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= fWidth || y >= fHeight) return {};
  return fPixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(fWidth) +
                 static_cast<std::size_t>(x)];
}

void Canvas::Set(int x, int y, Rgb colour) {
  if (x < 0 || y < 0 || x >= fWidth || y >= fHeight) return;
  fPixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(fWidth) +
          static_cast<std::size_t>(x)] = colour;
}

void Canvas::FillRect(int x, int y, int width, int height, Rgb colour) {
  const int x0 = std::max(x, 0);
  const int y0 = std::max(y, 0);
  const int x1 = std::min(x + width, fWidth);
  const int y1 = std::min(y + height, fHeight);
  for (int row = y0; row < y1; ++row) {
    for (int col = x0; col < x1; ++col) Set(col, row, colour);
  }
}

void Canvas::FrameRect(int x, int y, int width, int height, Rgb colour) {
  if (width <= 0 || height <= 0) return;
  FillRect(x, y, width, 1, colour);
  FillRect(x, y + height - 1, width, 1, colour);
  FillRect(x, y, 1, height, colour);
  FillRect(x + width - 1, y, 1, height, colour);
}

void Canvas::FillCircle(int cx, int cy, int radius, Rgb colour) {
  if (radius < 0) return;
  // Doubled coordinates put the test point on the pixel centre.
  const long long limit = 4LL * radius * radius + 1;
  for (int y = cy - radius; y <= cy + radius; ++y) {
    for (int x = cx - radius; x <= cx + radius; ++x) {
      const long long dx = 2LL * (x - cx);
      const long long dy = 2LL * (y - cy);
      if (dx * dx + dy * dy <= limit) Set(x, y, colour);
    }
  }
}

namespace {

// Twice the signed area of (a, b, p), with p at a pixel centre given in
// doubled coordinates.
long long Edge(long long ax, long long ay, long long bx, long long by, long long px,
               long long py) {
  return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

}  // namespace

void Canvas::FillTriangle(int x0, int y0, int x1, int y1, int x2, int y2, Rgb colour) {
  const int minX = std::max(std::min({x0, x1, x2}), 0);
  const int maxX = std::min(std::max({x0, x1, x2}), fWidth - 1);
  const int minY = std::max(std::min({y0, y1, y2}), 0);
  const int maxY = std::min(std::max({y0, y1, y2}), fHeight - 1);
  const long long ax = 2LL * x0, ay = 2LL * y0;
  const long long bx = 2LL * x1, by = 2LL * y1;
  const long long cx = 2LL * x2, cy = 2LL * y2;
  for (int y = minY; y <= maxY; ++y) {
    for (int x = minX; x <= maxX; ++x) {
      const long long px = 2LL * x + 1, py = 2LL * y + 1;
      const long long e0 = Edge(ax, ay, bx, by, px, py);
      const long long e1 = Edge(bx, by, cx, cy, px, py);
      const long long e2 = Edge(cx, cy, ax, ay, px, py);
      const bool inside = (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
      if (inside) Set(x, y, colour);
    }
  }
}

void Canvas::DrawLine(int x0, int y0, int x1, int y1, Rgb colour) {
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    Set(x0, y0, colour);
    if (x0 == x1 && y0 == y1) return;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

void Canvas::VerticalGradient(int x, int y, int width, int height, Rgb top, Rgb bottom,
                              int bands) {
  if (height <= 0) return;
  bands = std::clamp(bands, 1, height);
  for (int row = 0; row < height; ++row) {
    const int band = row * bands / height;
    FillRect(x, y + row, width, 1, Mix(top, bottom, band, std::max(bands - 1, 1)));
  }
}

Canvas Canvas::Reduced(int factor) const {
  Canvas reduced(fWidth / factor, fHeight / factor, {});
  const int area = factor * factor;
  for (int y = 0; y < reduced.fHeight; ++y) {
    for (int x = 0; x < reduced.fWidth; ++x) {
      int r = 0;
      int g = 0;
      int b = 0;
      for (int dy = 0; dy < factor; ++dy) {
        for (int dx = 0; dx < factor; ++dx) {
          const Rgb colour = At(x * factor + dx, y * factor + dy);
          r += colour.r;
          g += colour.g;
          b += colour.b;
        }
      }
      reduced.Set(x, y, {static_cast<std::uint8_t>((r + area / 2) / area), static_cast<std::uint8_t>((g + area / 2) / area),
                         static_cast<std::uint8_t>((b + area / 2) / area)});
    }
  }
  return reduced;
}

}  // namespace tools
