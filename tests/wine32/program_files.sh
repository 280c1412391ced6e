#!/usr/bin/env bash
# The program-files folder of a standard user on 64-bit Windows (the wow64 lane, run as a user
# other than root, who passes every write test): with both program-files folders of the
# prefix read-only and no shfolder.dll in the installation source, "ProgramFilesDir" (the
# 32-bit registry view, "C:\Program Files (x86)") fails its write test, and so does
# "ProgramFilesPath" (Wine's "%ProgramFiles%", the same folder to a 32-bit process); the fixed
# folder must then be the 32-bit programs' one, not the 64-bit "C:\Program Files": slot 13 is
# "C:\Program Files (x86)", and its record says why. Under winxp and win10.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
wine_prefix
(($(id -u) != 0)) || fail "run as a user other than root: root passes every write test"
need_files "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL"

folders=("$(wine_drive_c)/Program Files" "$(wine_drive_c)/Program Files (x86)")
work=$(mktemp -d)
cleanup() {
    chmod 755 "${folders[@]}"
    wine_run reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
chmod 555 "${folders[@]}"
source_dir="$work/Install Source"
mkdir -p "$source_dir/setup"
cp "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$source_dir/"
# No shfolder.dll in the source, and none of Wine's own in its place.
export WINEDLLOVERRIDES=shfolder=n

for version in winxp win10; do
    wine_version "$version"
    got=$( (cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --slot 13 --explain) | tr -d '\r')
    expected=$(
        cat <<'LINES'
C:\Program Files (x86)
     registry: HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion "ProgramFilesDir" -> write test failed: C:\Program Files (x86) (creating a probe file: error 5 (ERROR_ACCESS_DENIED))
     registry: HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion "ProgramFilesPath" -> write test failed: C:\Program Files (x86) (creating a probe file: error 5 (ERROR_ACCESS_DENIED))
     fallback: "\Program Files (x86)" on the Windows drive (32-bit process on 64-bit Windows) -> answered, untested
LINES
    )
    if [[ $got != "$expected" ]]; then
        echo "expected:" >&2
        sed 's/^/    /' <<<"$expected" >&2
        fail "$version: slot 13 or its record is not the 32-bit programs' fixed folder:"$'\n'"$got"
    fi
    echo "$version, read-only program-files folders: $(head -n 1 <<<"$got")"
    sed 's/^/    /' <<<"$got"
done
