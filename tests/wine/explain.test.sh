#!/usr/bin/env bash
# Why each folder, and what the attach saw, end to end (the lane's files, tests/prelude.sh).
#
# 1. Under Wine's win98 and winxp, with the stand-in shfolder.dll told to fail every call, the
#    records of the program-files and documents folders show the failed folder-service call
#    and the source that answered instead: the registry's "ProgramFilesDir" for program files;
#    on Windows 98 the folder service again with its create flag, then the shell, for the
#    documents; on XP the fixed "My Documents" on the Windows drive, which the library creates.
#    folderdump --explain prints the same records as text.
#    One run (--explain --json-file) gives both forms from one attach, and they agree: the
#    documents folder the attach made is "created by this attach" in both.
# 2. Planted machines, as a support engineer meets them, are told apart by folderdump's JSON
#    report, its fields alone: a wrong current directory, setup started from inside its own
#    setup folder, a source without shfolder.dll, a shfolder.dll that is no DLL, one of the
#    other architecture (where that build is at hand), a failing one, "ProgramFilesDir" on a
#    drive that does not exist, naming a file, and on a share the network refuses,
#    "CommonFilesDir" deleted, and a documents value stored with quotes (its record names the
#    quote and its position).
# Every report keeps the documented JSON shape (format version 2; the outcome codes are the
# guide's, and Quellin.h's where the source tree is at hand), and every record ends with its
# answering source or "none". The reports are read once, at the end, by one python3: in the
# guest of the 32-bit lanes each start of python3 took over a second.
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
userShellKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
# The values this test changes, as they were ("TYPE|DATA"), from one query of each key.
listing=$(wine_run reg query "$versionKey" 2>/dev/null | tr -d '\r') || true
IFS='|' read -r programs_type saved_programs <<<"$(wine_reg_value "$listing" ProgramFilesDir)"
IFS='|' read -r common_type saved_common <<<"$(wine_reg_value "$listing" CommonFilesDir)"
listing=$(wine_run reg query "$userShellKey" /v Personal 2>/dev/null | tr -d '\r') || true
IFS='|' read -r personal_type saved_personal <<<"$(wine_reg_value "$listing" Personal)"
# Put back in one import, and the Wine version this test sets taken out.
cleanup() {
    local -a values=()
    [[ $had_documents == yes ]] || rm -rf "$documents"
    [[ -z $saved_programs ]] || values+=("$versionKey|ProgramFilesDir|$programs_type|$saved_programs")
    [[ -z $saved_common ]] || values+=("$versionKey|CommonFilesDir|$common_type|$saved_common")
    [[ -z $saved_personal ]] || values+=("$userShellKey|Personal|$personal_type|$saved_personal")
    wine_reg_import "${values[@]}" 'HKCU\Software\Wine|Version||' >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

source_dir="$work/Install Source"
mkdir -p "$source_dir/setup" "$work/elsewhere"
cp "$dump" "$library" "$source_dir/"
cp "$standin" "$source_dir/setup/shfolder.dll"
echo all >"$source_dir/setup/shfolder.fail"

# report NAME [dir]: folderdump --json run in the source (or `dir`), into $work/NAME.json,
# expected to be of the documented shape; read at the end (read_reports, tests/prelude.sh).
report() {
    (cd "${2:-$source_dir}" && wine_run "$source_dir/folderdump.exe" --json) | tr -d '\r' >"$work/$1.json"
    expect "$1" 'shape(report)' 'of the documented shape'
}

# check NAME slot expected-lines...: the slot's record as "kind|detail|text" lines.
check() {
    local name=$1 slot=$2
    shift 2
    expect "$name" "'\\n'.join('%s|%s|%s' % (a['kind'], a['detail'], a['text'])
                                  for a in report['slots'][$slot]['record'])" "$(printf '%s\n' "$@")"
}

