#!/usr/bin/env bash
# Installs what is missing, builds everything into build/ and runs the whole
# test suite. Extra arguments go to ctest (for example -L image).
#   --werror   treat compiler warnings as errors (CI does)
set -euo pipefail
cd "$(dirname "$0")/.."

werror=OFF
if [ "${1:-}" = "--werror" ]; then
    werror=ON
    shift
fi

scripts/setup.sh

cmake --preset default -DTAV_WARNINGS_AS_ERRORS="$werror" >/dev/null
cmake --build build -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)" "$@"
