#!/usr/bin/env bash
# Times quillorix-cli as whole processes against wc -l on one log and prints each
# ratio against its target. A report: it exits 0 whether the targets are met or not.
#
#   bench/compare.sh LOG [WORD]
#
# LOG is a plain (save type 0) cp932 log, e.g. one made by
#   build/bin/quillorix-genlog -n 200000 -o /tmp/200k.log
# WORD is the plain search text; the default, "Dec 25", is in the header of a few
# hundred of the 200 000 messages quillorix-genlog makes.
# QUILLORIX_BUILD_DIR selects the build folder (default: build beside bench/).
set -u

if [ $# -lt 1 ] || [ $# -gt 2 ] || [ ! -f "$1" ]; then
    echo "usage: bench/compare.sh LOG [WORD]" >&2
    exit 1
fi
LOG=$1
WORD=${2:-Dec 25}
RUNS=5

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QUILLORIX_BUILD_DIR:-$ROOT/build}
CLI=$BUILD/bin/quillorix-cli
if [ ! -x "$CLI" ]; then
    echo "compare.sh: $CLI not found; build quillorix-cli first" >&2
    exit 1
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillorix-compare-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
OUT=$WORK/converted.log
ENC=$WORK/encrypted.log
PASSWORDS=$WORK/password
echo "compare-password" >"$PASSWORDS"

fail() {
    echo "compare.sh: $*" >&2
    exit 0
}

# The encrypted copy of the log: save type 2, headers encrypted too.
"$CLI" convert "$LOG" -o "$ENC" --save-type 2 --header-encode --password-file "$PASSWORDS" \
    >/dev/null || fail "could not make the encrypted copy"

# The commands compared, by name.
NAMES=(wc info search convert enc_info enc_search)
run() {
    case $1 in
        wc) wc -l "$LOG" ;;
        info) "$CLI" info "$LOG" ;;
        search) "$CLI" search "$LOG" "$WORD" ;;
        convert) "$CLI" convert "$LOG" -o "$OUT" --save-type 0 ;;
        enc_info) "$CLI" info "$ENC" --password-file "$PASSWORDS" ;;
        enc_search) "$CLI" search "$ENC" "$WORD" --password-file "$PASSWORDS" ;;
    esac
}

# Microseconds one run takes; the fork of the command substitution is outside it.
elapsed_us() {
    local t0 t1
    [ "$1" = convert ] && rm -f "$OUT"
    t0=$(date +%s%N)
    run "$1" >/dev/null 2>&1 || echo "compare.sh: '$1' failed" >&2
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

# Warm the page cache and check every command once; count what the searches find.
cat "$LOG" "$ENC" >/dev/null
for name in "${NAMES[@]}"; do
    run "$name" >/dev/null 2>&1 || fail "'$name' failed; run it by hand to see why"
done
MESSAGES=$("$CLI" info "$LOG" | awk -F: '/^Messages:/ {gsub(/ /, "", $2); print $2}')
HITS=$(run search | wc -l)
ENC_HITS=$(run enc_search | wc -l)

# Rounds of every command in turn, so that a busy moment on the machine falls on
# all of them alike.
declare -A TIMES
RSS=()
for ((round = 1; round <= RUNS; round++)); do
    for name in "${NAMES[@]}"; do
        TIMES[$name]="${TIMES[$name]:-} $(elapsed_us "$name")"
    done
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f %M -o "$WORK/rss" "$CLI" info "$LOG" >/dev/null 2>&1
        RSS+=("$(tail -n 1 "$WORK/rss")")
    fi
done

declare -A MEDIAN
for name in "${NAMES[@]}"; do
    # shellcheck disable=SC2086  # the list is numbers split on purpose
    MEDIAN[$name]=$(median ${TIMES[$name]})
done
SIZE=$(stat -c %s "$LOG")

CPU=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
echo "log:      $LOG ($(awk -v b="$SIZE" 'BEGIN {printf "%.1f MiB", b / 1048576}'), $MESSAGES messages)"
echo "word:     \"$WORD\" in $HITS messages (encrypted copy: $ENC_HITS)"
echo "machine:  $(nproc) cores, ${CPU:-unknown CPU}, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "date:     $(date '+%Y-%m-%d %H:%M')"
echo "timing:   median of $RUNS runs each, page cache warm"
[ "$HITS" = "$ENC_HITS" ] || echo "note:     the searches of the plain and encrypted log found different counts"
echo

ms() { awk -v us="$1" 'BEGIN {printf "%9.1f ms", us / 1000}'; }
printf '%-48s %s\n' "wc -l LOG" "$(ms "${MEDIAN[wc]}")"
printf '%-48s %s\n' "quillorix-cli info LOG" "$(ms "${MEDIAN[info]}")"
printf '%-48s %s\n' "quillorix-cli search LOG WORD" "$(ms "${MEDIAN[search]}")"
printf '%-48s %s\n' "quillorix-cli convert LOG -o OUT --save-type 0" "$(ms "${MEDIAN[convert]}")"
printf '%-48s %s\n' "quillorix-cli info ENC (type 2, headers too)" "$(ms "${MEDIAN[enc_info]}")"
printf '%-48s %s\n' "quillorix-cli search ENC WORD" "$(ms "${MEDIAN[enc_search]}")"
echo

# ratio NAME MEASURED BASE LIMIT: prints the ratio, its limit and PASS or FAIL.
ratio() {
    awk -v name="$1" -v a="$2" -v b="$3" -v limit="$4" 'BEGIN {
        r = b > 0 ? a / b : 0
        printf "%-34s %7.2f  (target <= %.1f)  %s\n", name, r, limit, (b > 0 && r <= limit) ? "PASS" : "FAIL"
    }'
}
ratio "info / wc -l" "${MEDIAN[info]}" "${MEDIAN[wc]}" 5
ratio "search / info" "${MEDIAN[search]}" "${MEDIAN[info]}" 1.3
ratio "convert / info" "${MEDIAN[convert]}" "${MEDIAN[info]}" 1.5
ratio "encrypted info / plain info" "${MEDIAN[enc_info]}" "${MEDIAN[info]}" 2
ratio "encrypted search / plain search" "${MEDIAN[enc_search]}" "${MEDIAN[search]}" 3
if [ ${#RSS[@]} -gt 0 ]; then
    PEAK=$(median "${RSS[@]}")
    awk -v kib="$PEAK" -v size="$SIZE" 'BEGIN {
        printf "%-34s %7.2f  (target <= %.1f)  %s   [%.1f MiB peak, %.1f MiB file]\n",
            "peak RSS of info / file size", kib * 1024 / size, 2.5,
            kib * 1024 <= 2.5 * size ? "PASS" : "FAIL", kib / 1024, size / 1048576
    }'
else
    echo "peak RSS of info / file size       n/a (no /usr/bin/time)"
fi
exit 0
