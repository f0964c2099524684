#!/usr/bin/env bash
# Builds the core layers (image/, link/, the simulator's engine) and their
# tests as static Windows programs with MinGW-w64, GoogleTest built from
# Debian's sources, and runs them under Wine in a fresh prefix under
# build-windows/; the Win32 serial backend's end-to-end test talks to native
# simulated receivers through COM ports of that prefix. Installs what is
# missing (quietly, once). Extra arguments go to ctest (for example -L e2e).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows

needed=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || needed+=(g++-mingw-w64-x86-64-posix)
dpkg -s wine64 >/dev/null 2>&1 || needed+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || needed+=(googletest)
for tool in cmake ninja; do
    command -v "$tool" >/dev/null || needed+=("$([ "$tool" = ninja ] && echo ninja-build || echo cmake)")
done
if [ ${#needed[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${needed[@]}" >/dev/null
fi
# Debian's wine64 puts no "wine" on the PATH; its programs live here.
wine=$(dpkg -L wine64 | grep '/wine64$' | head -n 1)
wineserver=$(dirname "$wine")/wineserver

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The native simulated receiver, the far end of the COM ports.
cmake -S . -B "$out/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAV_BUILD_UI=OFF \
    -DTAV_BUILD_TESTS=OFF -DTAV_WARNINGS_AS_ERRORS=ON "${launcher[@]}" >/dev/null
cmake --build "$out/native" --target tav1000r-sim

export WINEPREFIX=$out/wineprefix WINEDEBUG=-all
# No Mono or Gecko: nothing is fetched, and no dialog asks for them.
export WINEDLLOVERRIDES="mscoree,mshtml="
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTAV_BUILD_UI=OFF -DTAV_BUILD_TESTS=ON \
    -DTAV_WARNINGS_AS_ERRORS=ON -DTAV_GTEST_SOURCES=/usr/src/googletest \
    -DCMAKE_CROSSCOMPILING_EMULATOR="env;WINEPREFIX=$WINEPREFIX;WINEDEBUG=-all;$wine" \
    -DTAV_NATIVE_SIM="$out/native/sim/tav1000r-sim" -DTAV_WINEPREFIX="$WINEPREFIX" \
    "${launcher[@]}" >/dev/null
cmake --build "$out"

# A fresh prefix for every run. The wine server keeps running between the
# programs; it takes a pty as its controlling terminal and prints a long dump
# when the pty's far end closes, hence its own log file.
"$wineserver" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
"$wineserver" -p >"$out/wineserver.log" 2>&1
trap '"$wineserver" -k 2>/dev/null || true' EXIT
# wineboot starts Wine's background services; started here, they keep its
# log open and not the output pipes of a test that CTest waits on.
"$wine" wineboot -i >"$out/wineboot.log" 2>&1

ctest --test-dir "$out" --output-on-failure -j 2 "$@"
