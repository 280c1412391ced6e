#!/usr/bin/env bash
# The guest of tools/vm32/run.sh still boots and keeps its word, for the machines whose kernel
# does not run 32-bit programs and whose 32-bit lanes therefore run there: a script handed in
# reads a file passed with --in, one passed by reference with --ref and a variable passed with
# --env, runs the 32-bit loader
# (/usr/lib/wine/wine --version: no prefix needed), leaves a file in $VM32_OUT and exits 3;
# the runner must print what it printed, bring the file back into --out and exit 3 too.
#
#   vm32_boot.sh WORK_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
(($# == 1)) || usage "vm32_boot.sh WORK_DIR"
work=$(realpath -m "$1")
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
echo "handed in" >"$work/token"
mkdir -p "$work/kept"
echo "read in place" >"$work/kept/archive"
cat >"$work/job.sh" <<'JOB'
set -e
cat "$VM32_IN/token"
cat "$VM32_REF/kept/archive"
/usr/lib/wine/wine --version
echo "$VM32_BOOT_CHECK" >"$VM32_OUT/check"
exit 3
JOB

start=$SECONDS
rc=0
output=$(bash "$QUELLIN_SOURCE_DIR/tools/vm32/run.sh" --timeout 240 --out "$work/out" \
    --env VM32_BOOT_CHECK=brought-back --in "$work/token" --ref "$work/kept" "$work/job.sh") || rc=$?
echo "$output"
echo "guest: $((SECONDS - start)) s, boot to power-off, exit code $rc"
((rc == 3)) || fail "the runner exits $rc, not the script's 3"
grep -qx 'handed in' <<<"$output" || fail "the file passed with --in was not read in the guest"
grep -qx 'read in place' <<<"$output" || fail "the folder passed with --ref was not read in the guest"
grep -qx 'wine-[0-9].*' <<<"$output" ||
    fail "the 32-bit loader did not run in the guest"
[[ $(cat "$work/out/check" 2>/dev/null) == brought-back ]] ||
    fail "the file left in \$VM32_OUT, with the variable of --env, did not come back"
echo "the guest boots, runs the 32-bit loader and hands back output, files and exit code"
