#!/bin/sh
# check-imports.sh OBJDUMP PROGRAM...: every program imports only DLLs that
# every Windows 10 and 11 machine has: no MinGW runtime, no C++ library, no
# Qt.
set -eu
objdump=$1
shift
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll winmm.dll msvcrt.dll version.dll "
for program in "$@"; do
  dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [ -z "$dlls" ]; then
    echo "$program: no imports found" >&2
    exit 1
  fi
  for dll in $dlls; do
    case "$system_dlls" in
      *" $(echo "$dll" | tr '[:upper:]' '[:lower:]') "*) ;;
      *) echo "$program imports $dll, which Windows does not have" >&2; exit 1 ;;
    esac
  done
  echo "$(basename "$program"):" $dlls
done
