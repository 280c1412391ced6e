#!/usr/bin/env bash
# The tests of a 32-bit lane (QUELLIN_LANE wine32 or wow64), here or inside the guest of
# tools/vm32/run.sh: one prefix and one wineserver, kept up, for every test. The tests are the
# win64 lane's scripts, pointed at the i686 build's test programs and the release set, the
# comparisons of the NSIS installers and the Inno Setup installer with folderdump and, in the
# wow64 lane, the program-files folder of a user who may not write there. Each leaves NAME.log,
# NAME.rc and NAME.seconds in OUT; a test that does not end within its time is killed and fails
# (exit code 124). Exits 0 once every test has run.
#
#   suite.sh [IN [OUT]]     (IN and OUT default to $VM32_IN and $VM32_OUT, as in the guest)
#
# IN holds release/ (the release set), win-i686/ (the i686 build's test programs in its own
# layout), kit/ (Quellin.dll, Quellin.nsh and the examples, as the release package lays them
# out), installers/ (the example NSIS installer, ANSI and Unicode), innosetup/ (the Inno Setup
# compiler) and source/ (tests/prelude.sh and the scripts of tests/wine and tests/wine32). The
# wow64 lane runs Wine as the user that QUELLIN_LANE_USER names (not root, who passes every
# write test); IN is handed to that user.
set -uo pipefail
in=$(realpath "${1:-${VM32_IN:?the input folder}}")
out=$(realpath "${2:-${VM32_OUT:?the results folder}}")
src=$in/source
lane=${QUELLIN_LANE:?wine32 or wow64}
# The time of one test: the guest runs Wine several times slower than this machine.
test_seconds=300
[[ -z ${VM32_IN:-} ]] || test_seconds=900

export QUELLIN_WIN_DIR=$in/win-i686 QUELLIN_RELEASE_DIR=$in/release
export QUELLIN_KIT=$in/kit QUELLIN_NSIS_INSTALLERS=$in/installers QUELLIN_INNOSETUP_DIR=$in/innosetup
export WINEPREFIX=$in/prefix QUELLIN_WINESERVER_KEPT=1 WINEDEBUG=-all TMPDIR=$in/tmp
source "$src/tests/prelude.sh"
mkdir -p "$TMPDIR"

# as_lane_user command...: the command as the lane's user (wow64), else as is.
as_lane_user() { "$@"; }
if [[ $lane == wow64 && -n ${QUELLIN_LANE_USER:-} && $(id -u) == 0 ]]; then
    uid=$(id -u "$QUELLIN_LANE_USER") gid=$(id -g "$QUELLIN_LANE_USER") ||
        fail "no user $QUELLIN_LANE_USER"
    mkdir -p "$in/home"
    chown -R "$uid:$gid" "$in"
    as_lane_user() {
        setpriv --reuid="$uid" --regid="$gid" --clear-groups \
            env HOME="$in/home" USER="$QUELLIN_LANE_USER" LOGNAME="$QUELLIN_LANE_USER" "$@"
    }
fi

seconds_since() { awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - start }'; }
[[ -z ${VM32_IN:-} ]] ||
    echo "boot: $(cut -d' ' -f1 /proc/uptime) s from the guest kernel's start to the lane" | tee -a "$out/times"

# The prefix, made by a server that then stays up for every test; a 64-bit prefix is made by
# the 64-bit loader.
start=$(date +%s.%N)
boot=$WINE
[[ $WINEARCH != win64 ]] || boot=/usr/lib/wine/wine64
as_lane_user mkdir -p "$WINEPREFIX"
as_lane_user "$WINESERVER" -p
as_lane_user "$boot" wineboot --init >"$out/prefix.log" 2>&1
rc=$?
echo "prefix: $(seconds_since "$start") s ($WINEARCH, $(basename "$boot") wineboot --init, exit code $rc)" |
    tee -a "$out/times"
if ((rc != 0)) || [[ ! -d $WINEPREFIX/drive_c/windows ]]; then
    echo "FAIL: wineboot --init did not make the prefix" >&2
    cat "$out/prefix.log" >&2
    exit 1
fi
# Wine's null display driver: programs get the windows they make and never show (Setup of Inno
# Setup makes its wizard's window even when it runs silently), where without a display Wine
# refuses them. The desktop process that wineboot started has no driver, so the server starts
# again.
as_lane_user "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$out/prefix.log" 2>&1
as_lane_user "$WINESERVER" -k
as_lane_user "$WINESERVER" -w
as_lane_user "$WINESERVER" -p
echo "null display driver, server started again: $(seconds_since "$start") s" | tee -a "$out/times"
# The tests take a prefix with a system.reg as made; a server kept up writes it only later.
[[ -f $WINEPREFIX/system.reg ]] || as_lane_user touch "$WINEPREFIX/system.reg"

run_test() { # name script
    local name=$1 script=$2 start rc
    start=$(date +%s.%N)
    as_lane_user timeout -k 10 "$test_seconds" bash "$script" >"$out/$name.log" 2>&1
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
run_test inno "$src/tests/wine32/inno.sh"
run_test explain "$src/tests/wine/explain.test.sh"
run_test ansi-names "$src/tests/wine/ansi_names.test.sh"
[[ $lane != wow64 ]] || run_test program-files "$src/tests/wine32/program_files.sh"
as_lane_user "$WINESERVER" -k 2>/dev/null || true
exit 0
