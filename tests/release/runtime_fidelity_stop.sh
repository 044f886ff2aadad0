#!/usr/bin/env bash
# A release whose runtime, rebuilt from GCC's source, is not the toolchain's prebuilt runtime stops
# its configuration and names the member (cmake/FloorRuntime.cmake). A copy of the release tree's
# runtime directory takes a stand-in for one member rebuilt with the toolchain's default flags (the
# same member built for the 486, whose instructions differ), and a scratch tree of the preset
# "release" is configured on that copy.
#
#   runtime_fidelity_stop.sh RELEASE_TREE     (run by ctest in the release tree)
set -uo pipefail
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
runtime=$(sed -n 's/^QUELLMARK_FLOOR_RUNTIME_DIR:PATH=//p' "$1/CMakeCache.txt")
scratch=$(mktemp -d) && trap 'rm -rf -- "$scratch"' EXIT
cp -a -- "$runtime" "$scratch/runtime" && cp -- "$scratch/runtime/floor/unwind-c.o" "$scratch/runtime/default/" || exit 1
if cmake -S "$ROOT" --preset release -B "$scratch/tree" -DQUELLMARK_FLOOR_RUNTIME_DIR="$scratch/runtime" \
  >"$scratch/configure.log" 2>&1; then
  echo "FAIL: a release whose unwind-c.o is a stand-in configured"
  exit 1
fi
report=$(tr -s ' \n' '  ' <"$scratch/configure.log")  # CMake wraps its messages
if ! grep -q 'release stops here.* runtime member unwind-c\.o: [0-9]* sections differ' <<<"$report" ||
  grep -q 'runtime member [^u]' <<<"$report"; then
  cat -- "$scratch/configure.log"
  echo "FAIL: the configuration stopped, but not on unwind-c.o alone"
  exit 1
fi
grep -o 'runtime member unwind-c\.o[^;]*' <<<"$report"
