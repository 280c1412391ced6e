#!/usr/bin/env bash
# Quellin.dll of the i686 build: PE32, exports the accessors undecorated (the A names at the
# same entry points, the W ones beside them), imports exactly the Windows system DLLs it calls:
# no C runtime DLL.
set -euo pipefail
dll="$1/quellin/Quellin.dll"
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
source "$QUELLIN_SOURCE_DIR/tests/pe/lib.bash"
pe_expect_magic "$dll" 010b
dump=$(pe_dump "$dll")
# Each export by its name; the A names are the undecorated functions' own entry points.
rva_of() { # name: the entry point's RVA
    local ordinal
    ordinal=$(sed -nE "s/^[[:space:]]*\[ *([0-9]+)\] $1\$/\1/p" <<<"$dump" | head -1)
    [[ -n $ordinal ]] || fail "$1 not exported by that name"
    sed -nE "s/^[[:space:]]*\[ *$ordinal\] \+base\[ *[0-9]+\] ([0-9a-f]+) Export RVA\$/\1/p" <<<"$dump"
}
for name in QuellinGetFolder QuellinFolderName QuellinFolderSource QuellinAttachRecord \
    QuellinRecordEntry; do
    [[ $(rva_of "$name") == "$(rva_of "${name}A")" ]] || fail "${name}A is not ${name}'s entry point"
    rva_of "${name}W" >/dev/null
done
pe_expect_imports "$dll" "${PE_QUELLIN_IMPORTS[@]}"
echo "Quellin.dll: PE32, exports and imports as expected"
