#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog units to pixels for one dialog font. The horizontal base
// unit is the average width of the 52 ASCII letters, rounded; the vertical base
// unit is the font's height. A horizontal dialog unit is a quarter of the
// horizontal base, a vertical one an eighth of the vertical base; products are
// rounded to the nearest pixel.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseX, int baseY) : fBaseX(baseX), fBaseY(baseY) {}

  int baseX() const { return fBaseX; }
  int baseY() const { return fBaseY; }

  int ToPixelsX(int x) const;
  int ToPixelsY(int y) const;
  QRect ToPixels(int x, int y, int cx, int cy) const;
  QSize ToPixels(int cx, int cy) const;

 private:
  int fBaseX;
  int fBaseY;
};
