#!/usr/bin/env bash
# Attach time of Quellin.dll under Wine (win64 build) against a library that does nothing:
# attachtime.exe loads and frees each library COUNT times and reports the median; this prints
# both medians and their ratio. Run from anywhere after the win64 build:
#
#   bash bench/wine_ratio.sh [count]          (count defaults to 200)
#
# The libraries are loaded from an empty folder, so Quellin.dll finds no setup\shfolder.dll
# and resolves every folder through the shell, the registry and Windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/prelude.sh"
count=${1:-200}
win64=$QUELLIN_WIN64_DIR
for f in bench/attachtime.exe bench/nulldll.dll quellin/Quellin.dll; do
    [[ -f "$win64/$f" ]] || { echo "missing $win64/$f: build the win64 tree first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quellin-attach.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$win64/bench/attachtime.exe" "$win64/bench/nulldll.dll" "$win64/quellin/Quellin.dll" "$work/"

median() { # library.dll [held.dll ...]
    local library=$1; shift
    (cd "$work" && wine_run "$work/attachtime.exe" "$library" "$count" "$@") | tr -d '\r' |
        awk '{print $1}'
}
report() { # label quellin-us null-us
    awk -v label="$1" -v q="$2" -v n="$3" -v c="$count" 'BEGIN {
        printf "%s, median over %d: Quellin.dll %.1f us, nulldll.dll %.1f us, ratio %.1f\n",
               label, c, q, n, q / n
    }'
}
# Cold: each load of Quellin.dll also loads (and its free unloads) the system libraries it
# imports beyond the runtime's. Held: the process keeps those loaded, as a setup program does.
report "Wine, cold" "$(median Quellin.dll)" "$(median nulldll.dll)"
held=(shell32.dll user32.dll advapi32.dll mpr.dll)
report "Wine, imports held" "$(median Quellin.dll "${held[@]}")" "$(median nulldll.dll "${held[@]}")"
