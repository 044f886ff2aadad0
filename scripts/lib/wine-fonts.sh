# The font stand-ins that the window needs under Wine, set in a prefix only where it has none.
# shellcheck shell=bash
#
# The main window is drawn in "ＭＳ Ｐゴシック" and the dialogs in "MS UI Gothic"; Wine has neither,
# and its fallback is wider, so a check box caption is cut off. The IPA P Gothic font (package
# fonts-ipafont-gothic) has the same proportions. Needs note() from common.sh.

QUELLMARK_FONT_REPLACEMENTS_KEY='HKCU\Software\Wine\Fonts\Replacements'
QUELLMARK_FONT_FACES=("ＭＳ Ｐゴシック" "MS UI Gothic")
QUELLMARK_FONT_STANDIN=IPAPGothic

# Runs Wine's reg in PREFIX, with the Japanese locale so that the font names arrive intact.
quellmark_prefix_reg() {
  (
    for var in $(compgen -e); do
      case $var in LC_*) unset "$var" ;; esac
    done
    WINEPREFIX=$1 LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      exec wine reg "${@:2}" </dev/null >/dev/null 2>&1
  )
}

# ensure_font_replacements PREFIX — adds the stand-in for each face that has no replacement in the
# prefix, says which it added and how to take them out again, and leaves every existing one alone.
ensure_font_replacements() {
  local prefix=$1 face status added=()
  for face in "${QUELLMARK_FONT_FACES[@]}"; do
    quellmark_prefix_reg "$prefix" query "$QUELLMARK_FONT_REPLACEMENTS_KEY" /v "$face"
    status=$?
    case $status in
      0) note "font: \"$face\" already has a replacement in this prefix; left as it is" ;;
      1)
        quellmark_prefix_reg "$prefix" add "$QUELLMARK_FONT_REPLACEMENTS_KEY" /v "$face" /t REG_SZ \
          /d "$QUELLMARK_FONT_STANDIN" /f || {
          note "font: could not add a replacement for \"$face\" (the window may cut off a caption)"
          return 1
        }
        added+=("$face")
        ;;
      *)
        note "font: could not read the replacements of this prefix (wine reg ended with $status)"
        return 1
        ;;
    esac
  done
  [ ${#added[@]} -eq 0 ] && return 0
  note "font: added $QUELLMARK_FONT_STANDIN as the replacement for $(printf '"%s" ' "${added[@]}")in $prefix"
  note "      (Wine has neither font; its fallback cuts a caption off). To undo:"
  for face in "${added[@]}"; do
    note "      WINEPREFIX='$prefix' LANG=ja_JP.UTF-8 wine reg delete '$QUELLMARK_FONT_REPLACEMENTS_KEY' /v '$face' /f"
  done
  return 0
}
