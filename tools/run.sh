#!/usr/bin/env bash
# The main job: builds everything, shows the folder table that Quellin.dll resolves on this
# machine, then lays out a sample installation source and runs the launcher there, all under
# Wine with the win64 build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
source "$root/tests/wine/wine.sh"
win64="$root/build/win-x86_64"
# The source's own shfolder.dll, not Wine's built-in one of that name.
export WINEDLLOVERRIDES=shfolder=n,b

echo "== folder table (Quellin.dll under Wine, win64 build)"
wine_run "$win64/tools/folderdump.exe" "$(winepath_of "$win64/quellin/Quellin.dll")"

# A sample installation source: the launcher and the stand-in setup program side by side, the
# "Setup" folder with the library and the stand-in shfolder.dll (forwarding to shell32).
sample="$root/build/sample-source"
rm -rf "$sample"
mkdir -p "$sample/Setup"
cp "$win64/launcher/launcher.exe" "$win64/tools/Setup32.exe" "$sample/"
cp "$win64/quellin/Quellin.dll" "$win64/tools/shfolder.dll" "$sample/Setup/"

echo
echo "== launcher.exe in $(winepath_of "$sample")"
rc=0
(cd "$sample" && wine_run "$sample/launcher.exe") || rc=$?
# The stand-in started by the launcher has a console of its own, out of sight: it also writes
# what it prints to setup32.out.
echo "-- what the stand-in Setup32.exe printed:"
cat "$sample/setup32.out" 2>/dev/null | tr -d '\r' || echo "(nothing: Setup32.exe was not started)"
echo "-- launcher.exe exit code: $rc"
