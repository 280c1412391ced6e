#!/usr/bin/env bash
# Configures and builds the trees: build/host (g++ against winsim, sanitizers on),
# build/win-i686 (the shipped PE32 files), build/win-x86_64 (run under 64-bit Wine) and
# build/fuzz (clang, libFuzzer: the fuzz targets of tests/fuzz). Installs the release set, the
# stripped i686 launcher.exe, Quellin.dll and folderdump.exe, into build/release, and the
# x86_64 build's, stripped the same way, into build/release-x86_64 (the package's x86_64
# folder takes its Quellin.dll and folderdump.exe).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/deps.sh" build

build_tree() { # name cmake-args...
    local dir="$root/build/$1"; shift
    cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
    ninja -C "$dir" >/dev/null || ninja -C "$dir"
}

build_tree win-i686 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
rm -rf "$root/build/release"
cmake --install "$root/build/win-i686" --strip --prefix "$root/build/release" >/dev/null
build_tree win-x86_64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
rm -rf "$root/build/release-x86_64"
cmake --install "$root/build/win-x86_64" --strip --prefix "$root/build/release-x86_64" >/dev/null
CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$root/build/fuzz" -G Ninja >/dev/null
ninja -C "$root/build/fuzz" >/dev/null || ninja -C "$root/build/fuzz"
build_tree host -DCMAKE_BUILD_TYPE=Debug -DQUELLIN_FUZZ_DIR="$root/build/fuzz" \
    -DQUELLIN_WIN32_DIR="$root/build/win-i686" -DQUELLIN_WIN64_DIR="$root/build/win-x86_64" \
    -DQUELLIN_RELEASE_DIR="$root/build/release"
