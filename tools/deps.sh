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
#
# A package registry in flux is met this way:
#   - apt-get update is tried three times, with a pause; a list that still fails is a warning,
#     and the install goes on with the lists there are;
#   - where a Multi-Arch: same library must be on both architectures (wine32:i386 beside the
#     amd64 system, wine64 beside 32-bit Wine) and the two lists offer different versions, both
#     are installed at the newest version that both lists offer and that is not older than the
#     one installed, with the -dev packages that pin that library's version; what was chosen is
#     printed, and nothing installed is removed (apt-get --no-remove);
#   - a package that still cannot be installed is left out, and the others are installed. The
#     array quellin_deps_missing then holds a line for each, "package: why", for the caller:
#     the main job goes on with the win64 build, the test command stops with that line. Run
#     directly, deps.sh exits 1 when anything is missing.
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
        quellin_want /usr/share/i18n/locales/ja_JP locales
        quellin_want makensis nsis
        quellin_want npm npm
        quellin_want qemu-system-x86_64 qemu-system-x86
        # The guest's prefixes are kept compressed (tests/wine32/lane.sh).
        quellin_want zstd zstd
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

# apt-get update, three tries; the lists that still fail are named in a warning.
quellin_apt_update() {
    local try log failed
    log=$(mktemp)
    for try in 1 2 3; do
        if apt-get update -qq >/dev/null 2>"$log"; then
            rm -f "$log"
            return 0
        fi
        ((try == 3)) || sleep $((try * 10))
    done
    failed=$(sed -n 's/^E: Failed to fetch \([^ ]*\) *\(.*\)$/\1 (\2)/p' "$log" | tr '\n' ';')
    echo "deps.sh: warning: apt-get update failed three times${failed:+ for: ${failed%;}}; going on with the lists there are" >&2
    rm -f "$log"
}

