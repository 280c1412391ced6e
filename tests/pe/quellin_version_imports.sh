#!/usr/bin/env bash
# Quellin.dll of the i686 build does not import the functions that the Windows 95 family and
# early NT lack (the version verification and WoW64 functions, the wide twins the library asks
# for names the ANSI code page cannot write): it looks them up by name when it needs them.
set -euo pipefail
dll="$1/quellin/Quellin.dll"
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
source "$QUELLIN_SOURCE_DIR/tests/pe/lib.bash"
dump=$(pe_dump "$dll")
grep -qE '^[[:space:]]*DLL Name: KERNEL32' <<<"$dump" || fail "no import table read from $dll"
for name in VerSetConditionMask VerifyVersionInfoA VerifyVersionInfoW IsWow64Process \
    GetShortPathNameW GetTempPathW GetWindowsDirectoryW GetSystemDirectoryW GetModuleFileNameW \
    ExpandEnvironmentStringsW RegQueryValueExW SHGetPathFromIDListW SHGetFolderPathW; do
    ! grep -qE "[[:space:]]$name\$" <<<"$dump" || fail "$dll imports $name"
done
echo "Quellin.dll: the functions Windows 95 lacks are not imported"
