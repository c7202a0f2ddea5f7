#pragma once

#include <QFont>

#include "app/dialogs/DialogTemplate.h"
#include "app/gui/DialogUnits.h"

// Fonts of the dialog templates. The templates name Windows fonts; where those
// are not installed, free look-alikes stand in: Comic Neue (fonts-comic-neue)
// for Comic Sans MS, a plain sans serif for MS Sans Serif.
//
// The templates were laid out for the named fonts' metrics, and the dialog
// units follow the font's size. A look-alike at the same point size runs
// smaller than Comic Sans MS (whose line is 1.39 em high), which would crowd
// the controls and push the bitmap buttons out of their frames; so the
// substitute is sized to the line height the named font would have.
class DialogFonts {
 public:
  static QFont ForTemplate(const DialogTemplate& dialog);

  // The dialog units of a template. They come from the font in use, except for
  // the classic system dialog font (MS Sans Serif 8, base units 6 x 13): when a
  // substitute stands in for it, the classic units are kept, so that frames
  // laid out around pictures (the splash window) still fit them exactly.
  static DialogUnits UnitsFor(const DialogTemplate& dialog);

  // Line height in pixels of Comic Sans MS at this point size and resolution.
  static int ComicSansLineHeight(int pointSize, int dotsPerInch);

  // Registers the substitutes; done once, on first use of ForTemplate.
  static void InstallSubstitutes();
};
