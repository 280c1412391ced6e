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
# The wine32 lane: a virtual machine (QEMU, the distribution's kernel, a static busybox for
# its initramfs) running 32-bit Wine, and makensis for the example installer.
quellin_want qemu-system-x86_64 qemu-system-x86
compgen -G "/lib/modules/*/kernel/fs/9p/9p.ko*" >/dev/null &&
    compgen -G "/boot/vmlinuz-*" >/dev/null || quellin_need+=(linux-image-amd64)
[[ $(dpkg-query -W -f='${db:Status-Status}' busybox-static 2>/dev/null) == installed ]] ||
    quellin_need+=(busybox-static)
quellin_want makensis nsis
if [[ ! -x /usr/lib/wine/wine ]]; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    quellin_need+=(wine32:i386)
fi
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
