#!/usr/bin/env bash
# The same commit gives the same release: a second release, made by the release command in another
# build directory (another path, another length), must have the same quellmark.exe, guide and licence
# texts and the same archive, byte for byte, and neither build path may appear in the program.
#
#   reproducible.sh RELEASE_TREE     (run by ctest in the release tree, after scripts/release.sh)
set -uo pipefail
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
first=$(cd -- "$1" && pwd) || exit 1
second=$first-again/in/a/deeper/directory
rm -rf -- "$first-again"
trap 'rm -rf -- "$first-again"' EXIT

bash "$ROOT/scripts/release.sh" "$second" >"$first-again.log" 2>&1 || {
  cat -- "$first-again.log"
  echo "FAIL: the second release did not build"
  exit 1
}

failures=0
for name in src/app/quellmark.exe package/readme.txt package/license.txt "$(cd -- "$first" && ls quellmark-*-win32.zip)"; do
  a=$(sha256sum <"$first/$name" | cut -d' ' -f1)
  b=$(sha256sum <"$second/$name" 2>/dev/null | cut -d' ' -f1)
  printf '%s\n  %s  %s\n  %s  %s\n' "$name" "$a" "$first" "${b:-(missing)}" "$second"
  if [ "$a" != "$b" ]; then
    echo "FAIL: $name differs between the two builds"
    failures=$((failures + 1))
  fi
done
for tree in "$first" "$second" "$ROOT"; do
  if grep -qaF -- "$tree" "$first/src/app/quellmark.exe" "$second/src/app/quellmark.exe"; then
    echo "FAIL: quellmark.exe holds the path $tree"
    failures=$((failures + 1))
  fi
done
rm -f -- "$first-again.log"
[ "$failures" -eq 0 ] && echo "the two releases are the same, byte for byte"
[ "$failures" -eq 0 ]
