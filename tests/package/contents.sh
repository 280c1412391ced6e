#!/usr/bin/env bash
# The release package, dist/quellin-<version>-win32.zip (tools/package.sh), unpacked, file by
# file:
# - it holds one folder, quellin-<version>-win32, and in it exactly the files listed below;
# - launcher.exe, Quellin.dll and folderdump.exe: PE32 for i386, stripped (no debug sections,
#   no symbol table), each importing exactly its DLLs (the launcher and the library no C
#   runtime DLL), the launcher at most 16 KB and the library at most 128 KB, the same files
#   as the release set in build/release; Quellin.dll and folderdump.exe carry a version resource with the project's
#   version and their own names, the launcher no resources at all;
# - x86_64/Quellin.dll and x86_64/folderdump.exe: the same, PE32+ for x86-64, the files of
#   build/release-x86_64;
# - each Quellin.dll exports exactly the functions that Quellin.h declares, by those names;
# - Quellin.def lists the same names, each with a stdcall argument size; libQuellin.a and
#   Quellin.lib define those decorated names (and their __imp_ pointers) and import the
#   undecorated exports of Quellin.dll; x86_64/libQuellin.a and x86_64/Quellin.lib define
#   the undecorated names (x86-64 has one calling convention) and import them;
# - Quellin.h, Quellin.nsh, the guide and its examples are those of the source tree.
# Linking and running the examples against the libraries is package.examples' part.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
source "$QUELLIN_SOURCE_DIR/tests/pe/lib.bash"
zip=${QUELLIN_PACKAGE:?the package to check}
version=${QUELLIN_VERSION:?the project version}
win32=${QUELLIN_WIN32_DIR:?the i686 build tree}
win64=${QUELLIN_WIN64_DIR:?the x86_64 build tree}
src=$QUELLIN_SOURCE_DIR

[[ -f $zip ]] || fail "no package $zip: run tools/package.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip") || fail "$zip does not unpack"
top="quellin-$version-win32"
[[ $(ls -A "$work") == "$top" ]] || fail "the package holds $(ls -A "$work" | xargs), not one folder $top"
pkg="$work/$top"

binaries=(launcher.exe Quellin.dll folderdump.exe)
binaries64=(x86_64/Quellin.dll x86_64/folderdump.exe)
libraries64=(x86_64/libQuellin.a x86_64/Quellin.lib)
expected=$(
    printf '%s\n' "${binaries[@]}" Quellin.h Quellin.nsh Quellin.def libQuellin.a Quellin.lib \
        integration.md "${binaries64[@]}" "${libraries64[@]}"
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
same Quellin.nsh "$src/quellin/Quellin.nsh"
same integration.md "$src/docs/integration.md"
while read -r file; do same "$file" "$src/docs/$file"; done < <(cd "$src/docs" && find examples -type f)
for file in Quellin.def libQuellin.a Quellin.lib; do same "$file" "$win32/quellin/import/$file"; done
for file in "${binaries[@]}"; do same "$file" "$src/build/release/$file"; done
for file in "${binaries64[@]}"; do same "$file" "$src/build/release-x86_64/${file#x86_64/}"; done
for file in "${libraries64[@]}"; do same "$file" "$win64/quellin/import/${file#x86_64/}"; done

# The exports that Quellin.h declares.
declared=$(sed -nE 's/^[A-Za-z_ ]+ WINAPI (Quellin[A-Za-z]+)\(.*/\1/p' "$pkg/Quellin.h" | LC_ALL=C sort)
[[ -n $declared ]] || fail "no exported function found in Quellin.h"

# check_binary FILE MAGIC ARCHITECTURE: one of the package's programs or libraries.
check_binary() {
    local file=$1 path="$pkg/$1" rc binary want
    pe_expect_magic "$path" "$2"
    "$OBJDUMP" -f "$path" | grep -q "^architecture: $3," || problem "$file is not for $3"
    if "$OBJDUMP" -h "$path" | grep -q ' \.debug'; then problem "$file has debug sections"; fi
    "$OBJDUMP" -t "$path" | grep -q '^no symbols' || problem "$file has a symbol table"
    local imports
    case $(basename "$file") in
    launcher.exe) imports=("${PE_LAUNCHER_IMPORTS[@]}") ;;
    Quellin.dll) imports=("${PE_QUELLIN_IMPORTS[@]}") ;;
    *) imports=("${PE_FOLDERDUMP_IMPORTS[@]}") ;;
    esac
    (pe_expect_imports "$path" "${imports[@]}") || problem "$file imports other DLLs"

    if [[ $file == launcher.exe ]]; then
        if "$OBJDUMP" -h "$path" | grep -q '\.rsrc'; then problem "$file has a resource section"; fi
        return
    fi
    rc=$("$WINDRES" -i "$path" -O rc 2>&1) || { problem "$file: no resources ($rc)"; return; }
    binary="${version//./, }, 0"
    for want in "^ FILEVERSION $binary\$" "^ PRODUCTVERSION $binary\$" \
        "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
        "VALUE \"ProductName\", \"Quellin\"" "VALUE \"OriginalFilename\", \"${file#x86_64/}\"" \
        "VALUE \"InternalName\", \"$(basename "${file%.*}")\"" "VALUE \"FileDescription\", \".+\""; do
        grep -qE "$want" <<<"$rc" || problem "$file: the version resource has no line like '$want'"
    done
    if [[ $(basename "$file") == Quellin.dll ]]; then
        exported=$(pe_dump "$path" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -nE 's/^[[:space:]]*\[ *[0-9]+\] (.*)$/\1/p' | LC_ALL=C sort)
        [[ $exported == "$declared" ]] ||
            problem "$file exports $(echo $exported), Quellin.h declares $(echo $declared)"
    fi
}

