#!/bin/sh
# run-under-wine.sh PROGRAM ARGUMENT...: runs a Windows program of the build
# under Wine (WINEPREFIX and the rest come from the caller). The program's
# output goes through a file: the Wine services that a first start leaves
# running would otherwise hold the build's output open until they end.
log=$(mktemp)
status=0
wine "$@" </dev/null >"$log" 2>&1 || status=$?
cat "$log"
rm -f "$log"
exit "$status"
