# Shared by scripts/test.sh and scripts/run.sh: section headers, installing missing Debian packages, the Japanese locale.
# shellcheck shell=bash

QUELLMARK_ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)

section() {
  printf '\n==== %s ====\n' "$*"
}

note() {
  printf '  %s\n' "$*"
}

die() {
  printf '\nERROR: %s\n' "$*" >&2
  exit 1
}

# Runs a command as root: directly when we are root, else through sudo when there is one.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    die "root is needed for: $* (run as root, or install sudo)"
  fi
}

package_installed() {
  [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" = "ii " ]
}

# ensure_packages PACKAGE... — installs those of the Debian packages that are missing, and nothing
# when all are there. Names with ":i386" need the i386 architecture, which is added on demand.
ensure_packages() {
  command -v dpkg-query >/dev/null 2>&1 || die "this set-up needs Debian (dpkg/apt-get)"
  local missing=() package
  for package in "$@"; do
    package_installed "$package" || missing+=("$package")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    note "all ${#} packages are installed"
    return 0
  fi
  note "missing: ${missing[*]}"
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    note "adding the i386 architecture (for wine32)"
    as_root dpkg --add-architecture i386 || die "dpkg --add-architecture i386 failed"
  fi
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q || die "apt-get update failed"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" ||
    die "apt-get install failed"
}

# Wine takes its ANSI code page (932) from the locale, so ja_JP.UTF-8 must exist.
ensure_japanese_locale() {
  if locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
    note "locale ja_JP.UTF-8 is there"
    return 0
  fi
  note "generating locale ja_JP.UTF-8"
  if [ -f /etc/locale.gen ] && grep -qE '^# *ja_JP\.UTF-8 UTF-8' /etc/locale.gen; then
    as_root sed -i -E 's/^# *(ja_JP\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  elif ! grep -qE '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  fi
  as_root locale-gen || die "locale-gen failed"
  locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$' || die "locale ja_JP.UTF-8 is still missing"
}

# What building and running the program needs. GCC's source (gcc-12-source) gives the parts of the
# runtime that are compiled again for the 486 (cmake/FloorRuntime.cmake).
# shellcheck disable=SC2034 # used by the scripts that source this file
QUELLMARK_PROGRAM_PACKAGES=(
  cmake make
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 gcc-12-source
  wine wine32:i386
  locales fonts-ipafont-gothic
)

# What building the release archive needs: the program's compiler, the guide's conversion to code
# page 932 (python3), the commit's date (git) and packing as root (fakeroot).
# shellcheck disable=SC2034
QUELLMARK_RELEASE_PACKAGES=(
  cmake make
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 gcc-12-source
  python3 git fakeroot
)

# What building and running every test needs besides.
# shellcheck disable=SC2034
QUELLMARK_TEST_PACKAGES=(
  "${QUELLMARK_PROGRAM_PACKAGES[@]}"
  "${QUELLMARK_RELEASE_PACKAGES[@]}"
  g++ git python3
  mingw-w64 g++-mingw-w64-i686-posix
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool xclip x11-utils imagemagick
  clang libclang-rt-14-dev
)

# The build root holds the trees (native, win, win-tests) and the one Wine template prefix that
# their tests share; the mark tells tests/wine/wine-prefix so.
quellmark_build_root() {
  local root=${QUELLMARK_BUILD_ROOT:-$QUELLMARK_ROOT/build}
  if ! mkdir -p -- "$root" || ! touch -- "$root/.quellmark-build-root"; then
    die "cannot create the build root $root"
  fi
  (cd -- "$root" && pwd)
}

# configure_tree NAME — configures <build root>/NAME with the options of the preset NAME
# (CMakePresets.json: native, win, win-tests, sanitize, fuzz, release).
configure_tree() {
  cmake -S "$QUELLMARK_ROOT" --preset "$1" -B "$BUILD_ROOT/$1"
}
