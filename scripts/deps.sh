#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Sourced by run.sh and test.sh; prints the exact command when not root.
set -u

QX_PACKAGES=(
    cmake ninja-build g++ clang ccache pkg-config
    libgtest-dev libgmock-dev googletest libbenchmark-dev libssl-dev
    libclang-rt-14-dev
    qt6-base-dev qt6-charts-dev libqt6svg6-dev qt6-l10n-tools
    fonts-noto-cjk xvfb xauth
    librsvg2-bin desktop-file-utils appstream man-db bash-completion file
    dpkg-dev lintian
    g++-mingw-w64-x86-64-posix mingw-w64 wine wine64
    poppler-utils libxcb1-dev
)

qx_install_deps() {
    local missing=()
    local p
    for p in "${QX_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >&2 && apt-get install -y -qq "${missing[@]}" >&2
}
