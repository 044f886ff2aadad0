#!/usr/bin/env bash
# Start-up benchmark: quellmark.exe against bare_window.exe (a bare Win32 window built with the same
# flags), from starting the process to its main window shown under Wine in Xvfb; medians and ratio.
#
#   bash bench/startup.sh [BUILD_TREE] [RUNS]
#
# BUILD_TREE is the Windows program tree (default build/win); RUNS per program and mode, at least
# 10 (default 11). Two modes:
#   process  the Wine session (wineserver and its services) is already up, as the system is on
#            Windows: the program's own start-up
#   session  the wineserver is ended before every run: Wine's start-up included
# The programs take turns, so drifts of the machine hit both alike. Uses the build's template
# prefix (tests/wine/wine-prefix) and a throwaway copy of it; nothing touches ~/.wine.
set -euo pipefail
root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
tree=$(realpath -e -- "${1:-$root/build/win}")
runs=${2:-11}
if [ "$runs" -lt 10 ]; then
  echo "startup.sh: at least 10 runs" >&2
  exit 2
fi
for exe in "$tree/src/app/quellmark.exe" "$tree/src/app/bare_window.exe"; do
  [ -f "$exe" ] || { echo "startup.sh: $exe is missing; build the tree first" >&2; exit 1; }
done

QUELLMARK_BUILD_DIR=$tree STARTUP_RUNS=$runs PYTHONDONTWRITEBYTECODE=1 exec python3 "$root/bench/startup.py"
