#!/usr/bin/env bash
# Why each folder, end to end (the lane's files, tests/prelude.sh): folderdump --json carries
# each slot's record. Under Wine's win98 and winxp, with the stand-in shfolder.dll told to fail
# every call, the records of the program-files and documents folders must show the failed
# folder-service call and the source that answered instead: the registry's "ProgramFilesDir"
# for program files; on Windows 98 the folder service again with its create flag, then the
# shell, for the documents; on XP the fixed "My Documents" on the Windows drive, which the
# library creates. Every record ends with its answering source or "none". folderdump --explain
# prints the same records as text.
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
cleanup() {
    [[ $had_documents == yes ]] || rm -rf "$documents"
    wine_run reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

source_dir="$work/Install Source"
mkdir -p "$source_dir/setup"
cp "$dump" "$library" "$source_dir/"
cp "$standin" "$source_dir/setup/shfolder.dll"
echo all >"$source_dir/setup/shfolder.fail"

# check version slot expected-lines...: the slot's record as "kind|detail|outcome" lines.
check() {
    local version=$1 slot=$2 got
    shift 2
    got=$(python3 -c '
import json, sys
for entry in json.load(open(sys.argv[1], encoding="utf-8")):
    if entry["slot"] == int(sys.argv[2]):
        for a in entry["record"]:
            print("%s|%s|%s" % (a["kind"], a["detail"], a["outcome"]))' "$work/$version.json" "$slot")
    if [[ $got != "$(printf '%s\n' "$@")" ]]; then
        echo "expected:" >&2
        printf '  %s\n' "$@" >&2
        echo "got:" >&2
        sed 's/^/  /' <<<"$got" >&2
        fail "$version: record of slot $slot"
    fi
}

program_files_dir='registry|HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion "ProgramFilesDir"'
for version in win98 winxp; do
    wine_version "$version"
    (cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --json) | tr -d '\r' >"$work/$version.json"
    # Every record is well formed and ends with its source, or "none" for an empty slot.
    python3 -c '
import json, sys
for entry in json.load(open(sys.argv[1], encoding="utf-8")):
    record = entry["record"]
    assert record, entry
    last = record[-1]
    if entry["value"]:
        assert last["outcome"].startswith("answered"), entry
    else:
        assert last["kind"] == "none", entry' "$work/$version.json" ||
        fail "$version: a record does not end with its source"

    check "$version" 13 \
        'folder service|CSIDL_PROGRAM_FILES|failed: 0x80004005' \
        "$program_files_dir|answered, write test passed"
    if [[ $version == win98 ]]; then
        check "$version" 3 \
            'folder service|CSIDL_PERSONAL|failed: 0x80004005' \
            'folder service|CSIDL_PERSONAL | CSIDL_FLAG_CREATE|failed: 0x80004005' \
            'shell|CSIDL_PERSONAL|answered'
    else
        check "$version" 3 \
            'folder service|CSIDL_PERSONAL|failed: 0x80004005' \
            'fallback|"My Documents" on the Windows drive|answered, created'
    fi
    echo "$version, failing shfolder.dll: program-files and documents records as expected"
done

# The text form: each slot's line, then its record indented below it.
(cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --explain) | tr -d '\r' >"$work/explain"
grep -qxF '     folder service: CSIDL_PROGRAM_FILES -> failed: 0x80004005' "$work/explain" ||
    fail "--explain does not show the failed folder-service call"
[[ $(grep -c '^[ 0-9][0-9] ' "$work/explain") == $(python3 -c '
import json, sys; print(len(json.load(open(sys.argv[1], encoding="utf-8"))))' "$work/winxp.json") ]] ||
    fail "--explain does not list every slot"
echo "--explain lists every slot with its record"
