#!/bin/sh
# prepare-wine-prefix.sh PREFIX: readies the Windows build's Wine prefix for
# the dialogs' tests, on the display they run on (DISPLAY):
# - a Wine server left from a run without a display would give the dialogs
#   none, so it is stopped first;
# - Wine's own fonts (Marlett for the caption buttons, MS Sans Serif) are put
#   in the prefix's Fonts folder, and Comic Neue stands in for Comic Sans MS,
#   which Debian does not have;
# - Wine draws the window frames itself: Xvfb has no window manager;
# - there is no audio driver, so the sounds play nothing and print nothing.
# The services of the new Wine session start here, with their output away
# from ctest's.
set -eu
export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null || true
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
for font in /usr/share/wine/fonts/*; do
  if [ -e "$font" ]; then ln -sf "$font" "$fonts/"; fi
done
reg() { wine reg add "$@" /f </dev/null >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
reg 'HKCU\Software\Wine\Fonts\Replacements' /v "Comic Sans MS" /d "Comic Neue"
reg 'HKCU\Software\Wine\Drivers' /v Audio /d ""
echo "Wine prefix ready for the dialogs on display ${DISPLAY:-(none)}"
