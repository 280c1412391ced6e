#!/usr/bin/env bash
# Installs what a command needs, when it is missing, by groups:
#
#   source tools/deps.sh GROUP...     (or: bash tools/deps.sh GROUP...)
#
#   main      the main job's i686 build and 32-bit Wine: CMake, Ninja, MinGW-w64 for i686,
#             wine32:i386 (tools/run.sh)
#   win64     the x86_64 build and 64-bit Wine: MinGW-w64 for x86_64, wine64 (tools/run.sh
#             where 32-bit Wine does not run; every build)
#   build     every tree of tools/build.sh: main and win64, g++, GoogleTest, clang and
#             libFuzzer, and the LLVM tools that make and check Quellin.lib
#   test      build, and what the tests run: clang-tidy, Python, the ja_JP.UTF-8 locale
#             (code page 932), makensis for the example NSIS installer, Node and npm, the
#             Inno Setup compiler (the npm package innosetup, at the version pinned below,
#             in build/innosetup, where tests/prelude.sh looks for it), and the guest of
#             tools/vm32 (QEMU, the distribution's kernel, a static busybox)
set -euo pipefail

quellin_innosetup_version=6.4.1
quellin_innosetup_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/innosetup"

quellin_need=()
quellin_want() { # command-or-file package
    if [[ "$1" == /* ]]; then [[ -e "$1" ]] || quellin_need+=("$2")
    else command -v "$1" >/dev/null 2>&1 || quellin_need+=("$2"); fi
}
quellin_group() { # group
    case $1 in
    main)
        quellin_want cmake cmake
        quellin_want ninja ninja-build
        quellin_want i686-w64-mingw32-g++ g++-mingw-w64-i686
        if [[ ! -x /usr/lib/wine/wine ]]; then
            dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
            quellin_need+=(wine32:i386)
        fi
        ;;
    win64)
        quellin_want x86_64-w64-mingw32-g++ g++-mingw-w64-x86-64
        quellin_want /usr/lib/wine/wine64 wine64
        ;;
    build)
        quellin_group main
        quellin_group win64
        quellin_want g++ g++
        quellin_want /usr/include/gtest/gtest.h libgtest-dev
        quellin_want clang++ clang
        compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
            quellin_need+=(libclang-rt-14-dev)
        # The import library for Microsoft's linker, and the check that it links (lld-link).
        quellin_want llvm-dlltool llvm
        quellin_want lld-link lld
        ;;
    test)
        quellin_group build
        quellin_want run-clang-tidy clang-tidy
        quellin_want python3 python3
        quellin_want localedef locales
        quellin_want makensis nsis
        quellin_want npm npm
        quellin_want qemu-system-x86_64 qemu-system-x86
        compgen -G "/lib/modules/*/kernel/fs/9p/9p.ko*" >/dev/null &&
            compgen -G "/boot/vmlinuz-*" >/dev/null || quellin_need+=(linux-image-amd64)
        [[ $(dpkg-query -W -f='${db:Status-Status}' busybox-static 2>/dev/null) == installed ]] ||
            quellin_need+=(busybox-static)
        ;;
    *)
        echo "deps.sh: no group '$1' (main, win64, build, test)" >&2
        return 2
        ;;
    esac
}

(($#)) || { echo "usage: deps.sh main|win64|build|test..." >&2; return 2 2>/dev/null || exit 2; }
for quellin_asked in "$@"; do
    quellin_group "$quellin_asked"
done
if ((${#quellin_need[@]})); then
    echo "installing: ${quellin_need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${quellin_need[@]}" >/dev/null
fi
# Wine's code page 932 for the double-byte tests.
if [[ " $* " == *" test "* ]] && ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 >/dev/null 2>&1 || true
fi
# The Inno Setup compiler of the installer tests, from the npm registry.
if [[ " $* " == *" test "* ]] &&
    [[ $(cat "$quellin_innosetup_dir/node_modules/innosetup/package.json" 2>/dev/null) != *"\"version\": \"$quellin_innosetup_version\""* ]]; then
    echo "installing: innosetup@$quellin_innosetup_version (npm)"
    mkdir -p "$quellin_innosetup_dir"
    npm install --prefix "$quellin_innosetup_dir" --no-audit --no-fund --no-save --silent \
        "innosetup@$quellin_innosetup_version" >/dev/null
fi
