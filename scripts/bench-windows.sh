#!/usr/bin/env bash
# A full read of the receiver's memory through the Win32 serial backend under
# Wine and through the POSIX backend on Linux, in one run, each against its
# own tav1000r-sim paced at 9600 baud (the Windows one behind COM4 of a Wine
# prefix), each timed beside what the line allows for its traffic. Needs no
# Qt. Builds into build-windows-bench/. Extra arguments: --runs N (default 3).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
. scripts/windows-lib.sh
root=$PWD
out=$root/build-windows-bench
runs=3
[ "${1:-}" = --runs ] && runs=$2

windows_prepare --core
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset bench-native "${launcher[@]}" >/dev/null
cmake --build "$out/native" --target tav1000r-sim read_all_bench
cmake --preset bench-windows "${launcher[@]}" >/dev/null
cmake --build "$out/windows" --target read_all_bench

export WINEPREFIX=$out/wineprefix
wine_fresh_prefix "$out"
windows_scratch
{
    printf '%s' "\$*\$10"
    head -c 32768 /dev/urandom
} >"$work/memory.tv2"
for link in "$work/linux-port" "$WINEPREFIX/dosdevices/com4"; do
    name=$(basename "$link")
    "$out/native/sim/tav1000r-sim" --paced --image "$work/memory.tv2" --link "$link" \
        >"$work/$name.out" 2>"$work/$name.log" &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$work/$name.out" ] && break
        sleep 0.1
    done
    [ -s "$work/$name.out" ] || { cat "$work/$name.log" >&2; exit 1; }
done

status=0
echo "Linux (POSIX backend, pty):"
"$out/native/bench/read_all_bench" --port "$work/linux-port" --runs "$runs" || status=1
echo "Windows under Wine (Win32 backend, COM4):"
"$wine" "$out/windows/bench/read_all_bench.exe" --port COM4 --runs "$runs" || status=1
exit $status
