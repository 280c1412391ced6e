#!/usr/bin/env bash
# The release package, dist/quellin-<version>-win32.zip (tools/package.sh), unpacked, file by
# file:
# - it holds one folder, quellin-<version>-win32, and in it exactly the files listed below;
# - launcher.exe, Quellin.dll and folderdump.exe: PE32 for i386, stripped (no debug sections,
#   no symbol table), importing Windows system DLLs only, the same files as the release set in
#   build/release; Quellin.dll and folderdump.exe carry a version resource with the project's
#   version and their own names, the launcher no resources at all;
# - Quellin.dll exports exactly the functions that Quellin.h declares, by those names;
# - Quellin.def lists the same names, each with a stdcall argument size; libQuellin.a and
#   Quellin.lib define those decorated names (and their __imp_ pointers) and import the
#   undecorated exports of Quellin.dll;
# - Quellin.h, the guide and its examples are those of the source tree.
# Linking and running the examples against the libraries is package.examples' part.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
source "$QUELLIN_SOURCE_DIR/tests/pe/lib.bash"
zip=${QUELLIN_PACKAGE:?the package to check}
version=${QUELLIN_VERSION:?the project version}
win32=${QUELLIN_WIN32_DIR:?the i686 build tree}
src=$QUELLIN_SOURCE_DIR
NM=i686-w64-mingw32-nm
WINDRES=i686-w64-mingw32-windres

[[ -f $zip ]] || fail "no package $zip: run tools/package.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip") || fail "$zip does not unpack"
top="quellin-$version-win32"
[[ $(ls -A "$work") == "$top" ]] || fail "the package holds $(ls -A "$work" | xargs), not one folder $top"
pkg="$work/$top"

binaries=(launcher.exe Quellin.dll folderdump.exe)
expected=$(
    printf '%s\n' "${binaries[@]}" Quellin.h Quellin.def libQuellin.a Quellin.lib integration.md
    (cd "$src/docs" && find examples -type f)
)
found=$(cd "$pkg" && find . -type f | sed 's|^\./||')
[[ $(LC_ALL=C sort <<<"$found") == "$(LC_ALL=C sort <<<"$expected")" ]] ||
    fail "the package's files differ from the list:"$'\n'"$(diff <(LC_ALL=C sort <<<"$expected") <(LC_ALL=C sort <<<"$found") | grep '^[<>]')"

# The same files as in the source and build trees: the package is not older than they are.
same() { # packaged-file original
    cmp -s "$pkg/$1" "$2" || problem "$1 differs from $2: run tools/package.sh"
}
same Quellin.h "$src/quellin/Quellin.h"
same integration.md "$src/docs/integration.md"
while read -r file; do same "$file" "$src/docs/$file"; done < <(cd "$src/docs" && find examples -type f)
for file in Quellin.def libQuellin.a Quellin.lib; do same "$file" "$win32/quellin/import/$file"; done
for file in "${binaries[@]}"; do same "$file" "$src/build/release/$file"; done

# The exports that Quellin.h declares.
declared=$(sed -nE 's/^[A-Za-z_ ]+ WINAPI (Quellin[A-Za-z]+)\(.*/\1/p' "$pkg/Quellin.h" | LC_ALL=C sort)
[[ -n $declared ]] || fail "no exported function found in Quellin.h"

for file in "${binaries[@]}"; do
    path="$pkg/$file"
    pe_expect_magic "$path" 010b
    dump=$(pe_dump "$path")
    "$OBJDUMP" -f "$path" | grep -q '^architecture: i386,' || problem "$file is not for i386"
    if "$OBJDUMP" -h "$path" | grep -q ' \.debug'; then problem "$file has debug sections"; fi
    "$OBJDUMP" -t "$path" | grep -q '^no symbols' || problem "$file has a symbol table"
    (pe_expect_system_imports "$path") || problem "$file imports more than Windows system DLLs"

    if [[ $file == launcher.exe ]]; then
        if "$OBJDUMP" -h "$path" | grep -q '\.rsrc'; then problem "$file has a resource section"; fi
        continue
    fi
    rc=$("$WINDRES" -i "$path" -O rc 2>&1) || { problem "$file: no resources ($rc)"; continue; }
    binary="${version//./, }, 0"
    for want in "^ FILEVERSION $binary\$" "^ PRODUCTVERSION $binary\$" \
        "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
        "VALUE \"ProductName\", \"Quellin\"" "VALUE \"OriginalFilename\", \"$file\"" \
        "VALUE \"InternalName\", \"${file%.*}\"" "VALUE \"FileDescription\", \".+\""; do
        grep -qE "$want" <<<"$rc" || problem "$file: the version resource has no line like '$want'"
    done
done

exported=$(pe_dump "$pkg/Quellin.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -nE 's/^[[:space:]]*\[ *[0-9]+\] (.*)$/\1/p' | LC_ALL=C sort)
[[ $exported == "$declared" ]] ||
    problem "Quellin.dll exports $(echo $exported), Quellin.h declares $(echo $declared)"

grep -qE '^LIBRARY Quellin\.dll$' "$pkg/Quellin.def" || problem "Quellin.def does not name Quellin.dll"
listed=$(sed -n '/^EXPORTS/,$p' "$pkg/Quellin.def" | sed -nE 's/^[[:space:]]+([A-Za-z]+)@([0-9]+)$/\1@\2/p')
[[ $(sed 's/@.*//' <<<"$listed" | LC_ALL=C sort) == "$declared" ]] ||
    problem "Quellin.def lists $(echo $listed), not each of $(echo $declared) with its argument size"

mingw=$("$NM" "$pkg/libQuellin.a")
msvc=$(llvm-readobj "$pkg/Quellin.lib")
# Read once: a grep -q that stops early would end a `strings |` pipeline with SIGPIPE.
mingw_strings=$(strings -a "$pkg/libQuellin.a")
for entry in $listed; do
    name=${entry%@*}
    for symbol in "_$entry" "__imp__$entry"; do
        grep -qE "^[0-9a-f]+ [TI] $symbol\$" <<<"$mingw" || problem "libQuellin.a does not define $symbol"
    done
    # The import name, a string of its own in the library (every symbol is decorated).
    grep -qx "$name" <<<"$mingw_strings" ||
        problem "libQuellin.a does not import $name by that name"
    # Short import members: the decorated symbols, the name undecorated when imported.
    awk -v sym="_$entry" '/^File: / { dll = $2 } /^Name type: / { type = $3 }
        $1 == "Symbol:" && $2 == sym { print dll, type }' <<<"$msvc" | grep -qx 'Quellin.dll undecorate' ||
        problem "Quellin.lib does not import _$entry from Quellin.dll as $name"
done

((failures == 0)) || fail "$failures problem(s) in $zip"
echo "$top.zip: $(wc -l <<<"$found") files as listed; binaries PE32 i386, stripped, version $version; exports and import libraries agree"
