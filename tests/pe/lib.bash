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
# Windows system DLLs only: no runtime DLLs of the compiler.
pe_expect_system_imports() {
    local dlls
    dlls=$(pe_dump "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    [[ -n "$dlls" ]] || fail "$1 imports nothing"
    local dll
    for dll in $dlls; do
        case "$dll" in
        kernel32.dll | user32.dll | advapi32.dll | shell32.dll | mpr.dll | msvcrt.dll) ;;
        *) fail "$1 imports $dll" ;;
        esac
    done
}
