#!/bin/sh
# Builds the tool and starts tav1000r-demo: the window with "COM1" wired to a
# simulated TAV-1000R and "COM2" to one in boot-loader mode.
#
# Without a display ($DISPLAY unset) the demo runs under Xvfb instead: it reads
# all settings from the simulated receiver, saves a screenshot of each page
# under build/screenshots/ and prints their paths.
set -eu
cd "$(dirname "$0")/.."

if [ -x scripts/setup.sh ]; then
    scripts/setup.sh
fi

cmake --preset default >/dev/null
cmake --build build --target tav1000r tav1000r-demo

if [ -n "${DISPLAY:-}" ]; then
    exec build/app/tav1000r-demo
fi

shots=build/screenshots
rm -rf "$shots"
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    build/app/tav1000r-demo --screenshots "$shots"
