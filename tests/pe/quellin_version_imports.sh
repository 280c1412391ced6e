#!/usr/bin/env bash
# Quellin.dll of the i686 build does not import the version verification functions, which the
# Windows 95 family and early NT lack: it looks them up by name when it needs them.
set -euo pipefail
dll="$1/quellin/Quellin.dll"
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
source "$QUELLIN_SOURCE_DIR/tests/pe/lib.bash"
dump=$(pe_dump "$dll")
grep -qE '^[[:space:]]*DLL Name: KERNEL32' <<<"$dump" || fail "no import table read from $dll"
for name in VerSetConditionMask VerifyVersionInfoA VerifyVersionInfoW; do
    ! grep -qE "[[:space:]]$name\$" <<<"$dump" || fail "$dll imports $name"
done
echo "Quellin.dll: the version verification functions are not imported"
