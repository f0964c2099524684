# Shared by the Windows scripts (test-windows.sh, package-windows.sh): the
# cross build against Qt for Windows and a Wine prefix to run it in.
# shellcheck shell=bash
# Source lib.sh first.

# windows_path PATH: PATH as a Windows program sees it (drive Z: is /).
windows_path() {
    # shellcheck disable=SC1003 # tr's '\\' is one backslash
    printf 'Z:%s' "$1" | tr / '\\'
}

# windows_prepare [--core]: installs what the Windows build and Wine need;
# sets `qt` to Qt for Windows (built once by qt-windows.sh; empty with
# --core), `wine` and `wineserver`.
windows_prepare() {
    need_packages g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 googletest \
        cmake ninja-build fonts-dejavu-core fonts-liberation qt6-translations-l10n qt6-l10n-tools \
        locales
    # Wine takes a program's display language from LANG, and only for a
    # locale the host has: tavctl's Polish is tried under pl_PL.UTF-8.
    if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
        as_root sed -i 's/^# *\(pl_PL\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^pl_PL\.UTF-8 UTF-8' /etc/locale.gen ||
            echo 'pl_PL.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen >/dev/null
    fi
    qt=
    if [ "${1:-}" != --core ]; then
        qt=$(bash "$(dirname "${BASH_SOURCE[0]}")/qt-windows.sh")
    fi
    # Debian's wine64 puts no "wine" on the PATH; its programs live here.
    wine=$(dpkg -L wine64 | grep '/wine64$' | head -n 1)
    wineserver=$(dirname "$wine")/wineserver
}

# windows_build ROOT OUT [TARGET...]: the native simulated receiver (the far
# end of the COM ports) under OUT/native, then the Windows programs and tests
# under OUT (without `qt`: the core layers and their tests only), warnings as
# errors. WINEPREFIX must be set (the tests run there).
windows_build() {
    local root=$1 out=$2
    shift 2
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$out/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAV_BUILD_UI=OFF -DTAV_BUILD_TESTS=OFF -DTAV_WARNINGS_AS_ERRORS=ON \
        "${launcher[@]}" >/dev/null
    cmake --build "$out/native" --target tav1000r-sim
    # The preset "windows" (CMakePresets.json) holds the fixed part.
    cmake --preset windows -S "$root" -B "$out" -DCMAKE_PREFIX_PATH="$qt" \
        -DTAV_BUILD_UI="$([ -n "$qt" ] && echo ON || echo OFF)" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="env;WINEPREFIX=$WINEPREFIX;WINEDEBUG=-all;$wine" \
        -DTAV_NATIVE_SIM="$out/native/sim/tav1000r-sim" -DTAV_WINEPREFIX="$WINEPREFIX" \
        "${launcher[@]}" >/dev/null
    cmake --build "$out" -j 2 ${1:+--target "$@"}
}

# wine_fresh_prefix: a new prefix at WINEPREFIX with its wine server kept
# running (each program then starts in a fraction of a second) until the
# shell exits; Arial, Courier New and Times New Roman are the Liberation
# fonts, which have their metrics; OUT/fonts holds the fonts for Qt's
# offscreen platform, which reads only that folder (WINEQT_QPA_FONTDIR).
wine_fresh_prefix() {
    local out=$1
    export WINEDEBUG=-all
    # No Mono or Gecko: nothing is fetched, and no dialog asks for them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # The server takes a pty as its controlling terminal and prints a long
    # dump when the pty's far end closes, hence its own log file.
    "$wineserver" -p >"$out/wineserver.log" 2>&1
    trap '"$wineserver" -k 2>/dev/null || true' EXIT
    # wineboot starts Wine's background services; started here, they keep its
    # log open and not the output pipes of a test that CTest waits on.
    "$wine" wineboot -i >"$out/wineboot.log" 2>&1
    cat >"$out/fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Courier New"="Liberation Mono"
"Times New Roman"="Liberation Serif"
REG
    "$wine" regedit /S "$(windows_path "$out/fonts.reg")" >/dev/null 2>&1
    rm -rf "$out/fonts"
    mkdir -p "$out/fonts"
    cp /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf \
        /usr/share/fonts/truetype/liberation/Liberation*.ttf "$out/fonts/"
    # Wine hands a Windows program the variables named WINEQT_* as QT_*.
    WINEQT_QPA_FONTDIR=$(windows_path "$out/fonts")
    export WINEQT_QPA_FONTDIR
}

# windows_scratch: sets `work` (a scratch folder) and `pids` (background
# processes go there); when the shell exits those are stopped, the prefix's
# wine server too, and the folder is removed.
windows_scratch() {
    work=$(mktemp -d)
    pids=()
    trap windows_scratch_end EXIT
}
windows_scratch_end() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
