#!/usr/bin/env bash
# The Windows installer, the portable zip and the LGPL relink kit, and a trial
# of all of them under Wine. Builds tav1000r.exe, tav1000r-demo.exe and
# tavctl.exe (static Qt, see test-windows.sh), stages them with Qt's Polish
# translation, signs them when a certificate is given, makes
# build-windows-package/tav1000r-VERSION-x64.msi with wixl (finished with
# msibuild, see msi_finish in windows-lib.sh) and signs it,
# tav1000r-VERSION-windows-x64.zip of the same folder, and
# tav1000r-VERSION-relink-kit.zip: the project's objects and the link
# commands, so a user can link the programs against a Qt of their own.
# Then, in a fresh Wine prefix on a virtual X display: installs the MSI
# (msiexec /i), opens a settings file with Polish letters in its name through
# the file association and saves a screenshot of the window saying it was
# loaded, runs the installed tavctl --help and tavctl read-all against
# tav1000r-sim behind a COM port of the prefix, and the same on COM17, runs
# tavctl from the console the Start menu's "wiersz poleceń" opens, reads
# tav1000r.exe --version, saves the installed demo's four pages as pictures,
# upgrades to the same MSI built at the next version (one entry left, the
# user's files and settings kept), tries the older one again (refused),
# uninstalls (msiexec /x) and checks that nothing of it is left; relinks
# tavctl from the kit and runs it.
#
# Signing: TAV_SIGN_PKCS12 (a PKCS#12 file with the vendor's code-signing
# certificate, its chain and key) and TAV_SIGN_PASSWORD (its password) in the
# environment sign every .exe and the MSI (osslsigncode, Authenticode, SHA-256,
# time-stamped by TAV_SIGN_TIMESTAMP_URL when that server answers); the
# signatures are checked with osslsigncode verify. Neither ever goes into the
# repository.
#   --build              stop after making the files
#   --test-certificate   sign with a throwaway self-signed certificate made on
#                        the spot (CI), and verify against it
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
. scripts/windows-lib.sh
root=$PWD
out=$root/build-windows
pkg=$root/build-windows-package
build_only=false
test_certificate=false
for arg in "$@"; do
    case $arg in
    --build) build_only=true ;;
    --test-certificate) test_certificate=true ;;
    *)
        echo "package-windows: unknown option $arg" >&2
        exit 2
        ;;
    esac
done

need_packages wixl msitools zip qt6-translations-l10n xvfb x11-utils imagemagick osslsigncode \
    openssl curl unzip
# shellcheck disable=SC2119 # no --core: the whole build
windows_prepare
export WINEPREFIX=$out/wineprefix
windows_build "$root" "$out" tav1000r tav1000r-demo tavctl console_text
windows_scratch
secrets=$work/secrets
mkdir -m 700 "$secrets"
signing_ca=
if $test_certificate; then
    throwaway_certificate "$secrets"
