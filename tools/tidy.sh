#!/usr/bin/env bash
# clang-tidy over the library and the launcher, with the checks named in .clang-tidy, using
# the host tree's compile commands (g++-only flags taken out for clang). Exits non-zero on any
# finding.
#
# A file found clean is noted in QUELLIN_TIDY_KEEP (default ~/.cache/quellin/tidy, outside the
# clone; empty: nothing noted) under a key of everything its verdict depends on: clang-tidy's
# version, .clang-tidy, the file's compile command (with this clone's folders named alike in
# every clone) and the name and contents of every file its compilation reads, as clang++ -M
# lists them. A later run, in any clone, checks only the files whose key is not noted: the
# checks took 32 s of two processors here, 3 s so. Findings are never noted.
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
keep=${QUELLIN_TIDY_KEEP-${XDG_CACHE_HOME:-$HOME/.cache}/quellin/tidy}
# "FILE KEY" for each file, its dependencies listed by processes run side by side.
keys=()
[[ -z $keep ]] || mkdir -p "$keep" 2>/dev/null || keep=
if [[ -n $keep ]]; then
    mapfile -t keys < <(python3 - "$root" "$host" "$db/compile_commands.json" $files <<'PYTHON'
import concurrent.futures, hashlib, json, os, shlex, subprocess, sys
root, host, database, files = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
commands = {entry["file"]: entry for entry in json.load(open(database))}
common = hashlib.sha256()
common.update(subprocess.run(["clang-tidy", "--version"], capture_output=True, check=True).stdout)
common.update(open(os.path.join(root, ".clang-tidy"), "rb").read())
def alike(text):
    return text.replace(host, "<host>").replace(root, "<root>")
def key(file):
    entry = commands[os.path.join(root, file)]
    arguments = shlex.split(entry["command"])
    if "-o" in arguments:
        at = arguments.index("-o")
        del arguments[at:at + 2]
    listing = subprocess.run(["clang++"] + arguments[1:] + ["-M", "-MF", "-"], cwd=entry["directory"],
                             capture_output=True, text=True)
    if listing.returncode != 0:
        return None
    digest = common.copy()
    digest.update(alike(" ".join(arguments[1:])).encode())
    for dependency in listing.stdout.replace("\\\n", " ").split(":", 1)[1].split():
        path = os.path.normpath(os.path.join(entry["directory"], dependency))
        digest.update(alike(path).encode() + b"\0" + hashlib.sha256(open(path, "rb").read()).digest())
    return digest.hexdigest()
with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
    for file, value in zip(files, pool.map(key, files)):
        if value:
            print(file, value)
PYTHON
    )
fi
declare -A key_of=()
for entry in "${keys[@]}"; do key_of[${entry%% *}]=${entry#* }; done
unchecked=() noted=0
for file in $files; do
    if [[ -n ${key_of[$file]:-} && -e $keep/${key_of[$file]} ]]; then
        noted=$((noted + 1))
    else
        unchecked+=("$file")
    fi
done
# Findings in the product's own headers, named from this clone's root: a bare "quellin/" would
# also take in the simulation's headers of a clone that lies in a folder named quellin.
root_pattern=$(sed 's/[][\\.^$*+?(){}|]/\\&/g' <<<"$root")
: >"$db/report.txt"
((${#unchecked[@]} == 0)) ||
    run-clang-tidy -quiet -p "$db" -j "$(nproc)" -header-filter="^$root_pattern/(quellin|launcher)/" \
        "${unchecked[@]}" >"$db/report.txt" 2>&1 || true
if grep -E '(warning|error): ' "$db/report.txt" | grep -v 'clang-diagnostic-unused-command-line' ; then
    echo "clang-tidy: findings above"
    exit 1
fi
for file in "${unchecked[@]}"; do
    [[ -z ${key_of[$file]:-} ]] || : >"$keep/${key_of[$file]}"
done
echo "clang-tidy: clean ($(wc -w <<<"$files") files: ${#unchecked[@]} checked, $noted found clean before with the same inputs)"
