#!/usr/bin/env bash
# One run of a fuzz target, seeded from its committed corpus. New inputs the run finds go to
# WORKDIR/corpus (never into the committed seeds); a crashing input lands in WORKDIR/crashes.
#   run.sh FUZZER SEEDS WORKDIR [libFuzzer options...]
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3
shift 3
mkdir -p "$work/corpus" "$work/crashes"
exec "$fuzzer" -max_len=512 -timeout=10 -artifact_prefix="$work/crashes/" "$@" \
    "$work/corpus" "$seeds"
