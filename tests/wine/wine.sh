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
# The build tree under test, whose test programs and stand-ins the tests run: the win64 build
# unless told otherwise.
export QUELLIN_WIN_DIR=${QUELLIN_WIN_DIR:-$QUELLIN_WIN64_DIR}
# The shipped files: from a release set (launcher.exe, Quellin.dll and folderdump.exe side by
# side) when QUELLIN_RELEASE_DIR names one, else from the build tree under test.
if [[ -n ${QUELLIN_RELEASE_DIR:-} ]]; then
    QUELLIN_LAUNCHER=$QUELLIN_RELEASE_DIR/launcher.exe
    QUELLIN_DLL=$QUELLIN_RELEASE_DIR/Quellin.dll
    QUELLIN_FOLDERDUMP=$QUELLIN_RELEASE_DIR/folderdump.exe
else
    QUELLIN_LAUNCHER=$QUELLIN_WIN_DIR/launcher/launcher.exe
    QUELLIN_DLL=$QUELLIN_WIN_DIR/quellin/Quellin.dll
    QUELLIN_FOLDERDUMP=$QUELLIN_WIN_DIR/tools/folderdump.exe
fi
# Verdicts of the tests that source this: fail ends the test at once; problem counts a failure
# and lets the test go on to report the rest; need_files fails unless every file is there.
failures=0
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
problem() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
need_files() {
    local file
    for file in "$@"; do
        [[ -f $file ]] || fail "missing $file"
    done
}

# The Wine loader and server: 64-bit Wine unless told otherwise (the 32-bit lane runs
# /usr/lib/wine/wine with WINEARCH=win32).
WINE=${QUELLIN_WINE:-/usr/lib/wine/wine64}
WINESERVER=${QUELLIN_WINESERVER:-/usr/lib/wine/wineserver}

wine_prefix() {
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        mkdir -p "$WINEPREFIX"
        "$WINE" wineboot --init >/dev/null 2>&1 || true
        wineserver_wait
    fi
}

# Waits for the server to end. A server kept up for a whole batch of tests (wineserver -p,
# QUELLIN_WINESERVER_KEPT set) does not end: there is nothing to wait for.
wineserver_wait() {
    [[ -n ${QUELLIN_WINESERVER_KEPT:-} ]] || "$WINESERVER" -w 2>/dev/null || true
}

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