# shape(report), for the expressions: "of the documented shape", else where the report first
# departs from it.
shape=$(cat <<'PYTHON'
import os, re, traceback
# The guide's outcome codes and kinds; where the source tree is at hand (not in the guest's
# lanes), they must be those of Quellin.h.
codes = {"answered", "write-tested", "untested", "created", "already-there", "not-created",
         "short-name", "expanded", "kept", "missing-key", "missing-value", "empty", "too-long",
         "failed", "not-a-full-path", "invalid-path", "ansi-unwritable", "ansi-look-alike",
         "not-converted", "unterminated", "write-test-failed", "file-missing", "no-folder",
         "not-asked", "present", "none", "loaded", "loaded-without-function", "not-loaded",
         "not-looked-for"}
kinds = {"folder service", "shell", "registry", "windows", "default", "fallback", "none",
         "current directory", "wow64", "code page", "terminal server", "library", "attach"}
header_path = os.path.join(os.environ["QUELLIN_SOURCE_DIR"], "quellin", "Quellin.h")
if os.path.exists(header_path):
    header = open(header_path, encoding="utf-8").read()
    assert codes == set(re.findall(r'OUTCOME\(\d+, QUELLIN_OUTCOME_\w+, "([a-z-]+)"\)', header))
    assert kinds == set(re.findall(r'KIND\(\d+, QUELLIN_KIND_\w+, "([a-z0-9 ]+)"\)', header))
def documented(report):
    assert report["format"] == "quellin-folderdump" and report["formatVersion"] == 2
    assert set(report["tool"]) == {"name", "version"} and set(report["library"]) == {"path", "version"}
    context = report["context"]
    assert set(context) == {"userName", "profileFolder", "elevated", "shfolder"}, context
    for name in ("userName", "profileFolder", "elevated"):
        assert set(context[name]) == {"value", "call", "error", "notAsked"}, context[name]
        assert context[name]["call"], context[name]
    assert set(context["shfolder"]) == {"path", "exists", "error", "size", "machine", "machineName",
                                        "header", "fileVersion", "calls"}, context["shfolder"]
    attach = report["attach"]
    assert set(attach) == {"currentDirectory", "folderService", "windows", "wow64", "codePage",
                           "terminalServer", "durationMs", "record"}, attach
    assert set(attach["folderService"]) == {"path", "outcome", "module", "error", "text"}
    assert attach["folderService"]["outcome"] in (
        "loaded", "loaded-without-function", "not-loaded", "not-looked-for")
    first = {"answered", "failed", "missing", "empty", "too-long", "write-test-failed",
             "not-a-full-path", "cannot-be-written-in-ansi", "not-a-valid-path", "file-missing",
             "not-converted", "no-folder", "not-asked", "present", "unterminated", "none"}
    fields = {"kind", "detail", "outcome", "error", "text", "code", "qualities", "win32Error",
              "hresult", "valueType", "stored", "expanded", "folder", "offending", "baseSlot"}
    for fact in attach["record"]:
        assert set(fact) == fields | {"facts"} and len(fact["facts"]) == 4, fact
        assert fact["kind"] in kinds and fact["code"] in codes, fact
    trust = {"verified", "untested", "derivedFrom", "fallback", "created", "network",
             "outsideProfile", "differsFromShell"}
    for entry in report["slots"]:
        assert {"slot", "name", "value", "flags", "trust", "record"} <= set(entry), entry
        assert entry["trust"] is None if not entry["value"] else set(entry["trust"]) == trust, entry
        for attempt in entry["record"]:
            assert set(attempt) == fields, attempt
            assert attempt["outcome"] in first and attempt["code"] in codes, attempt
            assert attempt["kind"] in kinds, attempt
            offending = attempt["offending"]
            if offending is not None:
                assert attempt["folder"][offending["position"]] == offending["character"], attempt
        last = entry["record"][-1]
        assert last["outcome"] == "answered" if entry["value"] else last["kind"] == "none", entry
        assert ("created" in entry["flags"]) == bool(entry["trust"] and entry["trust"]["created"])
def shape(report):
    try:
        documented(report)
        return "of the documented shape"
    except AssertionError as error:
        return "not: line %d of the check: %s" % (traceback.extract_tb(error.__traceback__)[-1].lineno,
                                                  str(error)[:500])
PYTHON
)

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
done

# The text form: the attach record, then each slot's line with its record indented below it.
(cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --explain) | tr -d '\r' >"$work/explain"
grep -qxF '     folder service: CSIDL_PROGRAM_FILES -> failed: 0x80004005 (E_FAIL)' "$work/explain" ||
    fail "--explain does not show the failed folder-service call"
expect winxp 'len(report["slots"])' "$(slot_lines <"$work/explain" | wc -l)" # every slot listed

