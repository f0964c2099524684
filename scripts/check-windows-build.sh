#!/usr/bin/env bash
# Cross-compiles the core layers (image/, link/ with its Win32 backend, the
# simulator's engine) for Windows with MinGW-w64, warnings as errors. Not part
# of the default test run; installs the cross compiler when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        g++-mingw-w64-x86-64-posix >/dev/null
fi
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DTAV_BUILD_UI=OFF -DTAV_BUILD_TESTS=OFF -DTAV_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-windows
