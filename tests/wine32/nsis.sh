#!/usr/bin/env bash
# A real installer calls the library: the example NSIS installer (docs/examples/nsis, built by
# makensis with the shipped Quellin.dll inside, path in QUELLIN_NSIS_INSTALLER), run silently
# from an installation source that holds setup\shfolder.dll, writes one "slot name value"
# line per slot through the System plug-in's stdcall calls. Its lines must equal those of the
# shipped folderdump.exe run from the same source with the same library: same slots, names and
# values. The source's stand-in shfolder.dll must have been bound by both (My Pictures is then
# the documents folder's "My Pictures"), so the installer's current directory was the source.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
wine_prefix

installer=${QUELLIN_NSIS_INSTALLER:?the installer built from docs/examples/nsis}
need_files "$installer" "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$QUELLIN_WIN_DIR/tools/shfolder.dll"
export WINEDLLOVERRIDES=shfolder=n,b

work=$(mktemp -d "${TMPDIR:-/tmp}/nsis-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The installer and folderdump side by side, so that the module folder is the same for both.
source_dir="$work/Install Source"
mkdir -p "$source_dir/setup"
cp "$installer" "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$source_dir/"
cp "$QUELLIN_WIN_DIR/tools/shfolder.dll" "$source_dir/setup/"

# Started from elsewhere: the installer itself must make the source its current directory.
rc=0
(cd "$work" && wine_run "$source_dir/$(basename "$installer")" "/OUT=$(winepath_of "$work/installer.txt")") ||
    rc=$?
[[ $rc == 0 ]] || fail "the installer exits $rc"
[[ -f $work/installer.txt ]] || fail "the installer wrote no file"
tr -d '\r' <"$work/installer.txt" >"$work/installer.lines"

# folderdump's "NN Name<padding> value" columns as "slot name value".
(cd "$source_dir" && wine_run "$source_dir/$(basename "$QUELLIN_FOLDERDUMP")") | tr -d '\r' |
    slot_lines | awk '{ width = length($2) > 22 ? length($2) : 22
           printf "%d %s %s\n", $1, $2, substr($0, 5 + width) }' >"$work/folderdump.lines"

slots=$(wc -l <"$work/folderdump.lines")
((slots > 0)) || fail "folderdump printed nothing"
if ! diff -u "$work/folderdump.lines" "$work/installer.lines" >"$work/diff"; then
    sed 's/^/    /' "$work/diff" >&2
    fail "the installer's lines differ from folderdump's"
fi
value_of() { awk -v name="$1" '$2 == name { sub(/^[^ ]+ [^ ]+ /, ""); print }' "$work/installer.lines"; }
[[ $(value_of MyPicturesFolder) == "$(value_of PersonalFolder)\\My Pictures" ]] ||
    fail "the source's shfolder.dll was not bound (My Pictures is '$(value_of MyPicturesFolder)')"
[[ $(value_of ModuleFolder) == "$(winepath_of "$source_dir")" ]] ||
    fail "module folder '$(value_of ModuleFolder)', not the installation source"
cat "$work/installer.lines"
echo "the installer's $slots lines equal folderdump's"
