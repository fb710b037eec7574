#!/usr/bin/env bash
# Builds the Debian package of Quillorix (CPack) in build/ and checks it with
# lintian. Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
qx_install_deps

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${JOBS:-2}"
rm -f "$build"/quillorix_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/quillorix_*.deb)
lintian --fail-on error "$deb" ||
    { echo "lintian found errors in $deb" >&2; exit 1; }
echo "$deb"
