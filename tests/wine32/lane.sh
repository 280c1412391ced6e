#!/usr/bin/env bash
# The wine32 lane: the shipped i686 files under 32-bit Wine, in one boot of the guest that
# tools/vm32/run.sh starts. Builds the example NSIS installer around the release set's
# Quellin.dll, hands the guest the release set, the i686 build's test programs, the installer
# and the test scripts (the guest does not see a source tree under /tmp or /root), and runs
# tests/wine32/guest.sh there. Each test's log, exit code and time come back into RESULTS
# (the ctest tests wine32.NAME report them); this script fails when the guest did not run them
# all.
#
#   lane.sh SOURCE_DIR WIN32_BUILD_DIR RELEASE_DIR RESULTS_DIR
set -euo pipefail
(($# == 4)) || { echo "usage: lane.sh SOURCE_DIR WIN32_BUILD_DIR RELEASE_DIR RESULTS_DIR" >&2; exit 2; }
src=$(realpath "$1") build=$(realpath "$2") release=$(realpath "$3") results=$(realpath -m "$4")
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$results"
mkdir -p "$results"
stage=$(mktemp -d "$(dirname "$results")/wine32-stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT

# The release set as shipped: PE32 files without debug information.
for file in launcher.exe Quellin.dll folderdump.exe; do
    [[ -f $release/$file ]] || fail "the release set has no $file (tools/build.sh makes it)"
    headers=$(i686-w64-mingw32-objdump -h -p "$release/$file")
    grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || fail "$release/$file is not PE32"
    ! grep -q '\.debug_' <<<"$headers" || fail "$release/$file carries debug information"
done
# The guest's root is this machine's, read-only: the locale of code page 932 must be here.
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' ||
    fail "no ja_JP.UTF-8 locale on this machine (tools/deps.sh makes it)"
command -v makensis >/dev/null || fail "no makensis (package nsis; tools/deps.sh installs it)"

mkdir -p "$stage/release" "$stage/win-i686/tests/wine" "$stage/win-i686/tools" \
    "$stage/source/tests/wine" "$stage/source/tests/wine32"
cp "$src"/tests/wine/*.sh "$stage/source/tests/wine/"
cp "$src"/tests/wine32/*.sh "$stage/source/tests/wine32/"
cp "$release/launcher.exe" "$release/Quellin.dll" "$release/folderdump.exe" "$stage/release/"
cp "$build/tests/wine/frame_check.exe" "$build/tests/wine/table_expect.exe" "$stage/win-i686/tests/wine/"
cp "$build/tools/Setup32.exe" "$build/tools/shfolder.dll" "$stage/win-i686/tools/"
makensis -V2 -DQUELLIN_DLL="$release/Quellin.dll" -DOUTFILE="$stage/quellin-folders.exe" \
    "$src/docs/examples/nsis/quellin-folders.nsi" || fail "makensis could not build the example installer"

start=$SECONDS
rc=0
bash "$src/tools/vm32/run.sh" --timeout 1200 --out "$results" \
    --in "$stage/release" --in "$stage/win-i686" --in "$stage/quellin-folders.exe" \
    --in "$stage/source" "$src/tests/wine32/guest.sh" || rc=$?
echo "lane: $((SECONDS - start)) s, boot to power-off" | tee -a "$results/times"
((rc == 0)) || fail "the guest did not run the lane (exit code $rc)"
