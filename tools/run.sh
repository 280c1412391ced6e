#!/usr/bin/env bash
# The main job: shows the folder table that Quellin.dll resolves on this machine, then lays
# out a sample installation source and runs the launcher there, under Wine. Where this
# machine's kernel runs the 32-bit Wine loader, these are the shipped files (the stripped i686
# build, build/release) in a 32-bit prefix; elsewhere (or where 32-bit Wine cannot be
# installed) the win64 build under 64-bit Wine, and the first line of the table says why.
# Installs only what that takes (tools/deps.sh main, and win64 without 32-bit Wine) and builds
# only that tree's shipped files and stand-ins.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/deps.sh" main
main_missing=("${quellin_deps_missing[@]}")
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    export QUELLIN_LANE=wine32
    tree=win-i686 toolchain=mingw-i686
    what="the shipped i686 Quellin.dll (build/release) under 32-bit Wine"
else
    why="this machine's kernel does not run 32-bit programs"
    [[ -x /usr/lib/wine/wine ]] || why="32-bit Wine could not be installed ($(quellin_listed "${main_missing[@]}"))"
    source "$root/tools/deps.sh" win64
    if ((${#quellin_deps_missing[@]})); then
        echo "run.sh: no Wine to run the table in: $(quellin_listed "${main_missing[@]}" "${quellin_deps_missing[@]}")" >&2
        exit 1
    fi
    export QUELLIN_LANE=win64
    tree=win-x86_64 toolchain=mingw-x86_64
    what="the win64 build's Quellin.dll under 64-bit Wine: $why"
fi
build="$root/build/$tree"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" >/dev/null
targets=(Quellin launcher folderdump setup32 shfolder)
ninja -C "$build" "${targets[@]}" >/dev/null || ninja -C "$build" "${targets[@]}"
if [[ $QUELLIN_LANE == wine32 ]]; then
    rm -rf "$root/build/release"
    cmake --install "$build" --strip --prefix "$root/build/release" >/dev/null
fi
source "$root/tests/prelude.sh"

echo "== folder table: $what"
wine_run "$QUELLIN_FOLDERDUMP" "$(winepath_of "$QUELLIN_DLL")"

# A sample installation source: the launcher and the stand-in setup program side by side, the
# "Setup" folder with the library and the stand-in shfolder.dll (forwarding to shell32).
sample="$root/build/sample-source"
rm -rf "$sample"
mkdir -p "$sample/Setup"
cp "$QUELLIN_LAUNCHER" "$QUELLIN_WIN_DIR/tools/Setup32.exe" "$sample/"
cp "$QUELLIN_DLL" "$QUELLIN_WIN_DIR/tools/shfolder.dll" "$sample/Setup/"

echo
echo "== launcher.exe in $(winepath_of "$sample")"
rc=0
(cd "$sample" && wine_run "$sample/launcher.exe") || rc=$?
# The stand-in started by the launcher has a console of its own, out of sight: it also writes
# what it prints to setup32.out.
echo "-- what the stand-in Setup32.exe printed:"
cat "$sample/setup32.out" 2>/dev/null | tr -d '\r' || echo "(nothing: Setup32.exe was not started)"
echo "-- launcher.exe exit code: $rc"
