#!/usr/bin/env bash
# The main job: builds everything, then shows the folder table that Quellin.dll resolves on
# this machine, under Wine, with the win64 build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
source "$root/tests/wine/wine.sh"
win64="$root/build/win-x86_64"
echo "== folder table (Quellin.dll under Wine, win64 build)"
wine_run "$win64/tools/folderdump.exe" "$(winepath_of "$win64/quellin/Quellin.dll")"
