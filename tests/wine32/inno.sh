#!/usr/bin/env bash
# A real Inno Setup installer calls the library: the example script of docs/examples/inno,
# taken from the installer authors' kit (QUELLIN_KIT, laid out as the release package, the
# shipped Quellin.dll two folders above the script), is compiled by Inno Setup's own ISCC.exe
# (QUELLIN_INNOSETUP_DIR) under this lane's Wine, and the installer, run with /VERYSILENT from
# an installation source that holds setup\shfolder.dll and started from elsewhere, writes one
# "slot name value" line per slot. With the documents folder named "C:\users\Łukasz\Documents" (which code
# page 1252 writes only as "Lukasz", a folder that is not the user's):
# - its lines equal the wide values of the shipped folderdump.exe, run from the same source
#   with the same library (its --json report), the documents folder by its true name; but for
#   the module folder, which is the folder of Setup's second stage (is-*.tmp in the temporary
#   folder), the program that loaded the library;
# - it bound the source's stand-in shfolder.dll (My Pictures is then the documents folder's
#   "My Pictures"): the script made the source the current directory before the library was
#   loaded.
# Setup makes its wizard's window even when it shows none: Wine's null display driver gives it
# one (the lanes' prefixes have it; here it is set, and a server that is not kept up ends
# first, with the desktop process it started without a driver). The registry values are put
# back at the end, also on failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
# Wine takes the Polish name through a UTF-8 locale; the ANSI code page stays 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
wine_prefix

kit=${QUELLIN_KIT:?the kit laid out as the release package}
script="$kit/examples/inno/quellin-folders.iss"
need_files "$QUELLIN_INNOSETUP_DIR/ISCC.exe" "$script" "$kit/Quellin.dll" "$QUELLIN_FOLDERDUMP" \
    "$QUELLIN_DLL" "$QUELLIN_WIN_DIR/tools/shfolder.dll"
export WINEDLLOVERRIDES=shfolder=n,b

work=$(mktemp -d "${TMPDIR:-/tmp}/inno-test.XXXXXX")
home="$(wine_drive_c)/users/Łukasz" documents="$(wine_drive_c)/users/Łukasz/Documents"
cleanup() {
    wine_reg_restore
    rm -rf "$work" "$home"
}
trap cleanup EXIT
source_dir="$work/Install Source"
mkdir -p "$source_dir/setup" "$documents"

(cd "$(dirname "$script")" &&
    wine_run "$QUELLIN_INNOSETUP_DIR/ISCC.exe" /Q "/O$(winepath_of "$source_dir")" "$(basename "$script")") ||
    fail "ISCC.exe could not compile $(basename "$script")"
need_files "$source_dir/quellin-folders.exe"
cp "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$source_dir/"
cp "$QUELLIN_WIN_DIR/tools/shfolder.dll" "$source_dir/setup/"
wine_reg_change 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
    Personal REG_EXPAND_SZ 'C:\users\Łukasz\Documents' 'HKCU\Software\Wine\Drivers' Graphics REG_SZ null
wineserver_wait

rc=0
(cd "$work" && wine_run "$source_dir/quellin-folders.exe" /VERYSILENT /SUPPRESSMSGBOXES \
    "/LOG=$(winepath_of "$work/setup.log")" "/OUT=$(winepath_of "$work/installer.txt")") || rc=$?
if [[ $rc != 0 || ! -f $work/installer.txt ]]; then
    [[ ! -f $work/setup.log ]] || text_lines "$work/setup.log" utf-8-sig | sed 's/^/    /' >&2
    fail "the installer exits $rc$([[ -f $work/installer.txt ]] || echo ', with no file')"
fi
text_lines "$work/installer.txt" utf-8-sig >"$work/installer.lines"

(cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --json) | tr -d '\r' >"$work/folderdump.json"
folderdump_lines "$work/folderdump.json" wide >"$work/folderdump.lines"
value_of() { awk -v name="$1" '$2 == name { sub(/^[^ ]+ [^ ]+ /, ""); print }' "$2"; }

# The module folder apart: Setup's second stage, in the temporary folder.
module=$(value_of ModuleFolder "$work/installer.lines")
temp=$(value_of TempFolder "$work/installer.lines")
[[ -n $temp && $module == "$temp"is-*.tmp ]] ||
    problem "the module folder is '$module', not Setup's is-*.tmp in '$temp'"
grep -v ' ModuleFolder ' "$work/folderdump.lines" >"$work/expected"
grep -v ' ModuleFolder ' "$work/installer.lines" >"$work/got"
if ! diff -u "$work/expected" "$work/got" >"$work/diff"; then
    sed 's/^/    /' "$work/diff" >&2
    problem "the installer's lines differ from folderdump's"
fi
personal=$(value_of PersonalFolder "$work/installer.lines")
[[ $personal == 'C:\users\Łukasz\Documents' ]] || problem "the documents folder is '$personal', not its true name"
[[ $(value_of MyPicturesFolder "$work/installer.lines") == "$personal\\My Pictures" ]] ||
    problem "the source's shfolder.dll was not bound (My Pictures is '$(value_of MyPicturesFolder "$work/installer.lines")')"
((failures == 0)) || fail "$failures problem(s)"
cat "$work/installer.lines"
echo "the Inno Setup installer's $(wc -l <"$work/installer.lines") lines equal folderdump's (module folder $module)"
