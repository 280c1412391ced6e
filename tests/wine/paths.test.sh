#!/usr/bin/env bash
# The path utilities against Wine's registry and file system: the probe's values are set with
# `reg add` in the test's prefix, the probe runs in a sandbox on drive C:, and everything is
# removed again.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"

program="$QUELLIN_WIN_DIR/tests/wine/paths.exe"
need_files "$program"
key='Software\QuellinProbe'
sandbox="$(wine_drive_c)/qpaths"

wine_prefix
rm -rf "$sandbox"
wine_run reg delete "HKCU\\$key" /f >/dev/null 2>&1 || true
add() { wine_run reg add "HKCU\\$key" "$@" /f >/dev/null; }
add /v Fits /t REG_SZ /d "$(printf 'a%.0s' {1..254})"
add /v TooLong /t REG_SZ /d "$(printf 'b%.0s' {1..255})"
add /v Padded /t REG_SZ /d '  C:\Dir  '
add /ve /t REG_SZ /d default
add /v Number /t REG_DWORD /d 4407873
add /v Multi /t REG_MULTI_SZ /d 'first\0second'
add /v Expand /t REG_EXPAND_SZ /d '%SystemDrive%\x'
add /v Binary /t REG_BINARY /d 616263

status=0
wine_run "$program" 'C:\qpaths' "$key" || status=$?
wine_run reg delete "HKCU\\$key" /f >/dev/null 2>&1 || true
wineserver_wait
if [[ -e "$sandbox" ]]; then
    echo "left behind: $(find "$sandbox")"
    rm -rf "$sandbox"
    status=1
fi
exit $status
