#!/usr/bin/env bash
# The run command: installs what is missing, builds quellmark.exe and runs it under Wine in the user's own prefix.
#
#   bash scripts/run.sh
#
# Debian 12, as root (or with sudo), with an X display. Quellmark writes the rules into the registry of
# the Wine prefix in WINEPREFIX, else ~/.wine: the prefix whose Outlook Express is to get them.
# Quit Outlook Express first. QUELLMARK_BUILD_ROOT chooses another build root than build/.
set -uo pipefail
# shellcheck source=lib/common.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib/common.sh"
# shellcheck source=lib/wine-fonts.sh
source "$QUELLMARK_ROOT/scripts/lib/wine-fonts.sh"

section "Display"
if [ -z "${DISPLAY:-}" ]; then
  die "no X display (DISPLAY is not set). Quellmark is a window: run this from a desktop session,
  or set DISPLAY to a running X server. Without a screen, a virtual one does (packages xvfb and
  xauth): xvfb-run -a bash scripts/run.sh"
fi
note "DISPLAY=$DISPLAY"

section "Packages"
ensure_packages "${QUELLMARK_PROGRAM_PACKAGES[@]}"
ensure_japanese_locale

section "Build"
BUILD_ROOT=$(quellmark_build_root)
configure_tree win || die "configuring $BUILD_ROOT/win failed"
cmake --build "$BUILD_ROOT/win" --target quellmark -j "${QUELLMARK_JOBS:-2}" || die "building quellmark.exe failed"
exe=$BUILD_ROOT/win/src/app/quellmark.exe
note "$exe"

section "Run"
prefix=${WINEPREFIX:-$HOME/.wine}
note "Wine prefix: $prefix$([ -d "$prefix" ] || echo ' (does not exist yet; Wine creates it first, which takes a while)')"
ensure_font_replacements "$prefix" || note "going on: the window shows with Wine's fallback font"
note "quit Outlook Express before adding rules"
for var in $(compgen -e); do
  case $var in LC_*) unset "$var" ;; esac
done
WINEPREFIX=$prefix LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine "$exe"
status=$?
note "quellmark.exe ended with exit code $status"
exit "$status"
