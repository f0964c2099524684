#!/usr/bin/env bash
# Builds the long runs into build-bench/ (Release) and runs them through the
# window offscreen against the simulated receiver: 200 full reads and writes
# in turn against the unpaced receiver, then 10 minutes of on-line reception
# with an event line every 50 ms. Prints the figures as it goes and a summary;
# exits non-zero when a check fails. Extra arguments go to long_run
# (--transfers N, --reception-minutes N, --only transfers|reception).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAV_BUILD_BENCH=ON \
    -DTAV_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target long_run

build-bench/bench/long_run "$@"
