#!/usr/bin/env bash
# The Windows installer and portable zip, and a trial of both under Wine.
# Builds tav1000r.exe, tav1000r-demo.exe and tavctl.exe (static Qt, see
# test-windows.sh), stages them with Qt's Polish translation, makes
# build-windows-package/tav1000r-VERSION-x64.msi with wixl and
# tav1000r-VERSION-windows-x64.zip of the same folder. Then, in a fresh Wine
# prefix on a virtual X display: installs the MSI (msiexec /i), opens a
# settings file with Polish letters in its name through the file association
# and saves a screenshot of the window saying it was loaded, runs the
# installed tavctl --help and tavctl read-all against tav1000r-sim behind a
# COM port of the prefix, saves the installed demo's four pages as pictures,
# uninstalls (msiexec /x) and checks that nothing of it is left.
#   --build   stop after making the MSI and the zip
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
. scripts/windows-lib.sh
root=$PWD
out=$root/build-windows
pkg=$root/build-windows-package
build_only=false
[ "${1:-}" = --build ] && build_only=true

need_packages wixl msitools zip qt6-translations-l10n xvfb x11-utils imagemagick
# shellcheck disable=SC2119 # no --core: the whole build
windows_prepare
export WINEPREFIX=$out/wineprefix
windows_build "$root" "$out" tav1000r tav1000r-demo tavctl

