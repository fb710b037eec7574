#!/usr/bin/env bash
# Runs the same quillorix-cli commands with two builds of the program, each in a
# folder of its own holding the same input logs, and compares byte for byte what
# they print on standard output, their exit status and the files they write.
# Messages on standard error are kept beside them but not compared (they name
# system errors in the system's own words).
#
# usage: cli-compare.sh OUT_DIR LINUX_CLI WINDOWS_CLI
#   the Windows program runs under wine (WINEPREFIX and DISPLAY as the caller set them).
set -uo pipefail
out=$1
linux_cli=$2
windows_cli=$3
root=$(cd "$(dirname "$0")/../.." && pwd)

# The inputs: the sample logs, the fixtures with logs, a log under a Japanese
# name, and one with cp932 bytes of every kind (the extension rows, the user
# area, bytes no character starts with, a lead byte with no trail).
make_inputs() {
    local dir=$1
    mkdir -p "$dir"
    cp "$root"/examples/sample.log "$root"/examples/sample-encrypted.log "$root"/examples/sample-password.txt "$dir"/
    cp "$root"/tests/fixtures/find/body-encrypted.log "$dir"/
    # Inputs that once found faults in the reader, taken as logs.
    mkdir -p "$dir"/odd
    cp "$root"/tests/fixtures/regression/logload/* "$root"/tests/fixtures/regression/logdata/* "$dir"/odd/
    printf 'pw1\n' >"$dir"/pw1.txt
    printf 'wrong\n' >"$dir"/wrong.txt
    cp "$root"/examples/sample.log "$dir"/$'\xe6\x97\xa5\xe5\xa0\xb1'.log
    {
        printf '=====================================\r\n'
        printf ' From: \x93\x63\x92\x86[t] (\x8a\x4a\x94\xad/PC/10.0.0.1)\r\n'
        printf '  at Tue Sep  1 09:02:11 2026\r\n'
        printf -- '-------------------------------------\r\n'
        printf 'nec \x87\x40\x87\x54\x87\x82 ibm \xfa\x40\xfa\x55\xed\x40 user \xf0\x40\xf9\xfc\r\n'
        printf 'odd \x80 \xa0 \xfd\xfe\xff half \xb1\xb2 tilde \x5c\x7e lone \x81\r\n'
        printf 'bad trail \x81\x7f \x9f\x20 end\r\n'
        printf '\r\n'
    } >"$dir"/cp932.log
    # Lines in UTF-8 are taken as cp932 when they convert there and back; these
    # hold characters the two conversions of the systems could treat apart.
    {
        printf '=====================================\r\n'
        printf ' From: \xe7\x94\xb0\xe4\xb8\xad[t] (\xe9\x96\x8b\xe7\x99\xba/PC/10.0.0.1)\r\n'
        printf '  at Tue Sep  1 09:02:11 2026\r\n'
        printf -- '-------------------------------------\r\n'
        printf 'plain \xe4\xba\x86\xe8\xa7\xa3 \xe2\x91\xa0 \xe2\x85\xb0 \xee\x80\x80\r\n'
        # One a line: a line that does not convert whole stays as it was.
        local c
        for c in '\xe3\x80\x9c' '\xef\xbd\x9e' '\xe2\x80\x94' '\xe2\x80\x95' '\xe2\x88\x92' '\xef\xbc\x8d' \
                 '\xc2\xa5' '\xef\xbf\xa5' '\xc2\xac' '\xef\xbf\xa2' '\xe2\x80\x96' '\xe2\x88\xa5' \
                 '\xc2\xa2' '\xef\xbf\xa0' '\xc2\x80' '\xef\xa3\xb0' '\xef\xbf\xbd' '\xe2\x80\xbe'; do
            printf "one $c\\r\\n"
        done
        printf 'bad \xe4\xba \xc0\xaf end\r\n'
        printf '\r\n'
    } >"$dir"/utf8.log
}

cases=(
    "version|--version"
    "help|--help"
    "info|info sample.log"
    "info-encrypted|info sample-encrypted.log --password-file sample-password.txt"
    "info-body-encrypted|info body-encrypted.log --password-file pw1.txt"
    "info-japanese-name|info $'\xe6\x97\xa5\xe5\xa0\xb1'.log"
    "info-cp932|info cp932.log"
    "export-jsonl|export sample.log"
    "export-csv|export sample.log --format csv"
    "export-file|export sample.log --format csv -o export.csv"
    "export-encrypted|export sample-encrypted.log --password-file sample-password.txt"
    "export-cp932|export cp932.log"
    "export-cp932-csv|export cp932.log --format csv"
    "convert-0|convert sample-encrypted.log -o plain.log --save-type 0 --password-file sample-password.txt"
    "convert-1|convert sample.log -o encoded.log --save-type 1"
    "convert-1-headers|convert sample.log -o encoded-headers.log --save-type 1 --header-encode"
    "convert-2|convert sample.log -o encrypted.log --save-type 2 --password-file sample-password.txt"
    "convert-2-headers|convert sample.log -o encrypted-headers.log --save-type 2 --header-encode --password-file sample-password.txt"
    "export-utf8|export utf8.log"
    "convert-utf8|convert utf8.log -o utf8-plain.log --save-type 0"
    "convert-cp932|convert cp932.log -o cp932-encoded.log --save-type 1 --header-encode"
    "convert-back|convert encrypted-headers.log -o back.log --save-type 0 --password-file sample-password.txt"
    "convert-over-itself|convert $'\xe6\x97\xa5\xe5\xa0\xb1'.log -o $'\xe6\x97\xa5\xe5\xa0\xb1'.log --save-type 1"
    "tree-0|tree sample.log"
    "tree-1|tree sample.log --key 1"
    "tree-2|tree sample.log --key 2 --lang eng"
    "tree-3|tree sample.log --key 3 --lang jpn"
    "tree-4|tree sample.log --key 4"
    "tree-encrypted|tree sample-encrypted.log --password-file sample-password.txt"
    "tree-cp932|tree cp932.log --key 2"
    "search|search sample.log mock"
    "search-japanese|search sample.log $'\xe4\xba\x86\xe8\xa7\xa3'"
    "search-regex|search sample.log 'v[0-9]+|Feedback' --regex"
    "search-body-encrypted|search body-encrypted.log alice --password-file pw1.txt"
    "stats-user|stats sample.log --by user"
    "stats-host|stats sample.log --by host --lang jpn"
    "stats-date|stats sample.log --by date"
    "stats-month|stats sample.log --by month"
    "error-missing|info missing.log"
    "error-password|info sample-encrypted.log --password-file wrong.txt"
    "error-usage|stats sample.log --by colour"
    "error-command|frobnicate sample.log"
)

for odd in "$root"/tests/fixtures/regression/logload/* "$root"/tests/fixtures/regression/logdata/*; do
    odd=$(basename "$odd")
    cases+=("odd-export-$odd|export odd/$odd" "odd-tree-$odd|tree odd/$odd --key 2")
done

# Runs every case with one program in dir/work; results go to dir/results.
run_side() {
    local dir=$1
    shift
    make_inputs "$dir/work"
    mkdir -p "$dir/results"
    local entry name words
    for entry in "${cases[@]}"; do
        name=${entry%%|*}
        words=${entry#*|}
        (cd "$dir/work" && eval "$* $words" >"../results/$name.out" 2>"../results/$name.err" </dev/null
         echo $? >"../results/$name.status")
    done
}

rm -rf "$out"
run_side "$out/linux" "$linux_cli"
run_side "$out/windows" wine "$windows_cli"

failed=0
for entry in "${cases[@]}"; do
    name=${entry%%|*}
    for part in out status; do
        if ! cmp -s "$out/linux/results/$name.$part" "$out/windows/results/$name.$part"; then
            echo "cli $name: the $part differs"
            diff <(od -An -c "$out/linux/results/$name.$part") <(od -An -c "$out/windows/results/$name.$part") | head -8
            failed=1
        fi
    done
done
# The files the commands wrote (and those they were given, saved over or not).
if ! diff -r "$out/linux/work" "$out/windows/work" >/dev/null; then
    diff -rq "$out/linux/work" "$out/windows/work"
    failed=1
fi
# Never a stray temporary file of a save.
if find "$out/linux/work" "$out/windows/work" -name '*.quillorix-*' | grep -q .; then
    echo "cli: a temporary file of a save was left behind"
    failed=1
fi
echo "== CLI: ${#cases[@]} commands, standard output, status and written files compared: $([ $failed -eq 0 ] && echo equal || echo DIFFERENT)"
exit $failed
