#!/usr/bin/env bash
# The 32-bit lanes: the shipped i686 files under 32-bit Wine, in a 32-bit prefix (wine32) or in
# a 64-bit one (wow64, as on 64-bit Windows). Lays out the installer authors' kit as the release
# package holds it (the release set's Quellin.dll, Quellin.nsh, the NSIS and Inno Setup
# examples), builds the example NSIS installer from it twice, ANSI and Unicode, stages the
# release set, the i686 build's test programs, the kit, the installers, the Inno Setup compiler
# (QUELLIN_INNOSETUP_DIR) and the test scripts, and runs tests/wine32/suite.sh on them for the
# lanes asked (one, or both side by side): here when this machine's kernel runs the 32-bit
# loader, else in one boot of the guest that tools/vm32/run.sh boots. QUELLIN_LANE_GUEST=1 takes
# the guest all the same. The wow64 lane runs Wine as a user of its own, not as root (made here
# with useradd, so that the guest's read-only root knows it too). Each test's log, exit code
# and time come back into RESULTS/LANE (the ctest tests LANE.NAME report them), with the lane's
# own verdict as lane.rc; this script fails when the lanes did not run, or, with one lane asked,
# when it did not run them all.
#
# In the guest, a lane's prefix takes minutes to make: the prefix made on the first run is kept
# in QUELLIN_PREFIX_KEEP (default ~/.cache/quellin/prefixes, outside the clone), keyed by the
# lane, the installed Wine packages' versions, the recipe (suite.sh's make_prefix) and the lane
# user, compressed, and later runs unpack it instead.
#
#   lane.sh wine32|wow64|wine32,wow64 WIN32_BUILD_DIR RELEASE_DIR RESULTS_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
(($# == 4)) && [[ $1 =~ ^(wine32|wow64)(,(wine32|wow64))?$ ]] ||
    usage "lane.sh wine32|wow64|wine32,wow64 WIN32_BUILD_DIR RELEASE_DIR RESULTS_DIR"
lanes=${1//,/ } build=$(realpath "$2") release=$(realpath "$3") results=$(realpath -m "$4")
src=$QUELLIN_SOURCE_DIR
user=quellin-lane

for lane in $lanes; do
    rm -rf "${results:?}/$lane"
done
mkdir -p "$results"
stage=$(mktemp -d "${TMPDIR:-/tmp}/quellin-${lanes// /-}.XXXXXX")
trap 'rm -rf "$stage"' EXIT

# The release set as shipped: PE32 files without debug information.
for file in launcher.exe Quellin.dll folderdump.exe; do
    [[ -f $release/$file ]] || fail "the release set has no $file (tools/build.sh makes it)"
    headers=$(i686-w64-mingw32-objdump -h -p "$release/$file")
    grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || fail "$release/$file is not PE32"
    ! grep -q '\.debug_' <<<"$headers" || fail "$release/$file carries debug information"
done
# The launcher and the library import no C runtime DLL, which Windows 95 does not promise: one
# that slips back fails the lane here. Running them cannot show it under Wine, whose own
# advapi32.dll and zlib1.dll (under user32.dll) import msvcrt.dll, so that it is loaded in
# every process, and with msvcrt disabled (WINEDLLOVERRIDES msvcrt=d) no program starts at all.
source "$src/tests/pe/lib.bash"
pe_expect_imports "$release/launcher.exe" "${PE_LAUNCHER_IMPORTS[@]}"
pe_expect_imports "$release/Quellin.dll" "${PE_QUELLIN_IMPORTS[@]}"
pe_expect_imports "$release/folderdump.exe" "${PE_FOLDERDUMP_IMPORTS[@]}"
# The guest's root is this machine's, read-only: the locale of code page 932 and the lane's
# user must be made here.
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' ||
    fail "no ja_JP.UTF-8 locale on this machine (tools/deps.sh test makes it)"
command -v makensis >/dev/null || fail "no makensis (package nsis; tools/deps.sh test installs it)"
[[ -f $QUELLIN_INNOSETUP_DIR/ISCC.exe ]] ||
    fail "no $QUELLIN_INNOSETUP_DIR/ISCC.exe (npm package innosetup; tools/deps.sh test installs it)"
environment=(--env "QUELLIN_LANES=$lanes")
if [[ " $lanes " == *" wow64 "* ]]; then
    id -u "$user" >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin "$user" ||
        fail "cannot add the lane's user $user"
    environment+=(--env "QUELLIN_LANE_USER=$user")
fi

mkdir -p "$stage/release" "$stage/win-i686/tests/wine" "$stage/win-i686/tools" \
    "$stage/source/tests/wine" "$stage/source/tests/wine32" "$stage/kit/examples" \
    "$stage/installers" "$stage/innosetup"
cp "$src/tests/prelude.sh" "$stage/source/tests/"
cp "$src"/tests/wine/*.sh "$stage/source/tests/wine/"
cp "$src"/tests/wine32/*.sh "$stage/source/tests/wine32/"
cp "$release/launcher.exe" "$release/Quellin.dll" "$release/folderdump.exe" "$stage/release/"
cp "$build/tests/wine/frame_check.exe" "$build/tests/wine/table_expect.exe" "$stage/win-i686/tests/wine/"
cp "$build/tools/Setup32.exe" "$build/tools/shfolder.dll" "$stage/win-i686/tools/"
cp "$release/Quellin.dll" "$src/quellin/Quellin.nsh" "$stage/kit/"
cp -R "$src/docs/examples/nsis" "$src/docs/examples/inno" "$stage/kit/examples/"
cp -R "$QUELLIN_INNOSETUP_DIR/." "$stage/innosetup/"
# As an author builds it from the package: the include and the library found by its defaults.
for build in ansi unicode; do
    unicode=true
    [[ $build == unicode ]] || unicode=false
    makensis -V2 -DINSTALLER_UNICODE=$unicode -DOUTFILE="$stage/installers/quellin-folders-$build.exe" \
        "$stage/kit/examples/nsis/quellin-folders.nsi" ||
        fail "makensis could not build the $build example installer"
done

start=$SECONDS
rc=0
if [[ -z ${QUELLIN_LANE_GUEST:-} ]] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    where="this machine"
    mkdir -p "$stage/out"
    # As in the guest: nothing of this environment but what the lane is given.
    assignments=()
    for assignment in "${environment[@]}"; do
        [[ $assignment == --env ]] || assignments+=("$assignment")
    done
    env -i HOME="$HOME" PATH="$PATH" TERM=dumb "${assignments[@]}" \
        bash "$stage/source/tests/wine32/suite.sh" "$stage" "$stage/out" || rc=$?
    cp -a "$stage/out/." "$results/"
else
    where="the guest of tools/vm32/run.sh, boot to power-off"
    inputs=()
    for input in release win-i686 kit installers innosetup source; do
        inputs+=(--in "$stage/$input")
    done
    # The prefixes kept: handed in by reference (read in place, not copied), named by lane.
    keep=${QUELLIN_PREFIX_KEEP:-${XDG_CACHE_HOME:-$HOME/.cache}/quellin/prefixes}
    mkdir -p "$keep" "$stage/prefixes"
    wine_packages=$(dpkg-query -W -f='${Package}:${Architecture} ${Version}\n' 'wine*' 'libwine*' 2>/dev/null |
        sort)
    recipe=$(sed -n '/^make_prefix() {/,/^}/p' "$src/tests/wine32/suite.sh")
    declare -A kept=()
    for lane in $lanes; do
        kept[$lane]=$keep/$lane-$(printf '%s\n' "$lane" "$wine_packages" "$recipe" "$(id -u "$user" 2>/dev/null)" |
            sha256sum | cut -c1-16).tar.zst
        [[ ! -f ${kept[$lane]} ]] || ln -f "${kept[$lane]}" "$stage/prefixes/$lane.tar.zst" 2>/dev/null ||
            cp "${kept[$lane]}" "$stage/prefixes/$lane.tar.zst"
    done
    environment+=(--ref "$stage/prefixes")
    # The whole-table test under the versions of each family that differ most (not win2k).
    environment+=(--env "QUELLIN_TABLE_VERSIONS=win98 nt40 winxp vista win7 win10")
    bash "$src/tools/vm32/run.sh" --timeout 2400 --out "$results" "${environment[@]}" \
        "${inputs[@]}" "$src/tests/wine32/suite.sh" || rc=$?
    for lane in $lanes; do
        if [[ -f $results/$lane/prefix.tar ]]; then
            # Compressed here, where it takes seconds; in the guest it took longer than writing
            # the archive whole over 9p. Reading it back compressed is the faster there.
            zstd -q -T0 --rm -o "${kept[$lane]}.new" "$results/$lane/prefix.tar" &&
                mv "${kept[$lane]}.new" "${kept[$lane]}"
            # The older prefixes of this lane: another Wine or recipe made them.
            find "$keep" -maxdepth 1 -name "$lane-*" ! -path "${kept[$lane]}" -delete
        fi
    done
fi
for lane in $lanes; do
    mkdir -p "$results/$lane"
    echo "lane $lane: $((SECONDS - start)) s on $where" | tee -a "$results/$lane/times"
done
((rc == 0)) || fail "the lanes $lanes did not run (exit code $rc)"
# One lane asked: its verdict is this script's. Both: each LANE.lane reports its own, so that one
# lane that did not run every test leaves the other's results standing.
for lane in $lanes; do
    [[ $(cat "$results/$lane/lane.rc" 2>/dev/null) == 0 ]] || problem "the $lane lane did not run every test"
done
((failures == 0)) || [[ $lanes == *" "* ]] || exit 1
