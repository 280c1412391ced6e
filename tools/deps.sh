#!/usr/bin/env bash
# Installs what the builds and tests need, when it is missing. Sourced by build.sh and test.sh.
set -euo pipefail

quellin_need=()
quellin_want() { # command-or-file package
    if [[ "$1" == /* ]]; then [[ -e "$1" ]] || quellin_need+=("$2")
    else command -v "$1" >/dev/null 2>&1 || quellin_need+=("$2"); fi
}
quellin_want cmake cmake
quellin_want ninja ninja-build
quellin_want g++ g++
quellin_want clang++ clang
quellin_want run-clang-tidy clang-tidy
quellin_want /usr/include/gtest/gtest.h libgtest-dev
quellin_want i686-w64-mingw32-g++ g++-mingw-w64-i686
quellin_want x86_64-w64-mingw32-g++ g++-mingw-w64-x86-64
# The import library for Microsoft's linker, and the check that it links (lld-link).
quellin_want llvm-dlltool llvm
quellin_want lld-link lld
quellin_want /usr/lib/wine/wine64 wine64
quellin_want localedef locales
quellin_want python3 python3
# libFuzzer, for the fuzz targets.
compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
    quellin_need+=(libclang-rt-14-dev)

if ((${#quellin_need[@]})); then
    echo "installing: ${quellin_need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${quellin_need[@]}" >/dev/null
fi

# Wine's code page 932 for the double-byte tests.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 >/dev/null 2>&1 || true
fi