# One run, both forms, one attach: the documents folder this attach makes is "created by this
# attach" in the text and "created" in the JSON, and missing before the attach in both.
rm -rf "$documents"
(cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --explain --json-file snapshot.json) |
    tr -d '\r' >"$work/snapshot"
mv "$source_dir/snapshot.json" "$work/snapshot.json"
expect snapshot 'shape(report)' 'of the documented shape'
grep -qxF '     flags: missing, created by this attach' "$work/snapshot" ||
    fail "the text of the snapshot does not say the documents folder was created by this attach"
expect snapshot 'report["slots"][3]["flags"]' "['missing', 'created']"
expect snapshot 'report["slots"][3]["record"][-1]["code"]' created
# The text and the JSON of one run agree.
expect snapshot '"\n".join("%2d %-22s %s" % (s["slot"], s["name"], s["value"]) for s in report["slots"])' \
    "$(slot_lines <"$work/snapshot")"

# The planted machines (under winxp still), each by the fields that tell it apart.
source_path=$(winepath_of "$source_dir")
report wrong-directory "$work/elsewhere"
expect wrong-directory 'report["attach"]["currentDirectory"]' "$(winepath_of "$work/elsewhere")"
expect wrong-directory 'report["attach"]["folderService"]["outcome"]' not-loaded
expect wrong-directory 'report["attach"]["folderService"]["error"]' 126

rm "$source_dir/setup/shfolder.dll"
report no-shfolder
expect no-shfolder 'report["attach"]["currentDirectory"]' "$source_path"
expect no-shfolder 'report["attach"]["folderService"]["path"]' "$source_path\\setup\\shfolder.dll"
expect no-shfolder 'report["attach"]["folderService"]["error"]' 126
expect no-shfolder 'report["context"]["shfolder"]["exists"]' False

# Setup started from inside its own setup folder: the library looks one level too deep.
report inside-setup "$source_dir/setup"
expect inside-setup 'report["attach"]["currentDirectory"]' "$source_path\\setup"
expect inside-setup 'report["attach"]["folderService"]["path"]' "$source_path\\setup\\setup\\shfolder.dll"
expect inside-setup 'report["context"]["shfolder"]["path"]' "$source_path\\setup\\setup\\shfolder.dll"

echo "no library here" >"$source_dir/setup/shfolder.dll"
report corrupt-shfolder
expect corrupt-shfolder 'report["attach"]["folderService"]["outcome"]' not-loaded
expect corrupt-shfolder 'report["attach"]["folderService"]["error"]' 193
expect corrupt-shfolder 'report["context"]["shfolder"]["exists"]' True
expect corrupt-shfolder 'report["context"]["shfolder"]["machine"]' None
expect corrupt-shfolder 'report["context"]["shfolder"]["header"]' "no MZ header"

# A shfolder.dll of the other architecture: the same error, told apart by its machine type.
other_standin=$QUELLIN_WIN32_DIR/tools/shfolder.dll
[[ $QUELLIN_LANE == win64 ]] || other_standin=$QUELLIN_WIN64_DIR/tools/shfolder.dll
if [[ -f $other_standin ]]; then
    cp "$other_standin" "$source_dir/setup/shfolder.dll"
    report other-architecture
    expect other-architecture 'report["attach"]["folderService"]["error"]' 193
    expect other-architecture 'report["context"]["shfolder"]["machineName"]' \
        "$([[ $QUELLIN_LANE == win64 ]] && echo i386 || echo x86-64)"
fi

cp "$standin" "$source_dir/setup/shfolder.dll"
report failing-shfolder
expect failing-shfolder 'report["attach"]["folderService"]["outcome"]' loaded
expect failing-shfolder 'report["attach"]["folderService"]["module"]' "$source_path\\setup\\shfolder.dll"
expect failing-shfolder 'report["slots"][13]["record"][0]["outcome"]' failed
expect failing-shfolder 'report["slots"][13]["record"][0]["error"]' 2147500037
expect failing-shfolder 'report["slots"][13]["record"][0]["hresult"]' 2147500037
expect failing-shfolder 'report["slots"][13]["record"][0]["code"]' failed
expect failing-shfolder 'report["slots"][13]["record"][1]["code"]' write-tested
expect failing-shfolder 'report["slots"][13]["trust"]["verified"]' True
expect failing-shfolder 'report["context"]["shfolder"]["exists"]' True
expect failing-shfolder 'report["context"]["shfolder"]["machineName"] in ("i386", "x86-64")' True
rm -rf "$documents"

