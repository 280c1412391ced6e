#!/usr/bin/env bash
# Reports one test of the wine32 lane from the results that tests/wine32/lane.sh brought back:
# its log, and its exit code as this script's own.
#
#   result.sh RESULTS_DIR NAME
set -uo pipefail
results=$1 name=$2
if [[ ! -f $results/$name.rc ]]; then
    echo "FAIL: no result of $name: the guest did not run it (see the test wine32.lane)" >&2
    exit 1
fi
cat "$results/$name.log"
echo "-- $name: $(cat "$results/$name.seconds") s in the guest"
exit "$(cat "$results/$name.rc")"