OBJDUMP=i686-w64-mingw32-objdump WINDRES=i686-w64-mingw32-windres
for file in "${binaries[@]}"; do check_binary "$file" 010b i386; done
size_at_most() { # file bytes
    local size
    size=$(stat -c %s "$pkg/$1")
    ((size <= $2)) || problem "$1 takes $size bytes, more than $2"
}
size_at_most launcher.exe 16384
size_at_most Quellin.dll 131072
OBJDUMP=x86_64-w64-mingw32-objdump WINDRES=x86_64-w64-mingw32-windres
for file in "${binaries64[@]}"; do check_binary "$file" 020b i386:x86-64; done

grep -qE '^LIBRARY Quellin\.dll$' "$pkg/Quellin.def" || problem "Quellin.def does not name Quellin.dll"
listed=$(sed -n '/^EXPORTS/,$p' "$pkg/Quellin.def" | sed -nE 's/^[[:space:]]+([A-Za-z]+)@([0-9]+)$/\1@\2/p')
[[ $(sed 's/@.*//' <<<"$listed" | LC_ALL=C sort) == "$declared" ]] ||
    problem "Quellin.def lists $(echo $listed), not each of $(echo $declared) with its argument size"

mingw=$(i686-w64-mingw32-nm "$pkg/libQuellin.a")
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

# The x86_64 libraries: every name undecorated, defined and imported as it is.
mingw=$(x86_64-w64-mingw32-nm "$pkg/x86_64/libQuellin.a")
msvc=$(llvm-readobj "$pkg/x86_64/Quellin.lib")
for name in $declared; do
    for symbol in "$name" "__imp_$name"; do
        grep -qE "^[0-9a-f]+ [TI] $symbol\$" <<<"$mingw" ||
            problem "x86_64/libQuellin.a does not define $symbol"
    done
    awk -v sym="$name" '/^File: / { dll = $2 } /^Name type: / { type = $3 }
        $1 == "Symbol:" && $2 == sym { print dll, type }' <<<"$msvc" | grep -qx 'Quellin.dll name' ||
        problem "x86_64/Quellin.lib does not import $name from Quellin.dll by that name"
done

((failures == 0)) || fail "$failures problem(s) in $zip"
echo "$top.zip: $(wc -l <<<"$found") files as listed; binaries PE32 i386 and, in x86_64/, PE32+ x86-64, stripped, version $version; exports and import libraries agree"
