#!/usr/bin/env bash
# The test command: installs what is missing, builds the trees, boots the Wine template prefix, runs every suite.
#
#   bash scripts/test.sh
#
# Debian 12, as root (or with sudo). Trees go to build/ (QUELLMARK_BUILD_ROOT chooses another root):
#   native     the portable core, its unit tests and benchmarks (g++)
#   win        quellmark.exe and the GUI tests that drive it under Wine in Xvfb (mingw-w64, win32 threads)
#   win-tests  the unit tests cross-compiled for Windows, run under Wine (mingw-w64, posix threads)
#   sanitize   the native unit tests again under AddressSanitizer (with LeakSanitizer) and UBSan (g++)
#   fuzz       a short smoke run of the rule store's libFuzzer target (clang, ASan + UBSan)
#   release    the release archive (scripts/release.sh), its contents and version, and a second
#              release in another directory that must give the same bytes
# Each tree is configured from its preset in CMakePresets.json.
# Every Wine process runs in a prefix copied from build/wine-template; ~/.wine is never used.
# QUELLMARK_JOBS sets the parallelism of builds and test runs (default 2).
set -uo pipefail
# shellcheck source=lib/common.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib/common.sh"

JOBS=${QUELLMARK_JOBS:-2}
WINE_PREFIX_TOOL=$QUELLMARK_ROOT/tests/wine/wine-prefix
failures=()
declare -A built=()
section_started=$SECONDS

timed_section() {
  printf '  -- %ds\n' $((SECONDS - section_started))
  section "$@"
  section_started=$SECONDS
}

# Prefixes left by a run that was killed (a ctest timeout, Ctrl+C): end their wineservers, remove them.
dispose_scratch_prefixes() {
  local prefix
  for prefix in "$BUILD_ROOT/wine-scratch"/*/; do
    [ -d "$prefix" ] && "$WINE_PREFIX_TOOL" dispose "${prefix%/}"
  done
  return 0
}

build_tree() {
  local name=$1
  timed_section "Build: $name"
  if configure_tree "$name" && cmake --build "$BUILD_ROOT/$name" -j "$JOBS"; then
    built[$name]=1
  else
    failures+=("build $name")
  fi
}

# A tree that registers no tests fails (--no-tests=error).
run_tests() {
  local name=$1
  timed_section "Tests: $name"
  if [ -z "${built[$name]:-}" ]; then
    note "not run: the build of $name failed"
    return
  fi
  ctest --test-dir "$BUILD_ROOT/$name" --output-on-failure --no-tests=error -j "$JOBS" --timeout 900 ||
    failures+=("tests $name")
}

section "Packages"
ensure_packages "${QUELLMARK_TEST_PACKAGES[@]}"
ensure_japanese_locale

BUILD_ROOT=$(quellmark_build_root)
export QUELLMARK_WINE_TEMPLATE=$BUILD_ROOT/wine-template
note "build root: $BUILD_ROOT"
dispose_scratch_prefixes

# Booting Wine takes a while and mostly waits; it runs beside the builds.
"$WINE_PREFIX_TOOL" template "$QUELLMARK_WINE_TEMPLATE" >"$BUILD_ROOT/wine-template.log" 2>&1 &
template_pid=$!

# The trees' options are the presets of CMakePresets.json.
build_tree native
build_tree win
build_tree win-tests
build_tree sanitize
build_tree fuzz

timed_section "Wine template prefix"
if wait "$template_pid"; then
  note "ready: $QUELLMARK_WINE_TEMPLATE"
else
  cat "$BUILD_ROOT/wine-template.log"
  failures+=("wine template prefix")
fi

run_tests native
run_tests win
run_tests win-tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests sanitize
run_tests fuzz

# The release archive, made by the release command, then its checks: contents, checksum, one
# version, and a second release in another directory that must give the same bytes.
timed_section "Build: release"
if bash "$QUELLMARK_ROOT/scripts/release.sh" "$BUILD_ROOT/release"; then
  built[release]=1
else
  failures+=("build release")
fi
run_tests release

dispose_scratch_prefixes
timed_section "Summary"
note "total time: $((SECONDS / 60)) min $((SECONDS % 60)) s"
if [ ${#failures[@]} -ne 0 ]; then
  note "FAILED: ${failures[*]}"
  exit 1
fi
note "all builds and tests passed"
