#include "app/gui/DialogFonts.h"

#include <cmath>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace {

const QString kComicSans = QStringLiteral("Comic Sans MS");
const QString kSansSerif = QStringLiteral("MS Sans Serif");

// Vertical metrics of Comic Sans MS in font units: ascent, descent, em.
constexpr double kComicAscent = 2257.0;
constexpr double kComicDescent = 597.0;
constexpr double kComicUnitsPerEm = 2048.0;

bool IsInstalled(const QFont& font, const QString& family) {
  return QFontInfo(font).family().compare(family, Qt::CaseInsensitive) == 0;
}

int LogicalDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
}

// The smallest pixel size at which `font` is at least `height` pixels high.
int PixelSizeForHeight(const QFont& font, int height) {
  QFont sized(font);
  for (int pixels = 4; pixels < 4 * height; ++pixels) {
    sized.setPixelSize(pixels);
    if (QFontMetrics(sized).height() >= height) return pixels;
  }
  return height;
}

}  // namespace

void DialogFonts::InstallSubstitutes() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // fontconfig usually maps Comic Sans MS already; this covers systems where
  // it does not.
  QFont::insertSubstitutions(kComicSans, {QStringLiteral("Comic Neue"), QStringLiteral("Comic Sans")});
  QFont::insertSubstitutions(kSansSerif, {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                          QStringLiteral("Sans Serif")});
}

int DialogFonts::ComicSansLineHeight(int pointSize, int dotsPerInch) {
  const double em = std::lround(pointSize * dotsPerInch / 72.0);
  return static_cast<int>(std::lround(em * kComicAscent / kComicUnitsPerEm) +
                          std::lround(em * kComicDescent / kComicUnitsPerEm));
}

QFont DialogFonts::ForTemplate(const DialogTemplate& dialog) {
  InstallSubstitutes();
  const QString family = QString::fromStdString(dialog.fontFamily);
  const int pointSize = dialog.fontPointSize > 0 ? dialog.fontPointSize : 8;
  QFont font(family);
  font.setPointSize(pointSize);
  font.setStyleHint(QFont::SansSerif);
  if (family.compare(kComicSans, Qt::CaseInsensitive) == 0 && !IsInstalled(font, family)) {
    font.setPixelSize(PixelSizeForHeight(font, ComicSansLineHeight(pointSize, LogicalDpi())));
  }
  return font;
}

DialogUnits DialogFonts::UnitsFor(const DialogTemplate& dialog) {
  const QFont font = ForTemplate(dialog);
  const QString family = QString::fromStdString(dialog.fontFamily);
  if (family.compare(kSansSerif, Qt::CaseInsensitive) == 0 && dialog.fontPointSize == 8 &&
      !IsInstalled(font, family)) {
    return DialogUnits(6, 13);
  }
  return DialogUnits(font);
}
