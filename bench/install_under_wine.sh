#!/usr/bin/env bash
# The add command under Wine in Xvfb: time from pressing OK in the warning to the "情報" dialog shown,
# both rules ticked, on an empty rule store and on one holding 4096 rules (000 to FFF); medians.
#
#   bash bench/install_under_wine.sh [BUILD_TREE] [RUNS]
#
# BUILD_TREE is the Windows program tree (default build/win) with quellmark.exe and the GUI tests'
# send_keys.exe built; RUNS per store (default 7). Every run gets a fresh copy of a prefix prepared
# once per store from the build's template prefix (tests/wine/wine-prefix); nothing touches ~/.wine.
# OK is pressed through XTEST and the dialog is found by polling X, which adds a few milliseconds.
set -euo pipefail
root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
tree=$(realpath -e -- "${1:-$root/build/win}")
runs=${2:-7}
for exe in "$tree/src/app/quellmark.exe" "$tree/tests/gui/send_keys.exe"; do
  [ -f "$exe" ] || { echo "install_under_wine.sh: $exe is missing; build the tree first" >&2; exit 1; }
done

QUELLMARK_BUILD_DIR=$tree INSTALL_RUNS=$runs PYTHONDONTWRITEBYTECODE=1 exec python3 "$root/bench/install_under_wine.py"
