#!/usr/bin/env bash
# launcher.exe of the i686 build: PE32, a GUI program, no resources, imports exactly kernel32
# and user32 (no C runtime DLL: Windows 95 does not promise one), and none of the wide
# functions that Windows 95 lacks: it looks them up by name when it needs them.
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
pe_expect_imports "$exe" "${PE_LAUNCHER_IMPORTS[@]}"
for name in GetCurrentDirectoryW GetShortPathNameW; do
    ! grep -qE "[[:space:]]$name\$" <<<"$dump" || fail "$exe imports $name"
done
echo "launcher.exe: PE32, GUI, no resources, imports ${PE_LAUNCHER_IMPORTS[*]}, not the wide functions"
