#!/usr/bin/env bash
# Builds everything and the release package (tools/package.sh) and runs every test: host tests
# under AddressSanitizer and UBSan, the checks of the PE32 files and of the package, and the
# end-to-end tests under Wine. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/deps.sh" test
"$root/tools/package.sh"
cd "$root/build/host"
ctest --output-on-failure -j "$(nproc)" "$@"
