#!/usr/bin/env bash
# Fuzzes the rule store (tests/fuzz/store_fuzzer.cpp) for a given time and prints what it did.
#
#   bash bench/fuzz.sh [SECONDS]        (default 60)
#
# Builds <build root>/fuzz with Clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# (QUELLMARK_BUILD_ROOT chooses the root, default build/). The corpus grows in <tree>/corpus-work
# from the seeds in tests/fuzz/corpus, which it never changes; inputs that break something go to
# <tree>/artifacts. Prints executions, corpus size and findings; exits 1 when there are findings.
set -uo pipefail
# shellcheck source=../scripts/lib/common.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"

SECONDS_TO_RUN=${1:-60}
case $SECONDS_TO_RUN in '' | *[!0-9]*) die "usage: bash bench/fuzz.sh [SECONDS]" ;; esac
command -v clang++ >/dev/null 2>&1 || die "clang++ is needed (Debian: clang)"

BUILD_ROOT=$(quellmark_build_root)
TREE=$BUILD_ROOT/fuzz
section "Build: fuzz ($TREE)"
configure_tree fuzz >"$TREE.configure.log" 2>&1 ||
  die "configuring failed, see $TREE.configure.log"
cmake --build "$TREE" --target store_fuzzer -j "${QUELLMARK_JOBS:-2}" || die "the fuzz target did not build"

mkdir -p "$TREE/corpus-work" "$TREE/artifacts"
LOG=$TREE/fuzz-$(date +%Y%m%d-%H%M%S).log
section "Fuzzing for ${SECONDS_TO_RUN}s (log: $LOG)"
command=("$TREE/tests/fuzz/store_fuzzer" "$TREE/corpus-work" "$QUELLMARK_ROOT/tests/fuzz/corpus"
  -max_total_time="$SECONDS_TO_RUN" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1
  -entropic_scale_per_exec_time=1 -artifact_prefix="$TREE/artifacts/")
note "command: ASAN_OPTIONS=detect_leaks=1 ${command[*]}"
ASAN_OPTIONS=detect_leaks=1 "${command[@]}" >"$LOG" 2>&1
status=$?

section "Figures"
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOG" | tail -1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$LOG" | tail -1)
coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$LOG" | tail -1)
corpus_files=$(find "$TREE/corpus-work" -type f | wc -l)
corpus_bytes=$(du -sb "$TREE/corpus-work" | cut -f1)
findings=$(find "$TREE/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
note "executions:  ${executions:-?} (${rate:-?}/s) in ${SECONDS_TO_RUN}s"
note "coverage:    ${coverage:-?}"
note "corpus:      $corpus_files inputs, $corpus_bytes bytes in $TREE/corpus-work"
note "findings:    $findings in $TREE/artifacts (fuzzer exit status $status)"
grep -E 'invariant broken|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error' "$LOG" | head -5 | sed 's/^/    /'
[ "$findings" -eq 0 ] && [ "$status" -eq 0 ]
