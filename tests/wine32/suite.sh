#!/usr/bin/env bash
# The tests of the 32-bit lanes (QUELLIN_LANES: wine32, wow64 or both), here or inside the
# guest of tools/vm32/run.sh: per lane two prefixes of one making, each with a wineserver kept
# up, the whole-table and ANSI-names tests in the second and every other test in the first.
# Two lanes run side by side, each in a copy of IN of its own, with its results in OUT/LANE.
# The tests are the win64 lane's scripts, pointed at the i686 build's test programs and the
# release set, the comparisons of the NSIS installers and the Inno Setup installer with
# folderdump and, in the wow64 lane, the program-files folder of a user who may not write
# there. Each leaves NAME.log, NAME.rc and NAME.seconds in OUT/LANE, and the lane's own verdict
# (the prefix made, every test run) as lane.log and lane.rc; a test that does not end within
# its time is killed and fails (exit code 124). Exits 0 once every test of every lane has run.
#
#   suite.sh [IN [OUT]]     (IN and OUT default to $VM32_IN and $VM32_OUT, as in the guest)
#
# IN holds release/ (the release set), win-i686/ (the i686 build's test programs in its own
# layout), kit/ (Quellin.dll, Quellin.nsh and the examples, as the release package lays them
# out), installers/ (the example NSIS installer, ANSI and Unicode), innosetup/ (the Inno Setup
# compiler) and source/ (tests/prelude.sh and the scripts of tests/wine and tests/wine32). The
# wow64 lane runs Wine as the user that QUELLIN_LANE_USER names (not root, who passes every
# write test); its IN is handed to that user.
#
# Where QUELLIN_PREFIX_CACHE/LANE.tar.zst was handed in (in the guest by default
# $VM32_REF/prefixes/LANE.tar.zst; made by this recipe, make_prefix below, with this Wine;
# tests/wine32/lane.sh keeps it), a lane's prefix is unpacked from it once and both prefixes
# are laid over that with overlayfs; else they are made here, and the first is left packed as
# OUT/LANE/prefix.tar for the caller to compress and keep.
set -uo pipefail
in=$(realpath "${1:-${VM32_IN:?the input folder}}")
out=$(realpath "${2:-${VM32_OUT:?the results folder}}")
src=$in/source

