#!/usr/bin/env bash
# Builds the Debian package in the optimised build the benchmarks share
# (build-release/, see scripts/lib.sh; the benchmarks are built too), checks it
# (lintian errors, desktop-file-validate, appstreamcli validate), makes the
# AppStream screenshot with the demo, then installs the package on this machine
# with apt-get, tries it as an installer would (the window under Xvfb with a
# settings file given on the command line, tavctl --help without a display, a
# tavctl read against tav1000r-sim), removes it again and checks that nothing
# of it is left.
#
#   scripts/package.sh            all of it (needs root or sudo)
#   scripts/package.sh --build    only build and check the package
set -euo pipefail
cd "$(dirname "$0")/.."

only_build=false
[ "${1:-}" = "--build" ] && only_build=true

# shellcheck source=lib.sh
. scripts/lib.sh
scripts/setup.sh
need_packages lintian desktop-file-utils appstream dpkg-dev xvfb xauth imagemagick

out=build-release
# shellcheck disable=SC2119 # every target
release_build
rm -f "$out"/tav1000r_*.deb
(cd "$out" && cpack -G DEB >/dev/null)
deb=$(ls "$out"/tav1000r_*.deb)
echo "package: $deb"

desktop-file-validate packaging/tav1000r.desktop
appstreamcli validate --no-net "$out"/packaging/*.metainfo.xml
lintian --fail-on error --tag-display-limit 0 "$deb"

# The AppStream screenshot: the device settings page after a full read from
# the demo's simulated receiver, to be published with the metainfo.
rm -rf "$out/screenshots"
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$out"/app/tav1000r-demo --screenshots "$out/screenshots" >/dev/null
cp "$out"/screenshots/page3-*.png "$out"/tav1000r-settings.png
echo "package: screenshot $out/tav1000r-settings.png"

$only_build && exit 0

if dpkg-query -W -f='${Status}' tav1000r 2>/dev/null | grep -q 'install ok installed'; then
    echo "package: tav1000r is installed already; remove it first (apt-get purge tav1000r)" >&2
    exit 1
fi
work=$(mktemp -d)
files="$work/files"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's#^\./#/#' -e 's#/$##' | grep -v '^$' >"$files"
cleanup() {
    if [ -n "${sim:-}" ]; then
        kill "$sim" 2>/dev/null || true
    fi
    if dpkg-query -W -f='${Status}' tav1000r 2>/dev/null | grep -q 'install ok installed'; then
        apt_get purge -y -qq tav1000r >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "package: installing"
apt_get install -y -qq "./$deb" >/dev/null
for p in /usr/bin/tav1000r /usr/bin/tav1000r-demo /usr/bin/tav1000r-sim /usr/bin/tavctl; do
    [ -x "$p" ] || { echo "package: $p missing" >&2; exit 1; }
done
# dpkg's triggers registered the settings files' type.
[ -f /usr/share/mime/application/x-tav1000r-settings.xml ] ||
    { echo "package: MIME type not registered" >&2; exit 1; }
man -w tavctl >/dev/null

# tavctl and the simulator need no display.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM tavctl --help >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    tav1000r-sim --link "$work/tav" --erased >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 50); do [ -e "$work/tav" ] && break; sleep 0.1; done
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    tavctl --port "$work/tav" read-all --image "$work/receiver.tv2"
[ "$(stat -c %s "$work/receiver.tv2")" -eq 32773 ] ||
    { echo "package: the settings file read from the receiver has the wrong size" >&2; exit 1; }
kill "$sim"; wait "$sim" 2>/dev/null || true; sim=""
echo "package: tavctl read all settings from tav1000r-sim"

# The window, started the way the menu entry starts it: with a file.
cat >"$work/window.sh" <<SH
#!/bin/sh
tav1000r "$work/receiver.tv2" &
window=\$!
sleep 4
kill -0 \$window || exit 1
import -window root "$out/installed-window.png"
kill \$window
SH
chmod +x "$work/window.sh"
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$work/window.sh" ||
    { echo "package: the installed window did not stay up" >&2; exit 1; }
echo "package: the installed window started with a settings file ($out/installed-window.png)"

echo "package: removing"
apt_get purge -y -qq tav1000r >/dev/null
left=0
while read -r f; do
    # Folders such as /usr/share/man/man1 belong to other packages too.
    if [ -e "$f" ] && [ ! -d "$f" ]; then
        echo "package: left behind: $f" >&2
        left=1
    fi
done <"$files"
[ -e /usr/share/mime/application/x-tav1000r-settings.xml ] &&
    { echo "package: MIME type still registered" >&2; left=1; }
[ -d /usr/share/doc/tav1000r ] && { echo "package: /usr/share/doc/tav1000r left" >&2; left=1; }
[ $left -eq 0 ] || exit 1
echo "package: installed, tried and removed cleanly"
