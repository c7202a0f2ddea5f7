#!/usr/bin/env bash
# Every program answers --help and --version and refuses an option it does
# not know, without doing anything else: velt-demo --help once made a demo
# installation in a folder named "--help".
#   check-options.sh BIN_DIR VERSION PROGRAM...
set -euo pipefail
bin=$1
version=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
fail() { echo "$*" >&2; exit 1; }
for program in "$@"; do
  "$bin/$program" --help | grep -qi "usage" || fail "$program --help prints no usage"
  test "$("$bin/$program" --version)" = "$program $version" || fail "$program --version is not '$program $version'"
  if "$bin/$program" --no-such-option > /dev/null 2>&1; then fail "$program took --no-such-option"; fi
  test -z "$(ls -A)" || fail "$program left files behind: $(ls -A)"
done
echo "options are answered and refused as they should be"
