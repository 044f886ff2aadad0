#!/usr/bin/env bash
# The release command: builds quellmark-<version>-win32.zip (quellmark.exe and the guide as text) and its SHA-256 file.
#
#   bash scripts/release.sh [BUILD_DIR]
#
# Debian 12, as root (or with sudo). Installs what is missing, then configures, builds and packs the
# CMake preset "release" in BUILD_DIR (default build/release; QUELLMARK_BUILD_ROOT chooses another
# root than build/). The same commit gives the same bytes: the archive's entries carry the commit's
# date (or SOURCE_DATE_EPOCH when set), and they are packed as owned by root (fakeroot), so that the
# builder's user id is not recorded either.
set -uo pipefail
# shellcheck source=lib/common.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib/common.sh"

section "Packages"
ensure_packages "${QUELLMARK_RELEASE_PACKAGES[@]}"

BUILD_ROOT=$(quellmark_build_root)
tree=${1:-$BUILD_ROOT/release}
section "Build: $tree"
cmake -S "$QUELLMARK_ROOT" --preset release -B "$tree" || die "configuring $tree failed"
cmake --build "$tree" -j "${QUELLMARK_JOBS:-2}" || die "building the release failed"

section "Package"
rm -f -- "$tree"/quellmark-*-win32.zip "$tree"/quellmark-*-win32.zip.sha256
(cd -- "$tree" && fakeroot cpack --config CPackConfig.cmake) || die "packing the release failed"
archive=$(find "$tree" -maxdepth 1 -name 'quellmark-*-win32.zip' -print)
if [ -z "$archive" ] || [ ! -f "$archive.sha256" ]; then
  die "cpack wrote no archive with a checksum in $tree"
fi
unzip -lv "$archive" | sed 's/^/  /'
note "$archive"
note "SHA-256: $(cat -- "$archive.sha256")"
