#!/usr/bin/env bash
# Builds Qt 6 (Core, Gui, Widgets, PrintSupport, Test; the windows and
# offscreen platform plugins) for 64-bit Windows with Debian's MinGW-w64, from
# Debian's own source package of the qt6-base that the machine's host Qt tools
# come from, and installs it into a cache folder outside the clone. The
# folder's name carries the Qt version and a digest of this script's build
# options, so a change of options builds afresh; a finished folder is reused.
# Prints the folder. About 20 minutes on two cores the first time.
#   TAV_QT_CACHE   where the cache folders live (default ~/.cache/tav1000r)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

need_packages dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix

version=$(dpkg-query -W -f='${Version}' qt6-base-dev)   # 6.4.2+dfsg-10
upstream=${version%%+*}

# Static libraries: each program is one file that runs alone (no DLLs, no
# plugin folder), so the installer, the portable zip and the tests under Wine
# need nothing beside the programs. Only what the window needs is built.
options=(
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release
    -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_testlib=ON -DFEATURE_printsupport=ON
    -DFEATURE_widgets=ON -DFEATURE_gui=ON
    # Dynamic OpenGL stays on unless the input says no.
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
    # Without direct2d the DirectWrite font engine that printing uses goes too:
    # only Direct2D 1.1 is turned off.
    -DFEATURE_direct2d1_1=OFF
    # Debian's source has no wintab headers, which tablet events need.
    -DFEATURE_tabletevent=OFF
    -DFEATURE_pkg_config=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_jpeg=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_jpeg=OFF
    # GCC's inter-procedural register allocation trusts its own copy of an
    # inline function; the linker may keep another one (seen as a crash in
    # QRandomGenerator). The project's Windows build sets the same flag.
    "-DCMAKE_C_FLAGS=-fno-ipa-ra" "-DCMAKE_CXX_FLAGS=-fno-ipa-ra"
)
digest=$(printf '%s\n' "$version" "${options[@]}" | sha256sum | cut -c1-12)
cache=${TAV_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tav1000r}
prefix=$cache/qt-$upstream-mingw64-static-$digest
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# One build at a time: a second caller waits for the first, then reuses it.
mkdir -p "$cache"
exec 9>"$cache/.lock-$digest"
flock 9
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work=$cache/work-$digest
rm -rf "$work" "$prefix"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# Debian's source package of the same version as the host tools.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
    ! grep -qs '^deb-src' /etc/apt/sources.list; then
    sed -n '/^Types:/,$p' /etc/apt/sources.list.d/debian.sources |
        sed 's/^Types: deb$/Types: deb-src/' |
        as_root tee /etc/apt/sources.list.d/tav1000r-deb-src.sources >/dev/null
    apt_get update -qq
fi
# Only the download, as the caller; under apt_get's lock all the same.
(cd "$work" && flock "$apt_lock" apt-get source --download-only -qq "qt6-base=$version" >/dev/null &&
    dpkg-source -x --no-check ./*.dsc src >/dev/null)

toolchain=$work/toolchain.cmake
cat >"$toolchain" <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

echo "qt-windows: building Qt $upstream for Windows into $prefix (about 20 minutes)" >&2
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${options[@]}" \
    >"$work/configure.log" 2>&1 || { tail -n 40 "$work/configure.log" >&2; exit 1; }
nice -n 19 cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
touch "$prefix/.complete"
echo "$prefix"
