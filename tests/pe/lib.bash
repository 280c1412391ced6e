#!/usr/bin/env bash
# Helpers for the checks of PE files, sourced after tests/prelude.sh (which gives fail).
OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}
pe_dump() { "$OBJDUMP" -p "$1"; }
pe_expect_magic() { # file magic (010b = PE32)
    [[ -f "$1" ]] || fail "$1 missing"
    local dump
    dump=$(pe_dump "$1")
    grep -qE "^Magic[[:space:]]+$2" <<<"$dump" || fail "$1 is not of magic $2"
}
# The DLLs the file imports are exactly the ones named (lower case), no more and no fewer: a
# runtime DLL of the compiler (msvcrt, libstdc++, libgcc) that slips in fails, and so does a
# file whose import table cannot be read.
pe_expect_imports() { # file dll...
    local file=$1 dlls expected
    shift
    dlls=$(pe_dump "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    expected=$(printf '%s\n' "$@" | sort -u)
    [[ $dlls == "$expected" ]] || fail "$file imports $(echo $dlls), not exactly $(echo $expected)"
}
# Each shipped file's imports.
PE_LAUNCHER_IMPORTS=(kernel32.dll user32.dll)
PE_QUELLIN_IMPORTS=(advapi32.dll kernel32.dll mpr.dll shell32.dll user32.dll)
PE_FOLDERDUMP_IMPORTS=(kernel32.dll msvcrt.dll)
