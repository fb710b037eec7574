#!/usr/bin/env bash
# install-test.sh BUILD_DIR SOURCE_DIR VERSION LAYOUT
# Installs the build into a scratch DESTDIR under the prefix /usr and checks it.
set -uo pipefail
build=$1 source=$2 version=$3 layout=$4
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >"$stage/install.log" 2>&1; then
    cat "$stage/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
root=$stage/root
data=$root/usr/share/quillorix
cli=$root/usr/bin/quillorix-cli

# --- the layout, entry by entry, and nothing that is not in the table
declare -A expected
while read -r kind path size; do
    [[ -z $kind || $kind == \#* ]] && continue
    expected[$path]=1
    f=$root/$path
    case $kind in
        exe) [[ -f $f && -x $f ]] || fail "$path is not an installed executable" ;;
        file) [[ -f $f && -s $f ]] || fail "$path is missing or empty" ;;
        png) file -b "$f" 2>/dev/null | grep -q "PNG image data, ${size/x/ x }," ||
                 fail "$path is not a $size PNG" ;;
        gz) gzip -t "$f" 2>/dev/null || fail "$path is not gzip data" ;;
        *) fail "unknown kind $kind in the layout table" ;;
    esac
done <"$layout"
help_count=0
while IFS= read -r f; do
    rel=${f#"$root"/}
    if [[ $rel == usr/share/quillorix/help/* ]]; then
        help_count=$((help_count + 1))
    elif [[ -z ${expected[$rel]:-} ]]; then
        fail "$rel was installed but is not in the layout table"
    fi
done < <(find "$root" -type f -o -type l)
if [[ -d $source/data/help ]]; then
    source_count=$(find "$source/data/help" -type f | wc -l)
    [[ $help_count -eq $source_count ]] ||
        fail "$help_count help files installed, $source_count in data/help"
fi

# --- desktop entry, metainfo, manual pages
desktop-file-validate "$root/usr/share/applications/org.example.quillorix.Quillorix.desktop" ||
    fail "desktop-file-validate"
grep -qx 'Exec=quillorix %f' "$root/usr/share/applications/org.example.quillorix.Quillorix.desktop" ||
    fail "the desktop entry does not open the file it is given"
metainfo=$root/usr/share/metainfo/org.example.quillorix.Quillorix.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
for page in quillorix quillorix-cli; do
    man_file=$root/usr/share/man/man1/$page.1.gz
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_file" 2>&1 >"$stage/$page.txt")
    [[ -z $warnings ]] || fail "man --warnings $page: $warnings"
    grep -q "Quillorix $version" "$stage/$page.txt" || fail "$page(1) does not name version $version"
done
for word in info export convert follow tree search stats --password-file --save-type --header-encode \
            --dustbox --format --key --lang --regex --by --version 'EXIT STATUS' PASSWORDS EXAMPLES; do
    grep -q -- "$word" "$stage/quillorix-cli.txt" || fail "quillorix-cli(1) does not mention $word"
done

# --- the installed command-line tool: version, and the language file from the data folder
[[ ! -e $root/usr/bin/Language.jpn ]] || fail "a language file was installed beside the executable"
[[ $("$cli" --version) == "quillorix-cli $version" ]] || fail "--version: $("$cli" --version)"
jpn=$("$cli" tree "$data/sample.log" --lang jpn) || fail "tree --lang jpn exited with $?"
eng=$("$cli" tree "$data/sample.log" --lang eng) || fail "tree --lang eng exited with $?"
# The deleted-messages node is named by String03 of section [Message].
deleted_jpn=$(iconv -f CP932 -t UTF-8 "$data/Language.jpn" | tr -d '\r' |
    awk -F= '/^\[/ { section = $0 } section == "[Message]" && $1 == "String03" { print $2 }' | tr -d '"')
[[ -n $deleted_jpn ]] || fail "no deleted-node text in the installed Language.jpn"
grep -qF "$deleted_jpn" <<<"$jpn" || fail "tree --lang jpn lacks the deleted-node text [$deleted_jpn]"
[[ $jpn != "$eng" ]] || fail "tree --lang jpn and --lang eng print the same"
mv "$data" "$data.away"
"$cli" tree "$data.away/sample.log" --lang jpn >/dev/null 2>"$stage/missing.txt"
rc=$?
mv "$data.away" "$data"
[[ $rc -eq 2 ]] || fail "without the data folder, tree --lang jpn exited with $rc, not 2"
grep -qF "[$data/Language.jpn]" "$stage/missing.txt" ||
    fail "the missing language file is not named where it belongs: $(cat "$stage/missing.txt")"

# --- completion of quillorix-cli
if [[ -f /usr/share/bash-completion/bash_completion ]]; then
    complete_line() {
        bash -c 'source /usr/share/bash-completion/bash_completion
                 source "$1"; shift
                 COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
                 COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
                 _quillorix_cli quillorix-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
                 printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' \
            _ "$root/usr/share/bash-completion/completions/quillorix-cli" "$@"
    }
    while IFS='|' read -r line want; do
        # shellcheck disable=SC2086
        got=$(cd "$data" && complete_line $line "")
        [[ $got == "$want" ]] || fail "completing [$line]: [$got], expected [$want]"
    done <<'CASES'
quillorix-cli|--help --version convert export follow info search stats tree 
quillorix-cli export LOG --format|csv jsonl 
quillorix-cli follow LOG --format|jsonl text 
quillorix-cli tree LOG --key|0 1 2 3 4 
quillorix-cli stats LOG --by|date host month user 
quillorix-cli search LOG --lang|eng jpn 
CASES
    got=$(cd "$data" && complete_line quillorix-cli convert sample.log --)
    [[ $got == "--dustbox --header-encode --help --output --password-file --save-type " ]] ||
        fail "completing convert options: [$got]"
    got=$(cd "$data" && complete_line quillorix-cli info sample-e)
    [[ $got == "sample-encrypted.log " ]] || fail "completing a log file name: [$got]"
else
    fail "bash-completion is not installed (scripts/deps.sh installs it)"
fi

# --- the installed window program starts on the installed sample log
XDG_CONFIG_HOME=$stage/config QT_QPA_PLATFORM=offscreen timeout 5 "$root/usr/bin/quillorix" "$data/sample.log" \
    >"$stage/gui.txt" 2>&1
rc=$?
[[ $rc -eq 124 ]] || fail "quillorix ended with $rc within 5 seconds: $(cat "$stage/gui.txt")"

if [[ $failures -ne 0 ]]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "the installed layout and programs are as expected"
