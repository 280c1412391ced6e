#!/usr/bin/env bash
# Builds the release package dist/quellin-<version>-win32.zip, after building everything
# (tools/build.sh) unless --no-build is given. One folder, quellin-<version>-win32, holding:
#   launcher.exe, Quellin.dll, folderdump.exe   the i686 release set (build/release), stripped
#   Quellin.h                                   the slot list and the exports
#   Quellin.nsh                                 the NSIS include (quellin/Quellin.nsh)
#   Quellin.def                                 the exports with their stdcall argument sizes
#   libQuellin.a, Quellin.lib                   import libraries: MinGW, Microsoft's linker
#   integration.md                              the integration guide (docs/integration.md)
#   examples/                                   its C, NSIS and Inno Setup examples
#                                               (docs/examples)
#   x86_64/                                     the x86_64 build, for 64-bit programs:
#                                               Quellin.dll and folderdump.exe
#                                               (build/release-x86_64, stripped), libQuellin.a
#                                               and Quellin.lib
# The version is the project's, from CMakeLists.txt. ctest's package.contents checks the zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case ${1:-} in
--no-build) ;;
"") "$root/tools/build.sh" ;;
*) echo "usage: tools/package.sh [--no-build]" >&2; exit 2 ;;
esac

win32="$root/build/win-i686"
win64="$root/build/win-x86_64"
release="$root/build/release"
release64="$root/build/release-x86_64"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win32/CMakeCache.txt")
[[ -n $version ]] || { echo "package: no project version in $win32" >&2; exit 1; }
name="quellin-$version-win32"

stage="$root/build/package"
rm -rf "$stage"
mkdir -p "$stage/$name/examples" "$stage/$name/x86_64"
cp "$release/launcher.exe" "$release/Quellin.dll" "$release/folderdump.exe" "$stage/$name/"
cp "$root/quellin/Quellin.h" "$root/quellin/Quellin.nsh" "$stage/$name/"
cp "$win32/quellin/import/Quellin.def" "$win32/quellin/import/libQuellin.a" \
    "$win32/quellin/import/Quellin.lib" "$stage/$name/"
cp "$root/docs/integration.md" "$stage/$name/"
cp -R "$root/docs/examples/c" "$root/docs/examples/nsis" "$root/docs/examples/inno" \
    "$stage/$name/examples/"
cp "$release64/Quellin.dll" "$release64/folderdump.exe" "$win64/quellin/import/libQuellin.a" \
    "$win64/quellin/import/Quellin.lib" "$stage/$name/x86_64/"

# Files in a fixed order, dated by the last commit, nothing else recorded: the same files give
# the same zip.
stamp=$(TZ=UTC git -C "$root" log -1 --format=%cd --date=format-local:'%Y %m %d %H %M %S' 2>/dev/null ||
    echo "2000 01 01 00 00 00")
(cd "$stage" && find "$name" -type f | LC_ALL=C sort >files.txt)
mkdir -p "$root/dist"
zip="$root/dist/$name.zip"
rm -f "$zip"
(
    cd "$stage"
    python3 - "$zip" "$stamp" files.txt <<'PYTHON'
import sys, zipfile
target, stamp, listing = sys.argv[1], tuple(int(part) for part in sys.argv[2].split()), sys.argv[3]
with zipfile.ZipFile(target, "w") as archive:
    for path in open(listing).read().splitlines():
        entry = zipfile.ZipInfo(path, date_time=stamp)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        with open(path, "rb") as data:
            archive.writestr(entry, data.read())
PYTHON
)
echo "package: $zip"
(cd "$stage" && while read -r file; do printf '  %8d  %s\n' "$(stat -c %s "$file")" "${file#"$name"/}"; done <files.txt)
