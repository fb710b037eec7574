#!/usr/bin/env bash
# Cross-builds the Windows pieces with mingw-w64 (static) in build-windows and
# runs their tests under wine, in a throwaway wine prefix on a virtual X server:
# the messenger bridge against the stand-in messenger.
#
# QX_WINDOWS_DISPLAY=:N uses an X server already running there instead of
# starting one with xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=${JOBS:-2}
BUILD_DIR=${BUILD_DIR:-build-windows}
started=$(date +%s)

# Runs the whole Windows session on one X display: the prefix, then the tests.
run_session() {
    wineboot -i >/dev/null 2>&1
    wineserver -w
    local failed=0 test
    for test in "$BUILD_DIR"/bin/*_tests.exe; do
        echo "== $(basename "$test") under wine"
        wine "$test" --gtest_brief=1 || failed=1
    done
    wineserver -k 2>/dev/null || true
    return $failed
}

# Inside the virtual X server started below, with the prefix set up by the caller.
if [ "${1:-}" = "--session" ]; then
    run_session
    exit
fi

for tool in x86_64-w64-mingw32-g++-posix wine; do
    command -v "$tool" >/dev/null || { echo "windows.sh: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done

cmake -S scripts/windows -B "$BUILD_DIR" -G Ninja --no-warn-unused-cli \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/scripts/windows/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/quillorix-wine.XXXXXX")
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

status=0
if [ -n "${QX_WINDOWS_DISPLAY:-}" ]; then
    DISPLAY=$QX_WINDOWS_DISPLAY run_session || status=$?
else
    BUILD_DIR=$BUILD_DIR xvfb-run -a -s "-screen 0 1280x900x24" "$ROOT/scripts/windows.sh" --session || status=$?
fi
echo "== Windows build and tests: $([ $status -eq 0 ] && echo passed || echo FAILED) in $(( $(date +%s) - started )) s"
exit $status
