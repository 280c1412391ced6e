#!/usr/bin/env bash
# Wine helpers for the end-to-end tests and the main job. One prefix inside the build tree,
# created on first use and reused.
root=${QUELLIN_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine prefers its built-in shfolder.dll even when a program loads one by its full path; the
# installation source's own copy must win, as it does on Windows.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-shfolder=n,b}
export QUELLIN_WIN64_DIR=${QUELLIN_WIN64_DIR:-$root/build/win-x86_64}
WINE=/usr/lib/wine/wine64

wine_prefix() {
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        mkdir -p "$WINEPREFIX"
        "$WINE" wineboot --init >/dev/null 2>&1 || true
        wineserver_wait
    fi
}

wineserver_wait() { /usr/lib/wine/wineserver -w 2>/dev/null || true; }

# wine_run program args...: runs a Windows program, its output on stdout, its exit code kept.
wine_run() {
    wine_prefix
    "$WINE" "$@" 2> >(grep -v -e '^wine: ' -e 'fixme:' >&2)
}

# The Windows path of a Unix file (Wine maps / to drive Z:).
winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

# wine_version NAME: makes GetVersionExA report that platform (win95, win98, nt40, win2k,
# winxp, win7).
wine_version() {
    wine_run reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null
}

# The drive-C folder of the prefix, as a Unix path.
wine_drive_c() { printf '%s/drive_c' "$WINEPREFIX"; }
