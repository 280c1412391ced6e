#!/usr/bin/env bash
# Builds the release package dist/quellin-<version>-win32.zip, after building everything
# (tools/build.sh) unless --no-build is given. One folder, quellin-<version>-win32, holding:
#   launcher.exe, Quellin.dll, folderdump.exe   the i686 release set (build/release), stripped
#   Quellin.h                                   the slot list and the two exports
#   Quellin.def                                 the exports with their stdcall argument sizes
#   libQuellin.a, Quellin.lib                   import libraries: MinGW, Microsoft's linker
#   integration.md                              the integration guide (docs/integration.md)
#   examples/                                   its C and NSIS examples (docs/examples)
# The version is the project's, from CMakeLists.txt. ctest's package.contents checks the zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case ${1:-} in
--no-build) ;;
"") "$root/tools/build.sh" ;;
*) echo "usage: tools/package.sh [--no-build]" >&2; exit 2 ;;
esac

win32="$root/build/win-i686"
release="$root/build/release"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win32/CMakeCache.txt")
[[ -n $version ]] || { echo "package: no project version in $win32" >&2; exit 1; }
name="quellin-$version-win32"

stage="$root/build/package"
rm -rf "$stage"
mkdir -p "$stage/$name/examples"
cp "$release/launcher.exe" "$release/Quellin.dll" "$release/folderdump.exe" "$stage/$name/"
cp "$root/quellin/Quellin.h" "$stage/$name/"
cp "$win32/quellin/import/Quellin.def" "$win32/quellin/import/libQuellin.a" \
    "$win32/quellin/import/Quellin.lib" "$stage/$name/"
cp "$root/docs/integration.md" "$stage/$name/"
cp -R "$root/docs/examples/c" "$root/docs/examples/nsis" "$stage/$name/examples/"

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
