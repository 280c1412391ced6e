#!/usr/bin/env bash
# The integration guide's C examples, taken from the release package, and its slot table.
#
# - Built with MinGW for i686 against the package's Quellin.h and libQuellin.a (all warnings
#   as errors; no stdcall fixup, so only the exact decorated names resolve), and for x86_64
#   against the package's x86_64/libQuellin.a.
# - Built the Microsoft way, for i686 and x86_64: clang for i686-pc-windows-msvc and
#   x86_64-pc-windows-msvc (MinGW's headers standing in for the Windows SDK), linked by lld-link
#   against the package's Quellin.lib (x86_64/Quellin.lib) and against kernel32 and msvcrt
#   import libraries made from .def files, with no C runtime library.
# - Every program linked with an import library imports QuellinGetFolder and
#   QuellinFolderName of Quellin.dll by those names.
# - The x86_64 programs (MinGW and Microsoft) run under 64-bit Wine beside the package's
#   x86_64/Quellin.dll and x86_64/folderdump.exe; each prints one "slot name value" line per
#   slot, and each line must equal folderdump's. Where this machine has 32-bit Wine, the i686
#   programs (MinGW and Microsoft) run the same way beside the package's Quellin.dll and
#   folderdump.exe.
# - The guide's slot table lists, row by row, the number, constant and name of each slot as
#   Quellin.h's slot list expands and as QuellinFolderName answers (walked until it answers
#   null, by load_library.exe under Wine).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
here=$(cd "$(dirname "$0")" && pwd)
wine_prefix

zip=${QUELLIN_PACKAGE:?the package}
version=${QUELLIN_VERSION:?the project version}
win64=$QUELLIN_WIN64_DIR
[[ -f $zip ]] || fail "no package $zip: run tools/package.sh"
work="$win64/test-examples"
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
pkg="$work/quellin-$version-win32"
examples="$pkg/examples/c"
mkdir -p "$work/i686" "$work/x86_64" "$work/msvc" "$work/msvc64"

warnings=(-Wall -Wextra -Werror -std=c99 -pedantic)
i686-w64-mingw32-gcc "${warnings[@]}" -I"$pkg" "$examples/load_library.c" \
    -o "$work/i686/load_library.exe"
i686-w64-mingw32-gcc "${warnings[@]}" -I"$pkg" "$examples/import_library.c" -L"$pkg" -lQuellin \
    -Wl,--disable-stdcall-fixup -Wl,--fatal-warnings -o "$work/i686/import_library.exe"
x86_64-w64-mingw32-gcc "${warnings[@]}" -I"$pkg" "$examples/load_library.c" \
    -o "$work/x86_64/load_library.exe"
x86_64-w64-mingw32-gcc "${warnings[@]}" -I"$pkg" "$examples/import_library.c" \
    -L"$pkg/x86_64" -lQuellin -Wl,--fatal-warnings -o "$work/x86_64/import_library.exe"

# The Microsoft way: msvc_link FOLDER MACHINE TARGET ARCH-DEFINE KERNEL32-EXPORTS QUELLIN-LIB.
msvc_link() {
    local dir="$work/$1" machine=$2 target=$3
    printf 'LIBRARY kernel32.dll\nEXPORTS\n    %s\n    %s\n' $5 >"$dir/kernel32.def"
    printf 'LIBRARY msvcrt.dll\nEXPORTS\n    printf\n    malloc\n    free\n    memcpy\n' >"$dir/msvcrt.def"
    llvm-dlltool -m "$machine" -k -d "$dir/kernel32.def" -l "$dir/kernel32.lib"
    llvm-dlltool -m "$machine" -d "$dir/msvcrt.def" -l "$dir/msvcrt.lib"
    local compile=(clang --target="$target-pc-windows-msvc" -fgnuc-version=4.2.1 "-D$4"
        -D__USE_MINGW_ANSI_STDIO=0 -isystem "/usr/$target-w64-mingw32/include" -I"$pkg"
        -Wall -Wextra -Werror -O2 -c)
    "${compile[@]}" "$examples/import_library.c" -o "$dir/import_library.obj"
    "${compile[@]}" "$here/msvc_start.c" -o "$dir/start.obj"
    lld-link -nologo "-machine:${machine/i386:x86-64/x64}" -subsystem:console \
        -entry:QuellinExampleStart -nodefaultlib -out:"$dir/import_library.exe" \
        "$dir/import_library.obj" "$dir/start.obj" "$6" "$dir/kernel32.lib" "$dir/msvcrt.lib"
}
msvc_link msvc i386 i686 _X86_ "ExitProcess@4 GetLastError@0" "$pkg/Quellin.lib"
msvc_link msvc64 i386:x86-64 x86_64 _AMD64_ "ExitProcess GetLastError" "$pkg/x86_64/Quellin.lib"

