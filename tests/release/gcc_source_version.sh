#!/usr/bin/env bash
# The configure's check of GCC's source (cmake/FloorRuntime.cmake) under a fake dpkg-query: a source
# package of another Debian revision than the compiler records goes through, one of another GCC
# release (or none) stops the configure with a message that names both versions.
set -uo pipefail
root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d) && trap 'rm -rf -- "$scratch"' EXIT
printf '#!/bin/sh\ncase "$*" in\n  -S*) echo "gcc-mingw-w64-i686-win32: $2" ;;
  *Built-Using*) printf "gcc-12 (= 12.2.0-14+deb12u1), mingw-w64 (= 10.0.0-3)" ;;
  *Version*) printf %%s "$FAKE_SOURCE_VERSION" ;;\nesac\n' >"$scratch/dpkg-query" && chmod +x "$scratch/dpkg-query"
printf '%s\n' 'include(${ROOT}/cmake/FloorRuntime.cmake)' 'quellmark_find_gcc_source(gcc)' 'message("tarball ${gcc_TARBALL}")' \
  >"$scratch/check.cmake"
failed=0
check() {  # SOURCE_VERSION EXPECTED_EXIT PATTERN
  local output status
  output=$(FAKE_SOURCE_VERSION=$1 PATH="$scratch:$PATH" cmake -DROOT="$root" -DQUELLMARK_FLOOR_FLAGS=-march=i486 \
    -DCMAKE_C_COMPILER="$(command -v i686-w64-mingw32-gcc-win32)" -P "$scratch/check.cmake" 2>&1)
  status=$?
  output=$(tr -s ' \n' '  ' <<<"$output")  # CMake wraps its messages
  if [ $((status != 0)) -ne "$2" ] || ! grep -qE "$3" <<<"$output"; then
    printf 'FAIL: gcc-12-source "%s": exit %d, expected %d and /%s/ in:\n%s\n' "$1" "$status" "$2" "$3" "$output"
    failed=1
  fi
}
check 12.2.0-14+deb12u1 0 'tarball /usr/src/gcc-12/gcc-12\.2\.0.*\.tar\.xz'
check 12.2.0-14+deb12u2 0 'another Debian revision of GCC 12\.2\.0'
check 12.3.0-1 1 'built from gcc-12 12\.2\.0-14\+deb12u1, GCC 12\.2\.0, but gcc-12-source is 12\.3\.0-1'
check '' 1 'gcc-12-source is not installed'
exit "$failed"
