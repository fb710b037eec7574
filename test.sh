#!/usr/bin/env bash
# Builds everything and runs every test, then the Windows build under wine
# (scripts/windows.sh, when mingw-w64 and wine are installed) and the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer (scripts/sanitize.sh).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
qx_install_deps

JOBS=${JOBS:-2}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$JOBS")

if [ "${QUILLORIX_SKIP_WINDOWS:-0}" != "1" ] && command -v x86_64-w64-mingw32-g++-posix >/dev/null &&
    command -v wine >/dev/null; then
    echo "== The Windows build, its tests under wine"
    JOBS=$JOBS scripts/windows.sh
fi

if [ "${QUILLORIX_SKIP_SANITIZE:-0}" != "1" ]; then
    echo "== The suite under AddressSanitizer and UndefinedBehaviorSanitizer"
    JOBS=$JOBS scripts/sanitize.sh
fi
