#!/usr/bin/env bash
# Builds the fuzz targets in build-fuzz (clang, libFuzzer, ASan + UBSan) and runs
# each one for SECONDS. Usage: fuzz/run.sh SECONDS [target...]
# Working corpora grow in build-fuzz/corpus-work/<target>, seeded from
# fuzz/corpus/<target>; crash inputs land in build-fuzz/findings/<target>.
# Exits non-zero when any target finds something.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH=${1:?usage: fuzz/run.sh SECONDS [target...]}
shift
JOBS=${JOBS:-2}
BUILD_DIR=${BUILD_DIR:-build-fuzz}

cmake -S . -B "$BUILD_DIR" -G Ninja --no-warn-unused-cli \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLORIX_FUZZ=ON -DQUILLORIX_SANITIZE=ON \
    -DQUILLORIX_BUILD_GUI=OFF -DQUILLORIX_BUILD_TESTS=OFF >/dev/null

if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for dir in fuzz/corpus/*/; do
        name=$(basename "$dir")
        # fuzz_regexp exists only while the search library is there.
        grep -q "fuzz_$name" "$BUILD_DIR/build.ninja" && targets+=("$name")
    done
fi
cmake --build "$BUILD_DIR" -j"$JOBS" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=()
for t in "${targets[@]}"; do
    work="$BUILD_DIR/corpus-work/$t"
    findings="$BUILD_DIR/findings/$t"
    mkdir -p "$work" "$findings"
    echo "== fuzz_$t for ${SECONDS_EACH}s"
    if ! "$BUILD_DIR/fuzz/fuzz_$t" "$work" "fuzz/corpus/$t" \
        -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=20 \
        -artifact_prefix="$findings/" -print_final_stats=1 \
        >"$BUILD_DIR/fuzz_$t.log" 2>&1; then
        failed+=("$t")
        echo "   FINDING: see $BUILD_DIR/fuzz_$t.log and $findings/" >&2
        grep -m5 -E "ERROR|SUMMARY|Test unit written" "$BUILD_DIR/fuzz_$t.log" >&2 || true
    else
        grep -E "stat::number_of_executed_units|cov:" "$BUILD_DIR/fuzz_$t.log" | tail -2
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Findings in: ${failed[*]}" >&2
    exit 1
fi
echo "No findings."
