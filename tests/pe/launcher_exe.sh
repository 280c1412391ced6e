#!/usr/bin/env bash
# launcher.exe of the i686 build: PE32, a GUI program, no resources, imports only kernel32,
# user32 and the C runtime's msvcrt.dll, and none of the wide functions that Windows 95 lacks:
# it looks them up by name when it needs them.
set -euo pipefail
exe="$1/launcher/launcher.exe"
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
source "$QUELLIN_SOURCE_DIR/tests/pe/lib.bash"
pe_expect_magic "$exe" 010b
dump=$(pe_dump "$exe")
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump" || fail "$exe is not a GUI program"
# The resource directory entry is empty and there is no .rsrc section.
grep -qE '^Entry 2 0+ 0+ Resource Directory' <<<"$dump" || fail "$exe has a resource directory"
if "$OBJDUMP" -h "$exe" | grep -q '\.rsrc'; then fail "$exe has a resource section"; fi
pe_expect_system_imports "$exe"
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)
for dll in $dlls; do
    case "$dll" in
    kernel32.dll | user32.dll | msvcrt.dll) ;;
    *) fail "$exe imports $dll" ;;
    esac
done
grep -qE '^[[:space:]]*DLL Name: KERNEL32' <<<"$dump" || fail "no import table read from $exe"
for name in GetCurrentDirectoryW GetShortPathNameW; do
    ! grep -qE "[[:space:]]$name\$" <<<"$dump" || fail "$exe imports $name"
done
echo "launcher.exe: PE32, GUI, no resources, imports $(echo $dlls), not the wide functions"