version=$(sed -n 's/^project(tav1000r VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=$pkg/TAV-1000R
rm -rf "$pkg"
mkdir -p "$stage"
# Qt's project set-up puts a Windows build's programs at the top of the tree.
for exe in tav1000r.exe tav1000r-demo.exe tavctl.exe; do
    x86_64-w64-mingw32-strip -o "$stage/$exe" "$out/$exe"
done
cp /usr/share/qt6/translations/qtbase_pl.qm "$stage/"
msi=$pkg/tav1000r-$version-x64.msi
zip=$pkg/tav1000r-$version-windows-x64.zip
# wixl takes a file's Source relative to where it runs (an absolute one it
# cannot open), hence the staged folder as the working folder.
(cd "$stage" && wixl -a x64 -D SourceDir=. -D Version="$version.0" -o "$msi" \
    "$root/packaging/windows/tav1000r.wxs") 2> >(grep -v 'GLib-GObject-WARNING' >&2 || true)
(cd "$pkg" && zip -qr "$zip" TAV-1000R)
echo "package-windows: $msi ($(du -h "$msi" | cut -f1))"
echo "package-windows: $zip ($(du -h "$zip" | cut -f1))"
$build_only && exit 0

# ---- the trial, in a prefix of its own ----------------------------------------
export LANG=C.UTF-8
windows_scratch
fail() {
    echo "package-windows: $*" >&2
    exit 1
}
# wait_for SECONDS COMMAND...: until COMMAND succeeds.
wait_for() {
    local limit=$1
    shift
    for _ in $(seq $((limit * 10))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
wait_for 10 xwininfo -root || fail "Xvfb did not start"
# The prefix's desktop process starts with the prefix and keeps the display
# it found then: without one, no window of the trial would ever show.
export WINEPREFIX=$pkg/wineprefix
wine_fresh_prefix "$pkg"
trap windows_scratch_end EXIT # the prefix set its own; this one stops it too

"$wine" msiexec /i "$(windows_path "$msi")" /qn >"$work/install.log" 2>&1 || {
    cat "$work/install.log" >&2
    fail "msiexec /i failed"
}
c=$WINEPREFIX/drive_c
installed=$c/Program\ Files/TAV-1000R
# All users' Start menu on Windows; Wine's msiexec puts it in the user's.
menu_folders() {
    find "$c/ProgramData" "$c/users" -path '*/Start Menu/Programs/TAV-1000R' 2>/dev/null
}
menu=$(menu_folders | head -n 1)
[ -n "$menu" ] || fail "no TAV-1000R in the Start menu"
for f in "$installed"/{tav1000r.exe,tav1000r-demo.exe,tavctl.exe,qtbase_pl.qm} \
    "$menu/TAV-1000R.lnk" "$menu/TAV-1000R demo.lnk"; do
    [ -f "$f" ] || fail "not installed: $f"
done
"$wine" reg query 'HKLM\Software\Classes\.tv2' 2>/dev/null | grep -q TAV1000R.Settings ||
    fail ".tv2 is not associated with the window"
echo "package-windows: installed into C:\\Program Files\\TAV-1000R, Start menu TAV-1000R"

# A settings file with Polish letters in its name, opened as a double click
# opens it (ShellExecute through the association).
docs=$c/users/Public/Documents
mkdir -p "$docs"
sim_image="$docs/Żółta brama.tv2"
{
    printf '%s' "\$*\$10"
    head -c 32768 /dev/urandom
} >"$sim_image"
"$wine" start "C:\\users\\Public\\Documents\\Żółta brama.tv2" >"$work/start.log" 2>&1
# The window shows its message box captioned "OK" once the file is loaded.
wait_for 120 sh -c 'xwininfo -root -tree | grep -q "\"OK\""' || {
    import -window root "$pkg/installed-window.png"
    xwininfo -root -tree | grep '"' >&2 || true
    cat "$work/start.log" >&2
    fail "the installed window did not report the file loaded (see $pkg/installed-window.png)"
}
wait_for 5 sh -c 'xwininfo -root -tree | grep -q "TAV-1000R"' || true
sleep 1 # let the message box paint before the picture
import -window root "$pkg/installed-window.png"
echo "package-windows: screenshot $pkg/installed-window.png"
"$wine" taskkill /f /im tav1000r.exe >/dev/null 2>&1 || true

# Read whole before it is searched: grep -q ends at the first line, and the
# pipe's failure (SIGPIPE) would fail the check under pipefail.
help=$("$wine" "C:\\Program Files\\TAV-1000R\\tavctl.exe" --help 2>&1) || true
grep -qE '^(Usage|Użycie): tavctl' <<<"$help" ||
    fail "the installed tavctl --help did not answer"
# read-all against a simulated receiver behind COM3 of the prefix.
"$out/native/sim/tav1000r-sim" --image "$sim_image" --link "$WINEPREFIX/dosdevices/com3" \
    >"$work/sim.out" 2>"$work/sim.log" &
pids+=($!)
wait_for 10 test -s "$work/sim.out" || fail "tav1000r-sim did not start"
"$wine" "C:\\Program Files\\TAV-1000R\\tavctl.exe" --port COM3 read-all \
    --image 'C:\users\Public\Documents\odczyt.tv2' >"$work/tavctl.log" 2>&1 || {
    cat "$work/tavctl.log" >&2
    fail "tavctl read-all on COM3 failed"
}
cmp -s "$sim_image" "$docs/odczyt.tv2" || fail "tavctl read-all did not read the receiver's memory"
echo "package-windows: installed tavctl --help and --port COM3 read-all: OK"

# The installed demo's four pages, drawn by the windows platform.
"$wine" "C:\\Program Files\\TAV-1000R\\tav1000r-demo.exe" --screenshots 'C:\users\Public\Documents\demo' \
    >"$work/demo.log" 2>&1 || {
    cat "$work/demo.log" >&2
    fail "the installed demo could not take its screenshots"
}
mkdir -p "$pkg/screenshots"
cp "$docs"/demo/*.png "$pkg/screenshots/"
echo "package-windows: demo pages in $pkg/screenshots"

"$wine" msiexec /x "$(windows_path "$msi")" /qn >"$work/uninstall.log" 2>&1 || {
    cat "$work/uninstall.log" >&2
    fail "msiexec /x failed"
}
[ ! -e "$installed" ] || fail "left after uninstalling: $installed ($(ls "$installed"))"
[ -z "$(menu_folders)" ] || fail "left after uninstalling: $(menu_folders)"
for key in 'HKLM\Software\Classes\.tv2' 'HKLM\Software\Classes\.tv1' \
    'HKLM\Software\Classes\TAV1000R.Settings' 'HKLM\Software\TAV-1000R'; do
    if "$wine" reg query "$key" >/dev/null 2>&1; then
        fail "left after uninstalling: $key"
    fi
done
echo "package-windows: uninstalled, nothing left"
