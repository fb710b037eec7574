#!/usr/bin/env bash
# Builds the core, the command-line tool and the tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang) in build-asan and runs every test there.
# Any sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=${JOBS:-2}
BUILD_DIR=${BUILD_DIR:-build-asan}

cmake -S . -B "$BUILD_DIR" -G Ninja --no-warn-unused-cli \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLORIX_SANITIZE=ON -DQUILLORIX_BUILD_GUI=OFF >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"

# abort_on_error / halt_on_error turn the first report into a failing test.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$BUILD_DIR"
ctest --output-on-failure -j"$JOBS"
