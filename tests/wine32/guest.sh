#!/usr/bin/env bash
# The wine32 lane inside the guest that tools/vm32/run.sh boots: one 32-bit prefix and one
# wineserver, kept up, for every test. The tests are the win64 lane's scripts, pointed at the
# i686 build's test programs and the release set, and the NSIS installer's comparison. Each
# leaves NAME.log, NAME.rc and NAME.seconds in $VM32_OUT; a test that does not end within its
# time is killed and fails (exit code 124). Exits 0 once every test has run.
#
# $VM32_IN holds release/ (the release set), win-i686/ (the i686 build's test programs in its
# own layout), quellin-folders.exe (the example installer) and source/ (the test scripts of
# tests/wine and tests/wine32).
set -uo pipefail
out=${VM32_OUT:?the results folder}
export QUELLIN_SOURCE_DIR=$VM32_IN/source
src=$QUELLIN_SOURCE_DIR

export WINEARCH=win32 WINEPREFIX=/root/wine32 WINEDEBUG=-all
export QUELLIN_WINE=/usr/lib/wine/wine QUELLIN_WINESERVER=/usr/lib/wine/wineserver
export QUELLIN_WINESERVER_KEPT=1
export QUELLIN_WIN_DIR=$VM32_IN/win-i686 QUELLIN_RELEASE_DIR=$VM32_IN/release
export QUELLIN_NSIS_INSTALLER=$VM32_IN/quellin-folders.exe
export QUELLIN_TABLE_VERSIONS="win98 nt40 winxp win7"
test_seconds=420

seconds_since() { awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - start }'; }
echo "boot: $(cut -d' ' -f1 /proc/uptime) s from the guest kernel's start to the lane" | tee "$out/times"

# The prefix, made by a server that then stays up for every test.
start=$(date +%s.%N)
mkdir -p "$WINEPREFIX"
"$QUELLIN_WINESERVER" -p
"$QUELLIN_WINE" wineboot --init >"$out/prefix.log" 2>&1
rc=$?
echo "prefix: $(seconds_since "$start") s (wineboot --init, exit code $rc)" | tee -a "$out/times"
if ((rc != 0)) || [[ ! -d $WINEPREFIX/drive_c/windows ]]; then
    echo "FAIL: wineboot --init did not make the prefix" >&2
    cat "$out/prefix.log" >&2
    exit 1
fi
# The tests take a prefix with a system.reg as made; a server kept up writes it only later.
[[ -f $WINEPREFIX/system.reg ]] || : >"$WINEPREFIX/system.reg"

run_test() { # name script
    local name=$1 script=$2 start rc
    start=$(date +%s.%N)
    timeout -k 10 "$test_seconds" bash "$script" >"$out/$name.log" 2>&1
    rc=$?
    ((rc != 124)) || echo "FAIL: not ended within $test_seconds s, killed" >>"$out/$name.log"
    echo "$rc" >"$out/$name.rc"
    seconds_since "$start" >"$out/$name.seconds"
    echo "$name: $(cat "$out/$name.seconds") s, exit code $rc" | tee -a "$out/times"
}
run_test frame "$src/tests/wine/frame.test.sh"
run_test launcher "$src/tests/wine/launcher.test.sh"
run_test table "$src/tests/wine/table.test.sh"
run_test nsis "$src/tests/wine32/nsis.sh"
"$QUELLIN_WINESERVER" -k 2>/dev/null || true
exit 0
