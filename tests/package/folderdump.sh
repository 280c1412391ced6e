#!/usr/bin/env bash
# folderdump for support use, under Wine (the lane's files, tests/prelude.sh): "--slot N" and
# "--slot Name" print the value that the listing shows for that slot, alone on one line, for
# every slot; the listing keeps its columns (slot in two, a blank, the name in twenty-two, a
# blank, the value), --json gives the same values and --json-file writes them beside the
# listing. Each failure (no such slot, a bad command line, a library that is missing, not a
# DLL, of the other architecture, or without the folder table) is one line on the standard
# error, nothing on the standard output, and exit code 2 for the command line and the slot, 1
# for the library.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
wine_prefix

# A library of the other architecture: the i686 one for the win64 lane, else the x86_64 one.
other=$QUELLIN_WIN32_DIR
[[ $QUELLIN_LANE == win64 ]] || other=$QUELLIN_WIN64_DIR
work="$QUELLIN_WIN_DIR/test-folderdump"
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cp "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$work/"
echo "not a library" >"$work/text.dll"

# dump args...: runs folderdump in the work folder; its output in $work/out and $work/err
# (carriage returns and Wine's own messages dropped), its exit code in $code. (Not through
# wine_run, whose filter of the standard error may still be writing when it returns.)
dump() {
    code=0
    (cd "$work" && "$WINE" "$work/folderdump.exe" "$@") >"$work/out.raw" 2>"$work/err.raw" ||
        code=$?
    tr -d '\r' <"$work/out.raw" >"$work/out"
    tr -d '\r' <"$work/err.raw" | { grep -v -e '^wine: ' -e 'fixme:' || true; } >"$work/err"
}

dump
[[ $code == 0 ]] || fail "the listing exits with $code: $(cat "$work/err")"
# The attach record opens the listing; a line of flags may follow a slot.
[[ $(head -n 1 "$work/out") == attach ]] || fail "the listing does not open with the attach record"
grep -q '^     folder service: .* -> ' "$work/out" || fail "the attach record names no folder service"
listing=$(slot_lines <"$work/out")
[[ -n $listing ]] || fail "the listing is empty"
bad=$(grep -vE '^(attach|[ 0-9][0-9] .*|     [a-z].*)$' "$work/out" || true)
[[ -z $bad ]] || fail "lines that are no slot, flags or attach record:"$'\n'"$bad"
# Columns: slot right-aligned in two, a blank, the name left-aligned in twenty-two, a blank.
bad=$(awk '!(substr($0, 1, 2) ~ /^( [0-9]|[0-9][0-9])$/ && substr($0, 3, 1) == " " &&
             substr($0, 4, 22) ~ /^[A-Za-z]+ *$/ && (length($0) == 25 || substr($0, 26, 1) == " "))' \
    <<<"$listing")
[[ -z $bad ]] || fail "listing lines out of their columns:"$'\n'"$bad"
slots=$(awk '{ print substr($0, 1, 2) + 0 }' <<<"$listing")
[[ $slots == "$(seq 0 $(($(wc -l <<<"$listing") - 1)))" ]] || fail "the listing's slots are not 0, 1, 2, ..."

dump --json
[[ $code == 0 ]] || fail "--json exits with $code"
json_values=$(python3 -c '
import json, sys
for entry in json.load(open(sys.argv[1], encoding="utf-8"))["slots"]:
    print(entry["slot"], entry["name"], entry["value"])' "$work/out") || fail "--json is not JSON"
[[ $json_values == "$(awk '{ printf "%d %s %s\n", substr($0, 1, 2), $2, substr($0, 27) }' <<<"$listing")" ]] ||
    problem "--json and the listing disagree"

# --json-file: the same listing on the standard output, the same values in the file, one attach.
dump --json-file report.json
[[ $code == 0 ]] || fail "--json-file exits with $code"
[[ $(slot_lines <"$work/out") == "$listing" ]] || problem "--json-file changes the listing"
file_values=$(python3 -c '
import json, sys
for entry in json.load(open(sys.argv[1], encoding="utf-8"))["slots"]:
    print(entry["slot"], entry["name"], entry["value"])' "$work/report.json") ||
    fail "--json-file wrote no JSON"
[[ $file_values == "$json_values" ]] || problem "--json-file and --json disagree"

while IFS= read -r line; do
    slot=$((10#$(tr -d ' ' <<<"${line:0:2}")))
    name=${line:3:22}
    name=${name%% *}
    value=${line:26}
    for asked in "$slot" "$name" "${name,,}"; do
        dump --slot "$asked"
        if [[ $code != 0 || -s $work/err ]]; then
            problem "--slot $asked: exit code $code, $(cat "$work/err")"
        elif [[ $(wc -l <"$work/out") != 1 || $(cat "$work/out") != "$value" ]]; then
            problem "--slot $asked printed '$(cat "$work/out")', the listing shows '$value'"
        fi
    done
done <<<"$listing"

past=$(($(wc -l <<<"$listing")))
# expect_failure code message-pattern args...: nothing on stdout, one line on stderr.
expect_failure() {
    local want=$1 pattern=$2
    shift 2
    dump "$@"
    if [[ $code != "$want" ]]; then
        problem "folderdump $*: exit code $code, not $want"
    elif [[ -s $work/out ]]; then
        problem "folderdump $*: printed '$(cat "$work/out")' on the standard output"
    elif [[ $(wc -l <"$work/err") != 1 ]] || ! grep -qE "^folderdump: $pattern" "$work/err"; then
        problem "folderdump $*: standard error is not one line '$pattern':"$'\n'"$(cat "$work/err")"
    fi
}
expect_failure 2 ".* has no slot '$past'" --slot "$past"
expect_failure 2 ".* has no slot '4294967296'" --slot 4294967296
expect_failure 2 ".* has no slot '-1'" --slot -1
expect_failure 2 ".* has no slot 'NoSuchFolder'" --slot NoSuchFolder
expect_failure 2 "--slot needs" --slot
expect_failure 2 "unknown option --slots" --slots 3
expect_failure 2 "--json and --slot" --json --slot 0
expect_failure 2 "--json and --json-file" --json --json-file report.json
expect_failure 2 "--json-file needs" --json-file
expect_failure 2 "one library only" Quellin.dll Quellin.dll
expect_failure 1 "cannot load missing.dll: " --slot 0 missing.dll
expect_failure 1 "cannot load text.dll: " text.dll
expect_failure 1 "cannot load .*: " --slot 0 "$(winepath_of "$other/quellin/Quellin.dll")"
expect_failure 1 ".* does not export the folder table" \
    --slot 0 "$(winepath_of "$QUELLIN_WIN_DIR/tools/shfolder.dll")"

# With --json a library that cannot be used still gives an object, with its error.
dump --json missing.dll
[[ $code == 1 && $(wc -l <"$work/err") == 1 ]] || problem "--json missing.dll: exit code $code"
python3 -c '
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
assert report["formatVersion"] == 2 and report["error"]["code"] == "cannot-load", report
assert report["error"]["error"] == 126, report' "$work/out" ||
    problem "--json missing.dll does not give an object with the error"

((failures == 0)) || fail "$failures problem(s)"
echo "folderdump: --slot by number and name for $past slots, listing columns and --json kept, failures on one line"
