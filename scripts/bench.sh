#!/usr/bin/env bash
# Builds the benchmarks into build-bench/ (Release) and runs them: the device
# operations against the simulated receiver paced at 9600 baud, through the
# link, with blind 50 ms sleeps for comparison, and through the window; then
# the window's micro-benchmarks; then the simulated receiver on its pty
# (pacing, the tool's pauses as it logs them, idle CPU). Prints every figure
# beside its goal. About nine minutes. Extra arguments go to transfer_bench (--quick: the short
# operations only).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAV_BUILD_BENCH=ON \
    -DTAV_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target transfer_bench window_bench \
    pty_receiver_bench

status=0
build-bench/bench/transfer_bench "$@" || status=1
echo
build-bench/bench/window_bench --benchmark_min_time=0.2 || status=1
echo
build-bench/bench/pty_receiver_bench || status=1
exit $status