rm "$source_dir/setup/shfolder.dll" "$source_dir/setup/shfolder.fail"
wine_run reg add "$versionKey" /v ProgramFilesDir /d 'Q:\Programs' /f >/dev/null
report missing-drive
expect missing-drive 'report["slots"][13]["record"][0]["outcome"]' write-test-failed
expect missing-drive '"creating Q:\\Programs: error" in report["slots"][13]["record"][0]["text"]' True
expect missing-drive 'report["slots"][13]["record"][0]["code"]' write-test-failed
expect missing-drive 'report["slots"][13]["record"][0]["win32Error"] is not None' True
expect missing-drive 'report["slots"][13]["record"][0]["stored"]' 'Q:\Programs'
expect missing-drive 'report["slots"][13]["record"][0]["valueType"]' REG_SZ

# "ProgramFilesDir" naming a file: the write test fails below it.
echo "a file" >"$(wine_drive_c)/ProgramsFile"
wine_run reg add "$versionKey" /v ProgramFilesDir /d 'C:\ProgramsFile' /f >/dev/null
report file-programs
rm -f "$(wine_drive_c)/ProgramsFile"
expect file-programs 'report["slots"][13]["record"][0]["code"]' write-test-failed
expect file-programs 'report["slots"][13]["record"][0]["folder"]' 'C:\ProgramsFile'

wine_run reg add "$versionKey" /v ProgramFilesDir /d '\\nosuchserver\share\Programs' /f >/dev/null
report refused-share
expect refused-share 'report["slots"][13]["record"][0]["outcome"]' write-test-failed
expect refused-share 'bool(re.search(r"the network refused \\\\nosuchserver\\share at [F-Z]: with error [0-9]+ \([A-Z_]+\) after [0-9]+ ms",
    report["slots"][13]["record"][0]["text"]))' True

# "CommonFilesDir" deleted: the DAO and ODBC folders fall to program files, missing-value 2.
wine_run reg add "$versionKey" /v ProgramFilesDir /t "${programs_type:-REG_SZ}" /d "$saved_programs" /f >/dev/null
wine_run reg delete "$versionKey" /v CommonFilesDir /f >/dev/null 2>&1
report no-common-files
expect no-common-files 'report["slots"][1]["record"][0]["code"]' missing-value
expect no-common-files 'report["slots"][1]["record"][0]["win32Error"]' 2
expect no-common-files 'report["slots"][1]["trust"]["derivedFrom"]' 13
wine_run reg add "$versionKey" /v CommonFilesDir /t "${common_type:-REG_SZ}" /d "$saved_common" /f >/dev/null

# A documents value stored with quotes: the entry that read it names the quote and where it is.
wine_run reg add "$userShellKey" /v Personal /t REG_EXPAND_SZ /d '"C:\users\quoted\Documents"' /f >/dev/null
report quoted-documents
expect quoted-documents 'any(a["code"] == "invalid-path" and a["offending"]["character"] == "\"" and
    a["offending"]["position"] == 0 and a["stored"].startswith("\"C:") and
    a["valueType"] in (None, "REG_EXPAND_SZ") for a in report["slots"][3]["record"] if a["offending"])' True

# Documents redirected to a file server that does not answer: the registry's value, as stored,
# is the slot, which lies on the network, and is missing.
wine_run reg add "$userShellKey" /v Personal /t REG_EXPAND_SZ /d '\\nosuchserver\share\Documents' /f >/dev/null
report server-documents
expect server-documents 'report["slots"][3]["value"]' '\\nosuchserver\share\Documents'
expect server-documents 'sorted(set(report["slots"][3]["flags"]) & {"network", "missing"})' "['missing', 'network']"
expect server-documents 'report["slots"][3]["trust"]["network"]' True
expect server-documents '[a["stored"] for a in report["slots"][3]["record"]
    if a["kind"] == "registry"][-1:] == [report["slots"][3]["value"]]' True

read_reports "$work" "$shape"
((failures == 0)) || fail "$failures problem(s)"
echo "records as expected; planted machines told apart by the report; every report of the documented shape"
