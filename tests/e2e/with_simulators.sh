#!/usr/bin/env bash
# Runs a Windows test program (the command after "--", its emulator first)
# with native simulated receivers behind COM ports of the Wine prefix: each
# receiver's --link is the prefix's dosdevices/comN, which Windows programs
# open as \\.\COMn. The environment tells the program which port is which:
#   TAV_E2E_READ_PORT    unpaced, memory from TAV_E2E_IMAGE; only read
#   TAV_E2E_WRITE_PORT   unpaced, for writes and reading them back
#   TAV_E2E_PACED_PORT   paced at 9600 baud, memory from TAV_E2E_IMAGE
#   TAV_E2E_SILENT_PORT  memory from TAV_E2E_IMAGE, silent from record 300
#   TAV_E2E_HANGUP_PORT  memory from TAV_E2E_IMAGE, hangs up after sending
#                        the version and 100 records (TAV_E2E_HANGUP2_PORT: the same)
#   TAV_E2E_IMAGE        a settings file (Windows path) with random memory
# Usage: with_simulators.sh SIM WINEPREFIX -- COMMAND...
set -euo pipefail
sim=$1
prefix=$2
shift 2
[ "${1:-}" = "--" ] && shift

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

{
    printf '$*$10'
    head -c 32768 /dev/urandom
} >"$work/memory.tv2"

start() {
    local port=$1
    shift
    "$sim" --link "$prefix/dosdevices/com$port" "$@" >"$work/com$port.out" 2>"$work/com$port.log" &
    pids+=($!)
}
image=(--image "$work/memory.tv2" --frame-timeout-ms 200)
start 5 "${image[@]}"
start 6 --zero --frame-timeout-ms 200
start 7 "${image[@]}" --paced
start 8 "${image[@]}" --fault silence-record:300
start 9 "${image[@]}" --fault hang-up:$((6 + 100 * 33))
start 10 "${image[@]}" --fault hang-up:$((6 + 100 * 33))

# Each receiver prints its device path once its link is in place.
for port in 5 6 7 8 9 10; do
    for _ in $(seq 200); do
        [ -s "$work/com$port.out" ] && break
        sleep 0.05
    done
    if [ ! -s "$work/com$port.out" ]; then
        echo "with_simulators.sh: the receiver for COM$port did not start:" >&2
        cat "$work/com$port.log" >&2
        exit 1
    fi
done

export TAV_E2E_READ_PORT=COM5 TAV_E2E_WRITE_PORT=COM6 TAV_E2E_PACED_PORT=COM7
export TAV_E2E_SILENT_PORT=COM8 TAV_E2E_HANGUP_PORT=COM9 TAV_E2E_HANGUP2_PORT=COM10
TAV_E2E_IMAGE="Z:$(printf '%s' "$work/memory.tv2" | tr / '\\')"
export TAV_E2E_IMAGE
"$@"