seconds_since() { awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - start }'; }
# Both lanes: each runs this script as one lane, in its own copy of IN.
if [[ -z ${QUELLIN_LANE:-} ]]; then
    [[ -z ${VM32_IN:-} ]] ||
        echo "boot: $(cut -d' ' -f1 /proc/uptime) s from the guest kernel's start to the lanes" | tee -a "$out/times"
    # The processors' busy and idle time (/proc/stat's first line, in clock ticks), before and
    # after: whether the lanes leave a processor idle.
    cpu_ticks() { awk '$1 == "cpu" { print $2 + $3 + $4 + $7 + $8, $5 + $6 }' /proc/stat; }
    read -r busy_before idle_before < <(cpu_ticks)
    pids=() lanes=()
    for lane in ${QUELLIN_LANES:?wine32, wow64 or both}; do
        lane_in=$in
        if ((${#lanes[@]})); then
            lane_in=$in.$lane
            cp -a "$in" "$lane_in"
        fi
        mkdir -p "$out/$lane"
        QUELLIN_LANE=$lane bash "${BASH_SOURCE[0]}" "$lane_in" "$out/$lane" >"$out/$lane/lane.log" 2>&1 &
        pids+=($!) lanes+=("$lane")
    done
    for i in "${!pids[@]}"; do
        rc=0
        wait "${pids[$i]}" || rc=$?
        echo "$rc" >"$out/${lanes[$i]}/lane.rc"
        sed "s/^/${lanes[$i]}: /" "$out/${lanes[$i]}/lane.log"
    done
    read -r busy_after idle_after < <(cpu_ticks)
    awk -v b=$((busy_after - busy_before)) -v i=$((idle_after - idle_before)) -v n="$(nproc)" \
        'BEGIN { if (b + i > 0) printf "processors: %d, busy %.0f%% of the time the lanes ran\n", n, 100 * b / (b + i) }' |
        tee -a "$out/times"
    exit 0
fi
lane=$QUELLIN_LANE
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

# The prefix, made by a server that then stays up for every test; a 64-bit prefix is made by
# the 64-bit loader. Wine's null display driver: programs get the windows they make and never
# show (Setup of Inno Setup makes its wizard's window even when it runs silently), where
# without a display Wine refuses them. The desktop process that wineboot started has no
# driver, so the server starts again.
make_prefix() {
    local boot=$WINE rc
    [[ $WINEARCH != win64 ]] || boot=/usr/lib/wine/wine64
    as_lane_user "$boot" wineboot --init >"$out/prefix.log" 2>&1
    rc=$?
    if ((rc != 0)) || [[ ! -d $WINEPREFIX/drive_c/windows ]]; then
        echo "FAIL: $(basename "$boot") wineboot --init did not make the prefix (exit code $rc)" >&2
        cat "$out/prefix.log" >&2
        return 1
    fi
    as_lane_user "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$out/prefix.log" 2>&1
    as_lane_user "$WINESERVER" -k
    as_lane_user "$WINESERVER" -w
}

# Two prefixes of the same making, each with a server of its own kept up: the whole-table test,
# the longest, and the ANSI-names test run in the second beside the other tests in the first.
table_prefix=$WINEPREFIX.table
overlays=()
start=$(date +%s.%N)
as_lane_user mkdir -p "$WINEPREFIX" "$table_prefix"
cache=${QUELLIN_PREFIX_CACHE:-${VM32_REF:+$VM32_REF/prefixes}}
archive=${cache:+$cache/$lane.tar.zst}
if [[ -n $archive && -f $archive ]]; then
    # Unpacked once, and both prefixes laid over it with overlayfs: each writes only what it
    # changes, into a folder of its own. (Unpacking an uncompressed archive twice took 48 s in
    # the wine32 lane and 125 s in wow64. Laid over a folder read in place over 9p instead,
    # every test took several times as long: each lookup in the prefix went over 9p.) Unpacked
    # here, not as the lane's user, who may not read the share.
    kept=$in/prefix.kept
    mkdir -p "$kept"
    zstd -q -dc "$archive" | tar -C "$kept" -xpf - || fail "cannot unpack the prefix $archive"
    for prefix in "$WINEPREFIX" "$table_prefix"; do
        as_lane_user mkdir -p "$prefix.changes" "$prefix.work"
        mount -t overlay overlay -o "lowerdir=$kept,upperdir=$prefix.changes,workdir=$prefix.work" \
            "$prefix" || fail "cannot lay $prefix over the prefix kept"
        overlays+=("$prefix")
    done
    echo "prefixes: $(seconds_since "$start") s ($WINEARCH, unpacked once, both laid over it)" | tee -a "$out/times"
else
    as_lane_user "$WINESERVER" -p
    make_prefix || exit 1
    echo "prefix: $(seconds_since "$start") s ($WINEARCH, made by wineboot --init, null display driver)" |
        tee -a "$out/times"
    if [[ -n $cache ]]; then
        packed=$(date +%s.%N)
        tar -C "$WINEPREFIX" -cf "$out/prefix.tar" . ||
            fail "cannot pack the prefix into $out/prefix.tar"
        echo "prefix packed for the next run: $(seconds_since "$packed") s" | tee -a "$out/times"
    fi
    as_lane_user cp -a "$WINEPREFIX/." "$table_prefix/" || fail "cannot copy the prefix"
fi
for prefix in "$WINEPREFIX" "$table_prefix"; do
    WINEPREFIX=$prefix as_lane_user "$WINESERVER" -p
    # The tests take a prefix with a system.reg as made; a server kept up writes it only later.
    [[ -f $prefix/system.reg ]] || as_lane_user touch "$prefix/system.reg"
done

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
# The ANSI-names test after the whole-table test, in its prefix: the two halves then take about
# as long (in the guest 246 + 78 s against 346 s).
(
    export WINEPREFIX=$table_prefix
    run_test table "$src/tests/wine/table.test.sh"
    run_test ansi-names "$src/tests/wine/ansi_names.test.sh"
) &
table=$!
run_test frame "$src/tests/wine/frame.test.sh"
run_test launcher "$src/tests/wine/launcher.test.sh"
run_test nsis "$src/tests/wine32/nsis.sh"
run_test inno "$src/tests/wine32/inno.sh"
run_test explain "$src/tests/wine/explain.test.sh"
[[ $lane != wow64 ]] || run_test program-files "$src/tests/wine32/program_files.sh"
wait "$table"
for prefix in "$WINEPREFIX" "$table_prefix"; do
    WINEPREFIX=$prefix as_lane_user "$WINESERVER" -k 2>/dev/null || true
done
for prefix in "${overlays[@]}"; do
    umount -l "$prefix" 2>/dev/null || true
done
exit 0
