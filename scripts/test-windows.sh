#!/usr/bin/env bash
# Builds the Windows programs (tav1000r.exe, tav1000r-demo.exe, tavctl.exe)
# and the tests of every layer that runs on Windows with MinGW-w64, against
# static Qt for Windows (scripts/qt-windows.sh builds it once, about 20
# minutes, into a cache outside the clone), and runs the tests under Wine in
# a fresh prefix under build-windows/: the core layers, the window offscreen,
# tavctl's parts, the demo's in-process receivers, and the Win32 serial
# backend against native simulated receivers behind COM ports of the prefix.
# Tests that need ptys or POSIX calls stay on Linux. Installs what is missing
# (quietly, once). Extra arguments go to ctest (for example -L e2e).
#   --core   only the core layers and their tests (no Qt needed)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
. scripts/windows-lib.sh
root=$PWD
out=$root/build-windows
start=$SECONDS

core=()
if [ "${1:-}" = --core ]; then
    core=(--core)
    shift
fi
windows_prepare "${core[@]}"
export WINEPREFIX=$out/wineprefix
windows_build "$root" "$out"
wine_fresh_prefix "$out"

# Window tests on Qt's offscreen platform.
export WINEQT_QPA_PLATFORM=offscreen
ctest --test-dir "$out" --output-on-failure -j 2 "$@"
echo "test-windows: $((SECONDS - start)) s"
