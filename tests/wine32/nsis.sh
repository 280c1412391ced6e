#!/usr/bin/env bash
# Real installers call the library: the example NSIS installer (docs/examples/nsis, which reads
# the slots through the macros of Quellin.nsh), built by makensis twice with the shipped
# Quellin.dll inside, ANSI and Unicode (both in QUELLIN_NSIS_INSTALLERS), run silently from an
# installation source that holds setup\shfolder.dll, each writes one "slot name value" line
# per slot. Under Wine's default version, with the documents folder named "C:\users\Łukasz\Documents"
# (which code page 1252 writes only as "C:\users\Lukasz\Documents", a
# folder that is not the user's) and a temporary folder whose name holds "(" and ",", as
# does the source's:
# - the ANSI installer's lines equal the values of the shipped folderdump.exe, run from the
#   same source with the same library (its --json report): the documents folder by its short
#   name, which exists and is that folder;
# - the Unicode installer's lines equal folderdump's wide values: the documents folder by its
#   true name;
# - both bound the source's stand-in shfolder.dll (My Pictures is then the documents folder's
#   "My Pictures", named by its short name in the ANSI installer), so the library was loaded with the source as the current directory, and
#   both name the source as the module folder;
# - the records each wrote (/RECORDS: the attach record, then each slot's) are folderdump's,
#   line for line, but the attach's duration; the entries it wrote as data (/ENTRIES, through
#   ${QuellinRecordEntry}) are the entries of folderdump's report, with the same error or
#   HRESULT and one outcome number to each outcome code;
# - each unloaded the library: its plug-ins folder is gone from the temporary folder.
# The registry values are put back at the end, also on failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
# Wine takes the Polish name through a UTF-8 locale; the ANSI code page stays 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
wine_prefix

installers=${QUELLIN_NSIS_INSTALLERS:?the folder of the installers built from docs/examples/nsis}
builds=(ansi unicode)
for build in "${builds[@]}"; do need_files "$installers/quellin-folders-$build.exe"; done
need_files "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$QUELLIN_WIN_DIR/tools/shfolder.dll"
export WINEDLLOVERRIDES=shfolder=n,b

work=$(mktemp -d "${TMPDIR:-/tmp}/nsis-test.XXXXXX")
home="$(wine_drive_c)/users/Łukasz" documents="$(wine_drive_c)/users/Łukasz/Documents" temp="$(wine_drive_c)/temp (1), copy"
cleanup() {
    wine_reg_restore
    rm -rf "$work" "$home" "$temp"
}
trap cleanup EXIT
# The installers and folderdump side by side, so that the module folder is the same for all.
source_dir="$work/Install Source (1), copy"
# My Pictures already there, so that no attach creates it and every record says the same.
mkdir -p "$source_dir/setup" "$documents/My Pictures" "$temp"
cp "$installers"/quellin-folders-*.exe "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$source_dir/"
cp "$QUELLIN_WIN_DIR/tools/shfolder.dll" "$source_dir/setup/"
wine_reg_change 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
    Personal REG_EXPAND_SZ 'C:\users\Łukasz\Documents' \
    'HKCU\Environment' TEMP REG_SZ 'C:\temp (1), copy' 'HKCU\Environment' TMP REG_SZ 'C:\temp (1), copy'

(cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --json) | tr -d '\r' >"$work/folderdump.json"
# The installers' plug-ins folder lies in the temporary folder, which the processes take from
# the user's environment.
temp_seen=$(folderdump_lines "$work/folderdump.json" ansi | awk '$2 == "TempFolder" { sub(/^[^ ]+ [^ ]+ /, ""); print }')
[[ -n $temp_seen && $(realpath -m "$(wine_run winepath -u "$temp_seen" 2>/dev/null | tr -d '\r')") == $(realpath "$temp") ]] ||
    fail "the temporary folder is '$temp_seen', not 'C:\temp (1), copy'"

# The records as the library gives them, from the report: the attach record (but its duration,
# which differs from one attach to the next), then each slot's below a "slot name" line.
python3 - "$work/folderdump.json" >"$work/records.expected" <<'PYTHON'
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
line = lambda entry: "\t".join((entry["kind"], entry["detail"], entry["text"]))
for entry in report["attach"]["record"]:
    if entry["kind"] != "attach":
        print(line(entry))
for slot in report["slots"]:
    print(slot["slot"], slot["name"])
    for entry in slot["record"]:
        print(line(entry))
PYTHON