for program in i686/import_library.exe msvc/import_library.exe x86_64/import_library.exe \
    msvc64/import_library.exe; do
    case $program in x86_64/* | msvc64/*) objdump=x86_64-w64-mingw32-objdump ;; *) objdump=i686-w64-mingw32-objdump ;; esac
    imported=$("$objdump" -p "$work/$program" | awk '/DLL Name: / { dll = $3 }
        dll == "Quellin.dll" && NF == 3 && $2 ~ /^[0-9]+$/ { print $3 }' | LC_ALL=C sort | xargs)
    [[ $imported == "QuellinFolderName QuellinGetFolder" ]] ||
        problem "$program imports '$imported' from Quellin.dll"
done

# run_and_compare folder program: the program's lines against folderdump's, both run in the
# folder beside its Quellin.dll. Leaves the program's output in $work/<folder>.out.
run_and_compare() {
    local dir="$work/$1" program=$2 out listing expected
    out=$( (cd "$dir" && "$WINE" "$dir/$program") | tr -d '\r') || {
        problem "$1/$program failed"
        return
    }
    listing=$( (cd "$dir" && "$WINE" "$dir/folderdump.exe") | tr -d '\r' | slot_lines) || {
        problem "$1/folderdump.exe failed"
        return
    }
    expected=$(awk '{ printf "%d %s %s\n", substr($0, 1, 2), $2, substr($0, 27) }' <<<"$listing")
    if [[ $out != "$expected" ]]; then
        problem "$1/$program and folderdump disagree:"
        diff <(echo "$expected") <(echo "$out") | grep '^[<>]' | sed 's/^/    /' >&2 || true
    fi
    printf '%s\n' "$out" >"$work/$1.$program.out"
}

for dir in x86_64 msvc64; do
    cp "$pkg/x86_64/Quellin.dll" "$pkg/x86_64/folderdump.exe" "$work/$dir/"
done
run_and_compare x86_64 load_library.exe
run_and_compare x86_64 import_library.exe
run_and_compare msvc64 import_library.exe
ran="x86_64 (MinGW and Microsoft-linked)"
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    for dir in i686 msvc; do
        cp "$pkg/Quellin.dll" "$pkg/folderdump.exe" "$work/$dir/"
    done
    run_and_compare i686 load_library.exe
    run_and_compare i686 import_library.exe
    run_and_compare msvc import_library.exe
    ran="x86_64 and i686, each MinGW and Microsoft-linked"
else
    echo "no 32-bit Wine on this machine: the i686 programs were built and checked, not run"
fi

# The guide's table: "number constant name" per row.
guide=$(sed -nE 's/^\| *([0-9]+) *\| *`(QUELLIN_[A-Z_]+)` *\| *`([A-Za-z]+)` *\|.*/\1 \2 \3/p' \
    "$pkg/integration.md")
listed=$(printf '#include "Quellin.h"\n#define ROW(number, constant, name) @ number constant name\nQUELLIN_SLOTS(ROW)\n' |
    x86_64-w64-mingw32-gcc -E -P -I"$pkg" -x c - | tr '@' '\n' | sed -nE 's/^ *([0-9]+) +([A-Z_]+) +([A-Za-z]+) *$/\1 \2 \3/p')
named=$(awk '{ print $1, $2 }' "$work/x86_64.load_library.exe.out")
[[ -n $guide ]] || fail "no slot table found in integration.md"
[[ $guide == "$listed" ]] ||
    problem "the guide's slot table and Quellin.h's slot list differ:"$'\n'"$(diff <(echo "$listed") <(echo "$guide") | grep '^[<>]')"
[[ $(awk '{ print $1, $3 }' <<<"$guide") == "$named" ]] ||
    problem "the guide's slot table and QuellinFolderName differ:"$'\n'"$(diff <(echo "$named") <(awk '{ print $1, $3 }' <<<"$guide") | grep '^[<>]')"

((failures == 0)) || fail "$failures problem(s)"
echo "examples built (MinGW and Microsoft-style, i686 and x86_64), run ($ran) and equal to folderdump; the guide's table matches $(wc -l <<<"$guide") slots"
