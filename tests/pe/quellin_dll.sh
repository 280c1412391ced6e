#!/usr/bin/env bash
# Quellin.dll of the i686 build: PE32, exports the three accessors undecorated, imports only
# Windows system DLLs.
set -euo pipefail
dll="$1/quellin/Quellin.dll"
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
source "$QUELLIN_SOURCE_DIR/tests/pe/lib.bash"
pe_expect_magic "$dll" 010b
dump=$(pe_dump "$dll")
grep -qE '\] QuellinGetFolder$' <<<"$dump" || fail "QuellinGetFolder not exported by that name"
grep -qE '\] QuellinFolderName$' <<<"$dump" || fail "QuellinFolderName not exported by that name"
grep -qE '\] QuellinFolderSource$' <<<"$dump" || fail "QuellinFolderSource not exported by that name"
pe_expect_system_imports "$dll"
echo "Quellin.dll: PE32, exports and imports as expected"