fi
signing=false
[ -n "${TAV_SIGN_PKCS12:-}" ] && signing=true

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
kit=$pkg/tav1000r-$version-relink-kit
$signing && sign_files "$stage"/*.exe
# make_msi VERSION MSI: the staged folder as an MSI of that version.
make_msi() {
    rm -f "$2"
    # wixl takes a file's Source relative to where it runs (an absolute one it
    # cannot open), hence the staged folder as the working folder.
    (cd "$stage" && wixl -a x64 -D SourceDir=. -D Version="$1.0" -o "$2" \
        "$root/packaging/windows/tav1000r.wxs") 2> >(grep -v 'GLib-GObject-WARNING' >&2 || true)
    msi_finish "$2"
    if $signing; then
        sign_files "$2"
    fi
}
make_msi "$version" "$msi"
(cd "$pkg" && zip -qr "$zip" TAV-1000R)
relink_kit "$out" "$kit" tavctl tav1000r tav1000r-demo
cp "$root/packaging/windows/relink-kit.txt" "$kit/README.txt"
(cd "$pkg" && zip -qr "$kit.zip" "$(basename "$kit")")
echo "package-windows: $msi ($(du -h "$msi" | cut -f1))"
echo "package-windows: $zip ($(du -h "$zip" | cut -f1))"
echo "package-windows: $kit.zip ($(du -h "$kit.zip" | cut -f1))"
if $signing; then
    for f in "$stage"/*.exe "$msi"; do
        osslsigncode verify ${signing_ca:+-CAfile "$signing_ca"} -in "$f" >"$secrets/verify.log" 2>&1 || {
            cat "$secrets/verify.log" >&2
            echo "package-windows: the signature of $f does not verify" >&2
            exit 1
        }
    done
    echo "package-windows: signed and verified (osslsigncode verify): $(cd "$stage" && echo *.exe) $(basename "$msi")"
fi
$build_only && exit 0

# ---- the trial, in a prefix of its own ----------------------------------------
export LANG=C.UTF-8
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
    "$menu/TAV-1000R.lnk" "$menu/TAV-1000R demo.lnk" "$menu/TAV-1000R — wiersz poleceń.lnk"; do
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

# Ports above COM15, as Windows numbers USB adapters: COM17, by either name.
"$out/native/sim/tav1000r-sim" --image "$sim_image" --link "$WINEPREFIX/dosdevices/com17" \
    >"$work/sim17.out" 2>"$work/sim17.log" &
pids+=($!)
wait_for 10 test -s "$work/sim17.out" || fail "tav1000r-sim on COM17 did not start"
for port in COM17 '\\.\com17'; do
    rm -f "$docs/odczyt17.tv2"
    "$wine" "C:\\Program Files\\TAV-1000R\\tavctl.exe" --port "$port" read-all \
        --image 'C:\users\Public\Documents\odczyt17.tv2' >"$work/tavctl17.log" 2>&1 || {
        cat "$work/tavctl17.log" >&2
        fail "tavctl read-all on $port failed"
    }
    cmp -s "$sim_image" "$docs/odczyt17.tv2" || fail "tavctl read-all on $port read something else"
done
printf '%s\n' 'package-windows: tavctl --port COM17 and \\.\com17 read-all: OK'

# What a console shows: tavctl's Polish message, tav1000r.exe's answers (a
# window program writing into the console it was started from).
console_text=$(windows_path "$(find "$out" -maxdepth 3 -name console_text.exe | head -n 1)")
shown=$("$wine" "$console_text" 'C:\Program Files\TAV-1000R\tavctl.exe' --port COM9 version 2>&1) || true
grep -qF 'Błąd: Niewłaściwa nazwa portu lub port jest aktywny.' <<<"$shown" || {
    echo "$shown" >&2
    fail "the console does not show tavctl's Polish message intact"
}
shown=$("$wine" "$console_text" 'C:\Program Files\TAV-1000R\tav1000r.exe' --version 2>&1) || true
grep -qF "tav1000r $version" <<<"$shown" || {
    echo "$shown" >&2
    fail "tav1000r.exe --version did not reach the console it was started from"
}
shown=$("$wine" "$console_text" 'C:\Program Files\TAV-1000R\tav1000r.exe' --help 2>&1) || true
grep -qF 'Użycie: tav1000r [PLIK]' <<<"$shown" || {
    echo "$shown" >&2
    fail "tav1000r.exe --help did not reach the console it was started from"
}
echo "package-windows: the console shows tavctl's Polish and tav1000r.exe --version, --help: OK"

# The Start menu's console: its command (cmd /k COMMAND) runs tavctl, in a
# folder that is not the installation's.
command=$(msiinfo export "$msi" Shortcut | awk -F'\t' '$1 == "ConsoleShortcut" {print $6}')
command=${command#/k }
command=${command//\[INSTALLDIR\]/C:\\Program Files\\TAV-1000R\\}
printf '@%s\r\n' "${command/--help/--version}" >"$docs/console.cmd"
shown=$(cd "$docs" && "$wine" cmd /c 'C:\users\Public\Documents\console.cmd' 2>&1) || true
rm -f "$docs/console.cmd"
grep -qF "tavctl $version" <<<"$shown" || {
    echo "$command: $shown" >&2
    fail "the Start menu's console does not run tavctl"
}
"$wine" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH |
    grep -qF "C:\\Program Files\\TAV-1000R\\" || fail "the installation folder is not on the system's PATH"
echo "package-windows: the Start menu's console runs tavctl; the folder is on PATH: OK"

# The installed demo's four pages, drawn by the windows platform.
"$wine" "C:\\Program Files\\TAV-1000R\\tav1000r-demo.exe" --screenshots 'C:\users\Public\Documents\demo' \
    >"$work/demo.log" 2>&1 || {
    cat "$work/demo.log" >&2
    fail "the installed demo could not take its screenshots"
}
mkdir -p "$pkg/screenshots"
cp "$docs"/demo/*.png "$pkg/screenshots/"
echo "package-windows: demo pages in $pkg/screenshots"

# An upgrade: the same MSI at the next version replaces the installed one
# (one entry left), keeping the user's files, their settings and the
# association; the older one then refuses.
next=${version%.*}.$((${version##*.} + 1))
next_msi=$pkg/tav1000r-$next-x64.msi
make_msi "$next" "$next_msi"
"$wine" reg add 'HKCU\Software\TAV-1000R\TAV-1000R' /v trial /d kept /f >/dev/null 2>&1
"$wine" msiexec /i "$(windows_path "$next_msi")" /qn >"$work/upgrade.log" 2>&1 || {
    cat "$work/upgrade.log" >&2
    fail "msiexec /i of $next over $version failed"
}
entries=$("$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | grep -cE 'DisplayName +REG_SZ +TAV-1000R$' || true)
[ "$entries" = 1 ] || fail "$entries TAV-1000R entries in Apps after the upgrade (one expected)"
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    grep -q "DisplayVersion.*$next" || fail "the upgrade did not install $next"
for f in "$sim_image" "$docs/odczyt.tv2" "$installed/tavctl.exe" "$menu/TAV-1000R.lnk"; do
    [ -f "$f" ] || fail "gone after the upgrade: $f"
done
"$wine" reg query 'HKLM\Software\Classes\.tv2' 2>/dev/null | grep -q TAV1000R.Settings ||
    fail ".tv2 is not associated with the window after the upgrade"
"$wine" reg query 'HKCU\Software\TAV-1000R\TAV-1000R' /v trial 2>/dev/null | grep -q kept ||
    fail "the user's settings are gone after the upgrade"
if "$wine" msiexec /i "$(windows_path "$msi")" /qn >"$work/downgrade.log" 2>&1; then
    fail "the older MSI ($version) installed over $next"
fi
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    grep -q "DisplayVersion.*$next" || fail "the older MSI changed the installed $next"
"$wine" reg delete 'HKCU\Software\TAV-1000R' /f >/dev/null 2>&1
echo "package-windows: $version -> $next upgraded (one entry, files, settings and association kept), $next -> $version refused: OK"
msi=$next_msi

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

# The relink kit, as a user would use it: tavctl linked from the kit against
# Qt for Windows runs.
(cd "$work" && unzip -q "$kit.zip")
QT=$qt bash "$work/$(basename "$kit")/relink-tavctl.sh" >"$work/relink.log" 2>&1 || {
    cat "$work/relink.log" >&2
    fail "tavctl did not relink from the kit"
}
relinked=$("$wine" "$(windows_path "$work/$(basename "$kit")/tavctl.exe")" --version 2>&1 | tr -d '\r') || true
[ "$relinked" = "tavctl $version" ] || fail "the relinked tavctl.exe says '$relinked'"
echo "package-windows: tavctl relinked from the kit against $qt runs: OK"
