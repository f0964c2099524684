#!/usr/bin/env bash
# Installs what building and testing the tool needs on Debian 12, once.
# Idempotent: prints nothing and installs nothing when everything is there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev qt6-translations-l10n qt6-l10n-tools
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth imagemagick fonts-dejavu-core fonts-liberation
    poppler-utils
)

# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
need_packages "${packages[@]}"
