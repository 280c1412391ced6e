#!/usr/bin/env bash
# Builds everything and the release package (tools/package.sh) and runs every test: host tests
# under AddressSanitizer and UBSan, the checks of the PE32 files and of the package, and the
# end-to-end tests under Wine. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/deps.sh" test
# Every test or none: a lane whose packages are missing is never skipped in silence.
if ((${#quellin_deps_missing[@]})); then
    echo "test.sh: cannot run every test, these could not be installed: $(quellin_listed "${quellin_deps_missing[@]}")" >&2
    exit 1
fi
"$root/tools/package.sh"
cd "$root/build/host"
ctest --output-on-failure -j "$(nproc)" "$@"
