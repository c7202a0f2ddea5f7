#include "app/gui/DialogUnits.h"

#include <QFontMetrics>

namespace {

// value * numerator / denominator, rounded half away from zero.
int MulDivRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  fBaseX = (letters / 26 + 1) / 2;
  fBaseY = metrics.height();
}

int DialogUnits::ToPixelsX(int x) const { return MulDivRounded(x, fBaseX, 4); }

int DialogUnits::ToPixelsY(int y) const { return MulDivRounded(y, fBaseY, 8); }

QRect DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
  return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(cx), ToPixelsY(cy));
}

QSize DialogUnits::ToPixels(int cx, int cy) const {
  return QSize(ToPixelsX(cx), ToPixelsY(cy));
}
