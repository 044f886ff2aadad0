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
#   release    the release archive (scripts/release.sh), its contents and version, a second release
#              in another directory that must give the same bytes, and the stop of a release whose
#              runtime differs from the toolchain's
# Each tree is configured from its preset in CMakePresets.json; the win and release trees share the
# runtime members rebuilt for the 486 (build/floor-runtime, cmake/FloorRuntime.cmake).
# Every Wine process runs in a prefix copied from build/wine-template; ~/.wine is never used.
#
# Each tree's tests run in the background once it is built, beside the builds of the trees after it,
# which then build at a lower priority so that the tests keep their pace (the GUI tests, one ctest
# test per test case, mostly wait for Wine; the fuzzing smoke run has a time limit). Their output
# comes at the end. The summary gives each section's time and the total.
# QUELLMARK_JOBS sets the parallelism of builds and test runs (default 2), QUELLMARK_GUI_JOBS that of
# the win tree's tests (default 4).
set -uo pipefail
# shellcheck source=lib/common.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib/common.sh"

JOBS=${QUELLMARK_JOBS:-2}
GUI_JOBS=${QUELLMARK_GUI_JOBS:-4}
WINE_PREFIX_TOOL=$QUELLMARK_ROOT/tests/wine/wine-prefix
failures=()
timings=()
declare -A built=()
current=
section_started=$SECONDS
# Test runs in the background (start_beside), and the priority of the builds beside them.
beside_names=()
declare -A beside_pids=() beside_from=()
beside=()

# Starts a section; the one before ends, and its time goes to the summary.
timed_section() {
  end_section
  section "$@"
  current="$*"
  section_started=$SECONDS
}

end_section() {
  [ -n "$current" ] || return 0
  printf '  -- %ds\n' $((SECONDS - section_started))
  timings+=("$(printf '%-28s %4d s' "$current" $((SECONDS - section_started)))")
  current=
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
  if configure_tree "$name" && "${beside[@]}" cmake --build "$BUILD_ROOT/$name" -j "$JOBS"; then
    built[$name]=1
  else
    failures+=("build $name")
  fi
}

# A tree that registers no tests fails (--no-tests=error).
ctest_tree() {
  ctest --test-dir "$BUILD_ROOT/$1" --output-on-failure --no-tests=error -j "$2" --timeout 900
}

run_tests() {
  local name=$1
  timed_section "Tests: $name"
  if [ -z "${built[$name]:-}" ]; then
    note "not run: the build of $name failed"
    return
  fi
  ctest_tree "$name" "$JOBS" || failures+=("tests $name")
}

# start_beside NAME JOBS: the tree's tests in the background, JOBS at a time, beside the sections
# that follow, whose builds then run at a lower priority; finish_beside shows their output and time.
start_beside() {
  local name=$1 jobs=$2
  end_section
  section "Tests: $name, beside what follows"
  if [ -z "${built[$name]:-}" ]; then
    note "not run: the build of $name failed"
    return
  fi
  note "$jobs at a time; their output comes at the end"
  (
    started=$SECONDS
    ctest_tree "$name" "$jobs" >"$BUILD_ROOT/tests-$name.log" 2>&1
    printf '%d %d\n' $? $((SECONDS - started)) >"$BUILD_ROOT/tests-$name.status"
  ) &
  beside_pids[$name]=$!
  beside_from[$name]=$SECONDS
  beside_names+=("$name")
  beside=(nice -n 10)
}

finish_beside() {
  [ ${#beside_names[@]} -ne 0 ] || return 0
  timed_section "Waiting for the tests beside"
  wait "${beside_pids[@]}"
  end_section
  beside=()
  local name status took
  for name in "${beside_names[@]}"; do
    section "Tests: $name"
    status=1 took=0
    read -r status took <"$BUILD_ROOT/tests-$name.status"
    cat -- "$BUILD_ROOT/tests-$name.log"
    note "they ran ${took}s, from ${beside_from[$name]}s into the command on"
    timings+=("$(printf '%-28s %4d s  (from %ds on, beside the others)' "Tests: $name" "$took" \
      "${beside_from[$name]}")")
    [ "$status" -eq 0 ] || failures+=("tests $name")
  done
}

timed_section "Packages"
ensure_packages "${QUELLMARK_TEST_PACKAGES[@]}"
ensure_japanese_locale

BUILD_ROOT=$(quellmark_build_root)
export QUELLMARK_WINE_TEMPLATE=$BUILD_ROOT/wine-template
note "build root: $BUILD_ROOT"
dispose_scratch_prefixes
rm -f -- "$BUILD_ROOT"/tests-*.log "$BUILD_ROOT"/tests-*.status

# Booting Wine takes a while and mostly waits; it runs beside the builds.
"$WINE_PREFIX_TOOL" template "$QUELLMARK_WINE_TEMPLATE" >"$BUILD_ROOT/wine-template.log" 2>&1 &
template_pid=$!

# The trees' options are the presets of CMakePresets.json.
build_tree native
run_tests native
build_tree win

timed_section "Wine template prefix"
if wait "$template_pid"; then
  note "ready: $QUELLMARK_WINE_TEMPLATE"
else
  cat "$BUILD_ROOT/wine-template.log"
  failures+=("wine template prefix")
fi

start_beside win "$GUI_JOBS"
build_tree win-tests
start_beside win-tests "$JOBS"
build_tree sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 start_beside sanitize "$JOBS"
build_tree fuzz
start_beside fuzz 1

# The release archive, made by the release command, then its checks: contents, checksum, one
# version, a second release in another directory that must give the same bytes, and the stop of a
# release whose rebuilt runtime is not the toolchain's.
timed_section "Build: release"
if "${beside[@]}" bash "$QUELLMARK_ROOT/scripts/release.sh" "$BUILD_ROOT/release"; then
  built[release]=1
else
  failures+=("build release")
fi
timed_section "Tests: release"
if [ -n "${built[release]:-}" ]; then
  # Its reproducibility test builds a second release.
  "${beside[@]}" ctest --test-dir "$BUILD_ROOT/release" --output-on-failure --no-tests=error -j "$JOBS" \
    --timeout 900 || failures+=("tests release")
else
  note "not run: the build of release failed"
fi

finish_beside
dispose_scratch_prefixes
end_section
section "Summary"
printf '  %s\n' "${timings[@]}"
note "total time: $((SECONDS / 60)) min $((SECONDS % 60)) s"
if [ ${#failures[@]} -ne 0 ]; then
  note "FAILED: ${failures[*]}"
  exit 1
fi
note "all builds and tests passed"
