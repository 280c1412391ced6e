#!/usr/bin/env bash
# Why each folder, and what the attach saw, end to end (the lane's files, tests/prelude.sh).
#
# 1. Under Wine's win98 and winxp, with the stand-in shfolder.dll told to fail every call, the
#    records of the program-files and documents folders show the failed folder-service call
#    and the source that answered instead: the registry's "ProgramFilesDir" for program files;
#    on Windows 98 the folder service again with its create flag, then the shell, for the
#    documents; on XP the fixed "My Documents" on the Windows drive, which the library creates.
#    folderdump --explain prints the same records as text.
# 2. Six planted machines, as a support engineer meets them, are told apart by folderdump's
#    JSON report: a wrong current directory, a source without shfolder.dll, a shfolder.dll that
#    is no DLL, a failing one, "ProgramFilesDir" on a drive that does not exist, and on a share
#    the network refuses.
# Every report keeps the documented JSON shape (format version 1), and every record ends with
# its answering source or "none".
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
wine_prefix

dump=$QUELLIN_FOLDERDUMP
library=$QUELLIN_DLL
standin="$QUELLIN_WIN_DIR/tools/shfolder.dll"
need_files "$dump" "$library" "$standin"

work=$(mktemp -d "$QUELLIN_WIN_DIR/explain.XXXXXX")
documents="$(wine_drive_c)/My Documents"
had_documents=no
[[ -e $documents ]] && had_documents=yes
versionKey='HKLM\Software\Microsoft\Windows\CurrentVersion'
saved_programs=$(wine_run reg query "$versionKey" /v ProgramFilesDir 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *ProgramFilesDir *REG_[A-Z_]* *//p')
cleanup() {
    [[ $had_documents == yes ]] || rm -rf "$documents"
    wine_run reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
    [[ -z $saved_programs ]] ||
        wine_run reg add "$versionKey" /v ProgramFilesDir /d "$saved_programs" /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

source_dir="$work/Install Source"
mkdir -p "$source_dir/setup" "$work/elsewhere"
cp "$dump" "$library" "$source_dir/"
cp "$standin" "$source_dir/setup/shfolder.dll"
echo all >"$source_dir/setup/shfolder.fail"

# report NAME [dir]: folderdump --json run in the source (or `dir`), into $work/NAME.json,
# checked for its documented shape and for records that end with their source.
report() {
    (cd "${2:-$source_dir}" && wine_run "$source_dir/folderdump.exe" --json) | tr -d '\r' >"$work/$1.json"
    python3 - "$work/$1.json" <<'PYTHON' || fail "$1: the JSON report is not of its documented shape"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
assert report["format"] == "quellin-folderdump" and report["formatVersion"] == 1
assert set(report["tool"]) == {"name", "version"} and set(report["library"]) == {"path", "version"}
attach = report["attach"]
assert set(attach) == {"currentDirectory", "folderService", "windows", "wow64", "codePage",
                       "terminalServer", "durationMs", "record"}, attach
assert set(attach["folderService"]) == {"path", "outcome", "module", "error", "text"}
assert attach["folderService"]["outcome"] in (
    "loaded", "loaded-without-function", "not-loaded", "not-looked-for")
codes = {"answered", "failed", "missing", "empty", "too-long", "write-test-failed",
         "not-a-full-path", "cannot-be-written-in-ansi", "not-a-valid-path", "file-missing",
         "not-converted", "no-folder", "not-asked", "present", "unterminated", "none"}
for entry in report["slots"]:
    assert {"slot", "name", "value", "flags", "record"} <= set(entry), entry
    for attempt in entry["record"]:
        assert set(attempt) == {"kind", "detail", "outcome", "error", "text"}, attempt
        assert attempt["outcome"] in codes, attempt
    last = entry["record"][-1]
    assert last["outcome"] == "answered" if entry["value"] else last["kind"] == "none", entry
PYTHON
}

# field NAME EXPRESSION: a value of the report, by a Python expression over `report`.
field() {
    python3 -c 'import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
print(eval(sys.argv[2]))' "$work/$1.json" "$2"
}

# check NAME slot expected-lines...: the slot's record as "kind|detail|text" lines.
check() {
    local name=$1 slot=$2 got
    shift 2
    got=$(field "$name" "'\\n'.join('%s|%s|%s' % (a['kind'], a['detail'], a['text'])
                                     for a in report['slots'][$slot]['record'])")
    if [[ $got != "$(printf '%s\n' "$@")" ]]; then
        echo "expected:" >&2
        printf '  %s\n' "$@" >&2
        echo "got:" >&2
        sed 's/^/  /' <<<"$got" >&2
        fail "$name: record of slot $slot"
    fi
}

program_files_dir='registry|HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion "ProgramFilesDir"'
for version in win98 winxp; do
    wine_version "$version"
    report "$version"
    check "$version" 13 \
        'folder service|CSIDL_PROGRAM_FILES|failed: 0x80004005 (E_FAIL)' \
        "$program_files_dir|answered, write test passed"
    if [[ $version == win98 ]]; then
        check "$version" 3 \
            'folder service|CSIDL_PERSONAL|failed: 0x80004005 (E_FAIL)' \
            'folder service|CSIDL_PERSONAL | CSIDL_FLAG_CREATE|failed: 0x80004005 (E_FAIL)' \
            'shell|CSIDL_PERSONAL|answered'
    else
        check "$version" 3 \
            'folder service|CSIDL_PERSONAL|failed: 0x80004005 (E_FAIL)' \
            'fallback|"My Documents" on the Windows drive|answered, created'
        rm -rf "$documents" # made on purpose; the planted machines below make it again
    fi
    echo "$version, failing shfolder.dll: program-files and documents records as expected"
done

# The text form: the attach record, then each slot's line with its record indented below it.
(cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --explain) | tr -d '\r' >"$work/explain"
grep -qxF '     folder service: CSIDL_PROGRAM_FILES -> failed: 0x80004005 (E_FAIL)' "$work/explain" ||
    fail "--explain does not show the failed folder-service call"
[[ $(slot_lines <"$work/explain" | wc -l) == $(field winxp 'len(report["slots"])') ]] ||
    fail "--explain does not list every slot"
echo "--explain lists every slot with its record"

# The six planted machines (under winxp), each by the fields that tell it apart.
wine_version winxp
source_path=$(winepath_of "$source_dir")
# expect NAME EXPRESSION WANTED: the report's value must be the wanted one.
expect() {
    local got
    got=$(field "$1" "$2")
    [[ $got == "$3" ]] || problem "$1: $2 is '$got', not '$3'"
}
report wrong-directory "$work/elsewhere"
expect wrong-directory 'report["attach"]["currentDirectory"]' "$(winepath_of "$work/elsewhere")"
expect wrong-directory 'report["attach"]["folderService"]["outcome"]' not-loaded
expect wrong-directory 'report["attach"]["folderService"]["error"]' 126

rm "$source_dir/setup/shfolder.dll"
report no-shfolder
expect no-shfolder 'report["attach"]["currentDirectory"]' "$source_path"
expect no-shfolder 'report["attach"]["folderService"]["path"]' "$source_path\\setup\\shfolder.dll"
expect no-shfolder 'report["attach"]["folderService"]["error"]' 126

echo "no library here" >"$source_dir/setup/shfolder.dll"
report corrupt-shfolder
expect corrupt-shfolder 'report["attach"]["folderService"]["outcome"]' not-loaded
expect corrupt-shfolder 'report["attach"]["folderService"]["error"]' 193

cp "$standin" "$source_dir/setup/shfolder.dll"
report failing-shfolder
expect failing-shfolder 'report["attach"]["folderService"]["outcome"]' loaded
expect failing-shfolder 'report["attach"]["folderService"]["module"]' "$source_path\\setup\\shfolder.dll"
expect failing-shfolder 'report["slots"][13]["record"][0]["outcome"]' failed
expect failing-shfolder 'report["slots"][13]["record"][0]["error"]' 2147500037
rm -rf "$documents"

rm "$source_dir/setup/shfolder.dll" "$source_dir/setup/shfolder.fail"
wine_run reg add "$versionKey" /v ProgramFilesDir /d 'Q:\Programs' /f >/dev/null
report missing-drive
expect missing-drive 'report["slots"][13]["record"][0]["outcome"]' write-test-failed
expect missing-drive '"creating Q:\\Programs: error" in report["slots"][13]["record"][0]["text"]' True

wine_run reg add "$versionKey" /v ProgramFilesDir /d '\\nosuchserver\share\Programs' /f >/dev/null
report refused-share
expect refused-share 'report["slots"][13]["record"][0]["outcome"]' write-test-failed
refusal=$(field refused-share 'report["slots"][13]["record"][0]["text"]')
grep -qE 'the network refused \\\\nosuchserver\\share at [F-Z]: with error [0-9]+ \([A-Z_]+\) after [0-9]+ ms' <<<"$refusal" ||
    problem "refused-share: the record does not tell the trial: $refusal"

((failures == 0)) || fail "$failures problem(s)"
echo "six planted machines told apart by the report; every report of the documented shape"