for build in "${builds[@]}"; do
    installer="$source_dir/quellin-folders-$build.exe"
    lines="$work/$build.lines"
    # Started from elsewhere: the installer itself must make the source its current directory.
    rc=0
    (cd "$work" && wine_run "$installer" "/OUT=$(winepath_of "$work/$build.txt")" \
        "/RECORDS=$(winepath_of "$work/$build.records")" "/ENTRIES=$(winepath_of "$work/$build.entries")") || rc=$?
    if [[ $rc != 0 || ! -f $work/$build.txt ]]; then
        problem "the $build installer exits $rc$([[ -f $work/$build.txt ]] || echo ', with no file')"
        continue
    fi
    case $build in
    ansi) encoding=cp1252 ;;
    unicode) encoding=utf-16 ;;
    esac
    text_lines "$work/$build.txt" $encoding >"$lines"
    folderdump_lines "$work/folderdump.json" "${build/unicode/wide}" >"$work/expected"
    if ! diff -u "$work/records.expected" <(text_lines "$work/$build.records" $encoding | grep -v $'^attach\t') \
        >"$work/diff"; then
        sed 's/^/    /' "$work/diff" >&2
        problem "the $build installer's records differ from folderdump's"
    fi
    # The records as data, through ${QuellinRecordEntry}: every entry of every record, its code
    # the Win32 error, else the HRESULT (negative), else 0; one outcome number to each of
    # folderdump's outcome codes.
    python3 - "$work/folderdump.json" "$work/$build.entries" <<'PYTHON' ||
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
records = [(-1, report["attach"]["record"])] + [(slot["slot"], slot["record"]) for slot in report["slots"]]
want = {}
for number, record in records:
    for index, entry in enumerate(record):
        code = entry.get("win32Error") or entry.get("hresult") or 0
        want[(number, index)] = (entry["code"], code - (1 << 32) if code >= 1 << 31 else code)
got = {}
for line in open(sys.argv[2], encoding="latin-1"):
    record, index, outcome, code = line.split()
    got[(int(record), int(index))] = (int(outcome), int(code))
assert got.keys() == want.keys(), ("entries", sorted(set(got) ^ set(want))[:5])
numbers = {}
for key, (name, code) in want.items():
    outcome, got_code = got[key]
    assert got_code == code, (key, name, got_code, code)
    assert numbers.setdefault(name, outcome) == outcome, (key, name, outcome, numbers[name])
assert len(set(numbers.values())) == len(numbers), numbers
PYTHON
        problem "the $build installer's record entries differ from folderdump's"
    if ! diff -u "$work/expected" "$lines" >"$work/diff"; then
        sed 's/^/    /' "$work/diff" >&2
        problem "the $build installer's lines differ from folderdump's"
        continue
    fi
    value_of() { awk -v name="$1" '$2 == name { sub(/^[^ ]+ [^ ]+ /, ""); print }' "$lines"; }
    # By the folder it names: the ANSI installer gets the whole path's short name, whose last
    # level is not "My Pictures".
    pictures=$(value_of MyPicturesFolder)
    unix=$(wine_run winepath -u "$pictures" 2>/dev/null | tr -d '\r')
    [[ -n $pictures && -d $unix && $(realpath "$unix") == $(realpath "$documents/My Pictures") ]] ||
        problem "$build: the source's shfolder.dll was not bound (My Pictures is '$pictures')"
    [[ $(value_of ModuleFolder) == "$(winepath_of "$source_dir")" ]] ||
        problem "$build: module folder '$(value_of ModuleFolder)', not the installation source"
    personal=$(value_of PersonalFolder)
    if [[ $build == unicode ]]; then
        [[ $personal == 'C:\users\Łukasz\Documents' ]] || problem "unicode: the documents folder is '$personal', not its true name"
    else
        unix=$(wine_run winepath -u "$personal" 2>/dev/null | tr -d '\r')
        [[ $personal != *'?'* && -d $unix && $(realpath "$unix") == $(realpath "$documents") ]] ||
            problem "ansi: the documents folder '$personal' is not C:\\users\\Łukasz\\Documents by a short name that exists"
    fi
    echo "$build: $(wc -l <"$lines") lines equal folderdump's; documents folder $personal"
done
leftover=$(cd "$temp" && find . -maxdepth 1 -name 'ns*.tmp' | xargs)
[[ -z $leftover ]] || problem "plug-ins folders left in the temporary folder (the library not unloaded?): $leftover"
((failures == 0)) || fail "$failures problem(s)"
sed 's/^/    /' "$work/unicode.lines"
