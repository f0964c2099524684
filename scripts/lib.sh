# Shared by the project's scripts: source it, then call need_packages.
# shellcheck shell=bash

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "${0##*/}: run as root or install sudo (needed: $*)" >&2
        return 1
    fi
}

# Runs apt-get as root, one project script at a time: scripts that run side
# by side (CI builds Qt for Windows beside the Linux stages) would otherwise
# find apt's lock taken and fail.
apt_lock=/tmp/tav1000r-apt.lock
apt_get() {
    as_root env DEBIAN_FRONTEND=noninteractive flock "$apt_lock" apt-get "$@"
}

# Installs the Debian packages named that are not installed yet, quietly,
# running 'apt-get update' once before the first install of this shell.
need_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "${0##*/}: installing ${missing[*]}" >&2
    if [ -z "${TAV_APT_UPDATED:-}" ]; then
        apt_get update -qq
        export TAV_APT_UPDATED=1
    fi
    apt_get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# The optimised build the Debian package and the benchmarks share, in
# build-release/ (the preset "release" of CMakePresets.json): Release (-O3)
# with warnings as errors, as the package is built, the benchmarks included. Arguments go to cmake --build (--target ...).
release_build() {
    cmake --preset release >/dev/null
    cmake --build build-release -j "$(nproc)" "$@"
}
