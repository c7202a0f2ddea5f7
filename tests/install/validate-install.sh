#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop reads:
# the .desktop file and the AppStream metainfo pass their validators, the icon
# is there in every size, both man pages and both programs are there, and the
# programs tell their version.
#   validate-install.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

cmake --install "$build" --prefix "$root/usr" > /dev/null
id=org.veltplimsett.ObjectOrganizer
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml"
for size in 16 32 48 64 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  test -s "$icon" || { echo "missing $icon" >&2; exit 1; }
done
for page in velt-organizer velt-sort; do
  test -s "$root/usr/share/man/man1/$page.1" || { echo "missing man page $page" >&2; exit 1; }
done
for program in velt-organizer velt-sort; do
  test "$("$root/usr/bin/$program" --version)" = "$program $version" || {
    echo "$program --version does not print $program $version" >&2
    exit 1
  }
done
echo "installed files are valid"
