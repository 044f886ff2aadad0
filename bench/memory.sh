#!/usr/bin/env bash
# Peak memory: quellmark.exe against bare_window.exe (a bare Win32 window built with the same flags),
# each started under Wine in Xvfb until its main window is shown and has settled; the peak resident
# set (VmHWM) of the program's own process, medians of RUNS runs, and their ratio.
#
#   bash bench/memory.sh [BUILD_TREE] [RUNS]      (defaults: build/win, 5)
set -euo pipefail
root=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
tree=$(realpath -e -- "${1:-$root/build/win}")
runs=${2:-5}
for exe in "$tree/src/app/quellmark.exe" "$tree/src/app/bare_window.exe"; do
  [ -f "$exe" ] || { echo "memory.sh: $exe is missing; build the tree first" >&2; exit 1; }
done

QUELLMARK_BUILD_DIR=$tree MEMORY_RUNS=$runs PYTHONDONTWRITEBYTECODE=1 exec python3 "$root/bench/memory.py"
