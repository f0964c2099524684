#!/usr/bin/env bash
# Builds the long runs in the optimised build (build-release/, see
# scripts/lib.sh) and runs them through the window offscreen against the
# simulated receiver: 200 full reads and writes in turn against the unpaced
# receiver, then 10 minutes of on-line reception with an event line every
# 50 ms. Prints the figures as it goes and a summary; exits non-zero when a
# check fails. Extra arguments go to long_run (--transfers N,
# --reception-minutes N, --only transfers|reception).
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=lib.sh
. scripts/lib.sh
scripts/setup.sh
release_build --target long_run

build-release/bench/long_run "$@"