# Where the packages to install need a Multi-Arch: same library on both architectures (in
# their closure on one, installed or in the closure on the other), both are pinned to the
# newest version that both architectures' lists offer and that is not older than an installed
# one: name:amd64=V name:i386=V in quellin_pins, with the installed packages that pin the
# library's old version exactly (libssl-dev and the like) at V too. Prints each version that
# changes. Returns 1 when a library has no such version (named on standard error).
quellin_align_twins() { # packages...
    local name arch version line chosen old dependent status=0 changed=0 kept=0
    local -A arches=() offered=() installed=() same=()
    # The closure, each name with the architectures it is wanted on (no qualifier: amd64).
    while read -r line; do
        [[ $line == *:* ]] || line+=:amd64
        arches[${line%%:*}]+=" ${line#*:}"
    done < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
        --no-breaks --no-replaces --no-enhances "$@" 2>/dev/null | grep -v '^ \|^<' | sort -u)
    # What is installed, on either architecture.
    while read -r name arch version; do
        [[ -n ${arches[$name]:-} ]] || continue
        installed[$name:$arch]=$version
        arches[$name]+=" $arch"
    done < <(dpkg-query -W -f='${db:Status-Status} ${Package} ${Architecture} ${Version}\n' 2>/dev/null |
        sed -n 's/^installed //p')
    local twins=()
    for name in "${!arches[@]}"; do
        [[ ${arches[$name]} == *amd64* && ${arches[$name]} == *i386* ]] && twins+=("$name")
    done
    ((${#twins[@]})) || return 0
    local depends
    depends=$(dpkg-query -W -f='${db:Status-Status} ${Package} ${Architecture} ${Depends}\n' 2>/dev/null)
    while read -r name; do same[$name]=1; done < <(apt-cache show --no-all-versions "${twins[@]}" 2>/dev/null |
        awk '/^Package: / { name = $2 } /^Multi-Arch: same$/ { print name }')
    # The versions each list offers (the installed one only where a list has it too).
    while read -r name version; do offered[$name]+=" $version "; done < <(
        for name in "${twins[@]}"; do [[ -n ${same[$name]:-} ]] && echo "$name:amd64 $name:i386"; done |
            xargs -r apt-cache policy 2>/dev/null | awk '
            /^[^ ].*:$/ { package = substr($0, 1, length($0) - 1); if (package !~ /:/) package = package ":amd64"; next }
            /^     [^ ]/ || /^ \*\*\* / { sub(/^ \*\*\* /, "     "); version = $1; next }
            /^        [0-9-]+ / && version != "" && $2 != "/var/lib/dpkg/status" { print package, version; version = "" }')
    for name in "${twins[@]}"; do
        [[ -n ${same[$name]:-} ]] || continue
        chosen=
        for version in ${offered[$name:amd64]:-}; do
            [[ ${offered[$name:i386]:-} == *" $version "* ]] || continue
            for arch in amd64 i386; do
                old=${installed[$name:$arch]:-}
                [[ -z $old ]] || dpkg --compare-versions "$version" ge "$old" || continue 2
            done
            if [[ -z $chosen ]] || dpkg --compare-versions "$version" gt "$chosen"; then chosen=$version; fi
        done
        if [[ -z $chosen ]]; then
            echo "deps.sh: $name: no version that both the amd64 and the i386 list offer, at the installed one or newer (amd64 ${installed[$name:amd64]:-none}, i386 ${installed[$name:i386]:-none})" >&2
            status=1
            continue
        fi
        for arch in amd64 i386; do
            quellin_pins+=("$name:$arch=$chosen")
            old=${installed[$name:$arch]:-}
            if [[ -z $old || $old == "$chosen" ]]; then
                kept=$((kept + 1))
                continue
            fi
            changed=$((changed + 1))
            echo "deps.sh: $name:$arch $old -> $chosen, the newest version that both architectures' lists offer"
            # The packages that pin the library's exact version move with it.
            for dependent in $(awk -v arch="$arch" -v pin="$name (= $old)" \
                '$1 == "installed" && $3 == arch && index($0, pin) { print $2 }' <<<"$depends"); do
                if apt-cache policy "$dependent:$arch" 2>/dev/null |
                    awk -v version="$chosen" '{ sub(/^ \*\*\*/, "") } $1 == version { found = 1 } END { exit !found }'; then
                    quellin_pins+=("$dependent:$arch=$chosen")
                    echo "deps.sh: $dependent:$arch -> $chosen with it (it pins $name's version)"
                fi
            done
        done
    done
    echo "deps.sh: Multi-Arch: same libraries held at one version on amd64 and i386: $((kept + changed)) packages, $changed of them upgraded"
    return $status
}

# Installs PACKAGES, as they are or else with their Multi-Arch: same twins aligned as above;
# removes nothing. On failure quellin_install_why holds apt's reason in one line.
quellin_install_why=
quellin_install() { # packages...
    local simulation
    quellin_pins=()
    if ! simulation=$(apt-get install -s --no-remove --no-install-recommends "$@" 2>&1); then
        quellin_align_twins "$@" || true
        simulation=$(apt-get install -s --no-remove --no-install-recommends "$@" "${quellin_pins[@]}" 2>&1) || {
            quellin_install_why=$(grep -E '^ [^ ].* : |^E: ' <<<"$simulation" | head -n 3 | sed 's/^ *//' | tr '\n' ' ')
            quellin_install_why=${quellin_install_why% }
            return 1
        }
    fi
    local log
    log=$(mktemp)
    if ! apt-get install -y -qq --no-remove --no-install-recommends "$@" "${quellin_pins[@]}" >"$log" 2>&1; then
        quellin_install_why="apt-get install failed: $(grep -E '^(E|dpkg): ' "$log" | head -n 2 | tr '\n' ' ')"
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
    # A package new to this machine that was named only to pin its version is not one the user
    # chose (apt names the native architecture's packages without it).
    local pin shown
    for pin in "${quellin_pins[@]}"; do
        shown=${pin%%=*}
        shown=${shown%:amd64}
        grep -qF "Inst $shown (" <<<"$simulation" && apt-mark auto "${pin%%=*}" >/dev/null 2>&1
    done
    return 0
}

# Lines such as those of quellin_deps_missing as one, "; " between them.
quellin_listed() { # lines...
    local text
    printf -v text '%s; ' "$@"
    printf '%s' "${text%; }"
}

(($#)) || { echo "usage: deps.sh main|win64|build|test..." >&2; return 2 2>/dev/null || exit 2; }
for quellin_asked in "$@"; do
    quellin_group "$quellin_asked"
done
quellin_deps_missing=()
if ((${#quellin_need[@]})); then
    echo "installing: ${quellin_need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    quellin_apt_update
    if ! quellin_install "${quellin_need[@]}"; then
        echo "deps.sh: not all at once ($quellin_install_why); one at a time" >&2
        # One at a time, so that one package that cannot be installed leaves out no other.
        for quellin_package in "${quellin_need[@]}"; do
            quellin_install "$quellin_package" ||
                quellin_deps_missing+=("$quellin_package: $quellin_install_why")
        done
    fi
    for quellin_line in "${quellin_deps_missing[@]}"; do
        echo "deps.sh: could not install $quellin_line" >&2
    done
fi
# Wine's code page 932 for the double-byte tests.
if [[ " $* " == *" test "* ]] && ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 >/dev/null 2>&1 ||
        quellin_deps_missing+=("the ja_JP.UTF-8 locale: localedef failed")
fi
# The Inno Setup compiler of the installer tests, from the npm registry.
if [[ " $* " == *" test "* ]] && command -v npm >/dev/null &&
    [[ $(cat "$quellin_innosetup_dir/node_modules/innosetup/package.json" 2>/dev/null) != *"\"version\": \"$quellin_innosetup_version\""* ]]; then
    echo "installing: innosetup@$quellin_innosetup_version (npm)"
    mkdir -p "$quellin_innosetup_dir"
    npm install --prefix "$quellin_innosetup_dir" --no-audit --no-fund --no-save --silent \
        "innosetup@$quellin_innosetup_version" >/dev/null ||
        quellin_deps_missing+=("innosetup@$quellin_innosetup_version (npm): npm install failed")
fi
# Run directly (not sourced), what could not be installed is the exit code.
if [[ ${BASH_SOURCE[0]} == "$0" ]] && ((${#quellin_deps_missing[@]})); then
    exit 1
fi
