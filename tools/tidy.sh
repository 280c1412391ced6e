#!/usr/bin/env bash
# clang-tidy over the library and the launcher, with the checks named in .clang-tidy, using
# the host tree's compile commands (g++-only flags taken out for clang). Exits non-zero on any
# finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
host=${1:-$root/build/host}
db="$host/tidy"
mkdir -p "$db"
sed -e 's/ -fno-gnu-unique//g' "$host/compile_commands.json" >"$db/compile_commands.json"
# The files the host tree compiles: the entry and runtime units of the shipped files
# (launcher/Startup.cpp, quellin/Runtime.cpp) are built for Windows only.
files=$(cd "$root" && for file in quellin/*.cpp quellin/*/*.cpp launcher/*.cpp; do
    ! grep -qF "\"file\": \"$root/$file\"" "$db/compile_commands.json" || echo "$file"
done)
cd "$root"
# Findings in the product's own headers, named from this clone's root: a bare "quellin/" would
# also take in the simulation's headers of a clone that lies in a folder named quellin.
root_pattern=$(sed 's/[][\\.^$*+?(){}|]/\\&/g' <<<"$root")
run-clang-tidy -quiet -p "$db" -j "$(nproc)" -header-filter="^$root_pattern/(quellin|launcher)/" $files \
    >"$db/report.txt" 2>&1 || true
if grep -E '(warning|error): ' "$db/report.txt" | grep -v 'clang-diagnostic-unused-command-line' ; then
    echo "clang-tidy: findings above"
    exit 1
fi
echo "clang-tidy: clean ($(wc -w <<<"$files") files)"
