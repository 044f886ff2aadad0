#!/usr/bin/env bash
# A compiler without -fexec-charset=CP932 (clang) would leave every Japanese text in UTF-8: configuring
# a tree that builds the program, the tests or the benchmarks with it must stop, and only the fuzz
# tree may go on. Configures scratch trees with clang; builds nothing.
set -uo pipefail
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d) || exit 1
trap 'rm -rf -- "$scratch"' EXIT
failures=0

configure() {
  local name=$1
  shift
  cmake -S "$ROOT" -B "$scratch/$name" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "$@" \
    >"$scratch/$name.log" 2>&1
}

for tree in "tests:" "benchmarks:-DQUELLMARK_TESTS=OFF"; do
  name=${tree%%:*}
  # shellcheck disable=SC2086 # the options are one word or none
  if configure "${name// /-}" ${tree#*:}; then
    echo "FAIL: a clang tree with $name configured"
    failures=$((failures + 1))
  elif ! grep -q 'has no -fexec-charset=CP932' "$scratch/${name// /-}.log"; then
    echo "FAIL: a clang tree with $name stopped, but not for want of -fexec-charset=CP932:"
    cat -- "$scratch/${name// /-}.log"
    failures=$((failures + 1))
  fi
done

# The fuzz tree, exactly as its preset configures it.
if ! cmake -S "$ROOT" --preset fuzz -B "$scratch/fuzz" >"$scratch/fuzz.log" 2>&1; then
  echo "FAIL: the fuzz tree did not configure with clang:"
  cat -- "$scratch/fuzz.log"
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "clang stops every tree but fuzz"
[ "$failures" -eq 0 ]
