#!/usr/bin/env bash
# scripts/run.sh's font stand-ins in a user's prefix: added only where missing, announced with the way
# back, and the user's own replacements left as they were. In a throwaway copy of the template prefix.
#
#   font_replacements.sh BUILD_DIR     (run by ctest in the win tree)
set -uo pipefail
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/lib/common.sh
source "$ROOT/scripts/lib/common.sh"
# shellcheck source=../../scripts/lib/wine-fonts.sh
source "$ROOT/scripts/lib/wine-fonts.sh"
TOOL=$ROOT/tests/wine/wine-prefix

template=$("$TOOL" locate "$1") && "$TOOL" template "$template" || exit 1
mkdir -p "$(dirname -- "$template")/wine-scratch"
prefix=$(mktemp -d "$(dirname -- "$template")/wine-scratch/fonts.XXXXXX") || exit 1
trap '"$TOOL" dispose "$prefix"' EXIT
"$TOOL" clone "$template" "$prefix" || exit 1

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The replacement of FACE in the prefix, or nothing when it has none.
replacement() {
  (
    export WINEPREFIX=$prefix LANG=ja_JP.UTF-8 WINEDEBUG=-all
    wine reg query "$QUELLMARK_FONT_REPLACEMENTS_KEY" /v "$1" 2>/dev/null | iconv -f CP932 -t UTF-8 |
      tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
  )
}

expect_replacement() {
  local face=$1 want=$2 got
  got=$(replacement "$face")
  [ "$got" = "$want" ] || fail "$3: the replacement of \"$face\" is \"$got\", not \"$want\""
}

# A prefix with no replacements: both faces get the stand-in, and the way back is printed.
output=$(ensure_font_replacements "$prefix") || fail "a prefix without replacements: the set-up failed"
echo "$output"
expect_replacement "ＭＳ Ｐゴシック" IPAPGothic "a prefix without replacements"
expect_replacement "MS UI Gothic" IPAPGothic "a prefix without replacements"
for face in "ＭＳ Ｐゴシック" "MS UI Gothic"; do
  grep -qF "reg delete '$QUELLMARK_FONT_REPLACEMENTS_KEY' /v '$face' /f" <<<"$output" ||
    fail "no command to undo the replacement of \"$face\""
done

# The printed way back works: it takes the stand-in out again.
undo=$(grep -F "/v 'ＭＳ Ｐゴシック'" <<<"$output" | sed 's/^ *//')
bash -c "$undo" >/dev/null 2>&1
expect_replacement "ＭＳ Ｐゴシック" "" "after the printed undo command"

# The user's own replacement of one face stays; only the missing one is added, and only it is named.
(export WINEPREFIX=$prefix LANG=ja_JP.UTF-8 WINEDEBUG=-all
  wine reg add "$QUELLMARK_FONT_REPLACEMENTS_KEY" /v "MS UI Gothic" /d "Noto Sans CJK JP" /f >/dev/null 2>&1)
output=$(ensure_font_replacements "$prefix") || fail "a prefix with one replacement: the set-up failed"
echo "$output"
expect_replacement "MS UI Gothic" "Noto Sans CJK JP" "the user's own replacement"
expect_replacement "ＭＳ Ｐゴシック" IPAPGothic "the missing replacement"
grep -qF "/v 'MS UI Gothic'" <<<"$output" && fail "offers to undo a replacement it did not add"

# Everything in place: nothing is added or announced.
output=$(ensure_font_replacements "$prefix") || fail "a complete prefix: the set-up failed"
grep -q 'added' <<<"$output" && fail "a complete prefix: says it added something: $output"
expect_replacement "MS UI Gothic" "Noto Sans CJK JP" "a second run"

[ "$failures" -eq 0 ] && echo "font replacements: all checks passed"
[ "$failures" -eq 0 ]
