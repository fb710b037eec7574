#!/usr/bin/env bash
# Cross-builds the Windows pieces with mingw-w64 (static) in build-windows and
# runs them under wine, in a throwaway wine prefix on a virtual X server: the
# tests of the core libraries, the messenger bridge against the stand-in
# messenger, and quillorix-cli, whose output must equal the Linux build's for
# the same commands (scripts/windows/cli-compare.sh; the Linux program is built
# in build-windows/linux-cli).
#
# QX_WINDOWS_DISPLAY=:N uses an X server already running there instead of
# starting one with xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=${JOBS:-2}
BUILD_DIR=${BUILD_DIR:-build-windows}
case $BUILD_DIR in /*) ;; *) BUILD_DIR=$ROOT/$BUILD_DIR ;; esac
started=$(date +%s)

# Runs one test program under wine, its output in a log. Once in a while the wine
# server drops a client ("wine client error: ... recvmsg"), which kills the
# program before it has reported anything: such a run is tried once more. A
# program that reported a failing test is never run again.
run_under_wine() {
    local test=$1 log=$2
    wine "$test" --gtest_brief=1 >"$log" 2>&1 && return 0
    if grep -q '^wine client error' "$log" && ! grep -q '^\[  FAILED  \]' "$log"; then
        echo "   the wine server dropped $(basename "$test"); running it again"
        wineserver -w
        wine "$test" --gtest_brief=1 >"$log" 2>&1 && return 0
    fi
    return 1
}

# Runs the whole Windows session on one X display: the prefix, the test
# programs, then the CLI comparison. Prints a summary line per program.
run_session() {
    wineboot -i >/dev/null 2>&1
    wineserver -w
    local failed=0 test name log passed skipped summary=()
    for test in "$BUILD_DIR"/bin/*_tests.exe; do
        name=$(basename "$test" .exe)
        log="$BUILD_DIR/$name.log"
        echo "== $name under wine"
        if run_under_wine "$test" "$log"; then
            passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log")
            skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$log" | head -1)
            summary+=("$(printf '%-20s passed %4s  skipped %3s' "$name" "${passed:-0}" "${skipped:-0}")")
            # What was skipped, and why.
            tr -d '\r' <"$log" | grep -A1 ': Skipped$' | grep -v -e ': Skipped$' -e '^--$' | sed 's/^/   skipped: /' || true
        else
            cat "$log"
            summary+=("$(printf '%-20s FAILED' "$name")")
            failed=1
        fi
    done
    echo "== CLI under wine against the Linux build"
    if ! scripts/windows/cli-compare.sh "$BUILD_DIR/cli-compare" "$BUILD_DIR/linux-cli/bin/quillorix-cli" \
        "$BUILD_DIR/bin/quillorix-cli.exe"; then
        failed=1
    fi
    wineserver -k 2>/dev/null || true
    echo "== Tests under wine:"
    printf '   %s\n' "${summary[@]}"
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
# The Linux program the Windows one is compared with, built on its own.
cmake -S . -B "$BUILD_DIR/linux-cli" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLORIX_BUILD_GUI=OFF -DQUILLORIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR/linux-cli" -j"$JOBS" --target quillorix-cli

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
