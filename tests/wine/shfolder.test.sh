#!/usr/bin/env bash
# The stand-in shfolder.dll (the lane's build, tests/prelude.sh): forwards SHGetFolderPathA to
# shell32's, and fails with E_FAIL for the identifiers that "shfolder.fail" beside it lists
# ("all", decimal, hex; an identifier without flag bits also matches it with
# CSIDL_FLAG_CREATE).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
# Wine would otherwise load its built-in shfolder.dll in place of the file named.
export WINEDLLOVERRIDES=shfolder=n,b

work=$(mktemp -d "${TMPDIR:-/tmp}/shfolder-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$QUELLIN_WIN_DIR/tools/shfolder.dll" "$work/"
dll=$(winepath_of "$work/shfolder.dll")
call() { wine_run "$QUELLIN_WIN_DIR/tests/wine/shfolder_call.exe" "$dll" "$@" | tr -d '\r'; }
result() { awk -v id="$1" '$1 == id { print $2 }' <<<"$2"; }

# CSIDL_FONTS (0x14), CSIDL_PROGRAM_FILES (0x26), the latter with CSIDL_FLAG_CREATE, CSIDL_WINDOWS (0x24).
ids=(0x14 0x26 0x8026 0x24)
out=$(call "${ids[@]}")
for id in 0x0014 0x0026 0x8026 0x0024; do
    [[ $(result $id "$out") == 0x00000000 ]] || fail "no list: $id does not succeed: $out"
done
shell32_fonts=$(awk '$1 == "0x0014" { print $3 }' <<<"$out")
[[ $shell32_fonts == [A-Za-z]:\\* ]] || fail "fonts folder is not a path: $out"

printf '# test list\n38\r\n\n0x14\n' >"$work/shfolder.fail"
out=$(call "${ids[@]}")
[[ $(result 0x0014 "$out") == 0x80004005 ]] || fail "listed 0x14 does not fail: $out"
[[ $(result 0x0026 "$out") == 0x80004005 ]] || fail "listed 38 does not fail: $out"
[[ $(result 0x8026 "$out") == 0x80004005 ]] || fail "38 listed does not fail 0x8026: $out"
[[ $(result 0x0024 "$out") == 0x00000000 ]] || fail "unlisted 0x24 fails: $out"

printf '0x8026\n' >"$work/shfolder.fail"
out=$(call "${ids[@]}")
[[ $(result 0x8026 "$out") == 0x80004005 ]] || fail "listed 0x8026 does not fail: $out"
[[ $(result 0x0026 "$out") == 0x00000000 ]] || fail "0x8026 listed fails 0x26 too: $out"

printf 'ALL\n' >"$work/shfolder.fail"
out=$(call "${ids[@]}")
for id in 0x0014 0x0026 0x8026 0x0024; do
    [[ $(result $id "$out") == 0x80004005 ]] || fail "all: $id does not fail: $out"
done
echo "shfolder.dll forwards to shell32 and fails as its list says"
