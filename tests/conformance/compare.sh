#!/usr/bin/env bash
# Runs the conformance program on the simulated machine (the host build given as argument)
# and under Wine (the lane's build, tests/prelude.sh), in code pages 1252 and 932, and fails
# on any difference between the two outputs.
#
#   compare.sh HOST_PROGRAM
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
(($# == 1)) || usage "compare.sh HOST_PROGRAM"
host_program=$1
wine_prefix
# The Windows version Wine reports by default, whatever another test left set.
wine_run reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
wine_program="$QUELLIN_WIN_DIR/tests/conformance/conformance.exe"
scratch='C:\QuellinConformance'

work=$(mktemp -d "${TMPDIR:-/tmp}/conformance.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A folder left by an interrupted run would change the first results.
rm -rf "$(wine_drive_c)/QuellinConformance"
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8

status=0
for codepage in 1252 932; do
    args=("$scratch")
    locale=C.UTF-8
    if [[ $codepage == 932 ]]; then
        args+=(--codepage 932)
        locale=ja_JP.UTF-8
    fi
    "$host_program" "${args[@]}" >"$work/winsim-$codepage.txt"
    LANG=$locale LC_ALL=$locale wine_run "$wine_program" "${args[@]}" | tr -d '\r' \
        >"$work/wine-$codepage.txt"
    lines=$(wc -l <"$work/wine-$codepage.txt")
    if diff -u "$work/wine-$codepage.txt" "$work/winsim-$codepage.txt"; then
        echo "code page $codepage: winsim and Wine agree on $lines checks"
    else
        echo "code page $codepage: winsim differs from Wine (lines - Wine, + winsim)"
        status=1
    fi
done
exit $status
