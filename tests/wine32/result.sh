#!/usr/bin/env bash
# Reports one test of a 32-bit lane from the results that tests/wine32/lane.sh brought back:
# its log, and its exit code as this script's own.
#
#   result.sh RESULTS_DIR NAME
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
(($# == 2)) || usage "result.sh RESULTS_DIR NAME"
results=$1 name=$2
[[ -f $results/$name.rc ]] ||
    fail "no result of $name: the lane did not run it (see the test LANE.lane, $results/times)"
cat "$results/$name.log"
echo "-- $name: $(cat "$results/$name.seconds") s in the lane"
exit "$(cat "$results/$name.rc")"
