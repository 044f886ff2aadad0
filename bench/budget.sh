#!/usr/bin/env bash
# The performance budget, figure by figure, each with the command that produced it:
# the .exe's size and imports, cold start and peak memory against a bare window, one installation
# into stores of 0 to 4096 rules through the real registry under Wine and natively, and the
# registry calls of one installation.
#
#   bash bench/budget.sh          (after bash scripts/test.sh has built build/)
set -uo pipefail
root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUELLMARK_BUILD_ROOT:-$root/build}
win=$build/win
# The benchmarks measure optimised code: the test command's native tree is a Debug build.
bench_tree=$build/bench-native
export QUELLMARK_WINE_TEMPLATE=${QUELLMARK_WINE_TEMPLATE:-$build/wine-template}

figure() {
  printf '\n== %s\n$ %s\n' "$1" "${*:2}"
  "${@:2}"
}

cmake --build "$win" -j2 >/dev/null &&
  cmake -S "$root" -B "$bench_tree" -DCMAKE_BUILD_TYPE=Release -DQUELLMARK_TESTS=OFF >/dev/null &&
  cmake --build "$bench_tree" -j2 --target install_bench >/dev/null ||
  { echo "budget.sh: build/win must be built first (bash scripts/test.sh)" >&2; exit 1; }

figure "Size of quellmark.exe in bytes (target: at most 131072, which the release test checks)" \
  stat -c %s "$win/src/app/quellmark.exe"
figure "Its sections (where the bytes are; the link map quellmark.map beside it says from which object)" \
  i686-w64-mingw32-objdump -h "$win/src/app/quellmark.exe"
figure "DLLs imported by quellmark.exe (target: system DLLs only)" \
  sh -c "i686-w64-mingw32-objdump -p '$win/src/app/quellmark.exe' | sed -n 's/^\\s*DLL Name: //p'"
figure "Cold start to the main window, medians, ratio against a bare window (target: at most 1.10)" \
  bash "$root/bench/startup.sh" "$win" 11
figure "Peak memory against a bare window (target: at most 1.20)" bash "$root/bench/memory.sh" "$win" 5
figure "One installation through the real registry under Wine: median ms and registry calls" \
  "$root/tests/wine/wine-run" "$win/bench/wine_install_bench.exe"
figure "One installation on the in-memory registry (targets: 4096 under 50 ms; 4096/1024 at most 4.5; an \"Order\" of 1 MB linear, not quadratic)" \
  "$bench_tree/bench/install_bench" --benchmark_counters_tabular=true
