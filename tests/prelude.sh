#!/usr/bin/env bash
# The prelude of every test script under tests/ (wine, wine32, package, pe, conformance) and
# of the main job, sourced the same way by each:
#
#     source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
#
# It gives the verdicts (fail, problem, need_files) and, for the scripts that run Windows
# programs, Wine and the files under test for the lane that QUELLIN_LANE names:
#
#   win64 (default)  64-bit Wine, /usr/lib/wine/wine64, with the win64 build's files
#   wine32           32-bit Wine, /usr/lib/wine/wine, in a 32-bit prefix (WINEARCH=win32),
#                    with the release set and the i686 build's test programs
#   wow64            the same 32-bit loader in a 64-bit prefix (WINEARCH=win64, made by
#                    /usr/lib/wine/wine64 wineboot): the shipped files as on 64-bit Windows
#
# Each default can be set from the environment: QUELLIN_WINE and QUELLIN_WINESERVER (the
# loader and the server), QUELLIN_WIN_DIR (the build tree whose test programs and stand-ins
# run), QUELLIN_RELEASE_DIR (when set, the shipped files come from there instead of the build
# tree), WINEPREFIX and WINEARCH, QUELLIN_WIN64_DIR and QUELLIN_WIN32_DIR (the two Windows
# builds, for the scripts that need both), QUELLIN_WINESERVER_KEPT (a server kept up for a
# whole batch of tests, not waited for), QUELLIN_INNOSETUP_DIR (the folder of the Inno Setup
# compiler, ISCC.exe, that tools/deps.sh test installs from the npm package innosetup).

# The source tree: the folder above this file.
QUELLIN_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export QUELLIN_SOURCE_DIR

# Verdicts: fail ends the test at once; problem counts a failure and lets the test go on to
# report the rest; need_files fails unless every file is there; usage ends a script called
# wrongly with exit code 2.
failures=0
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
problem() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
need_files() {
    local file
    for file in "$@"; do
        [[ -f $file ]] || fail "missing $file"
    done
}
usage() {
    echo "usage: $*" >&2
    exit 2
}

quellin_build=$QUELLIN_SOURCE_DIR/build
export QUELLIN_LANE=${QUELLIN_LANE:-win64}
export QUELLIN_WIN64_DIR=${QUELLIN_WIN64_DIR:-$quellin_build/win-x86_64}
export QUELLIN_WIN32_DIR=${QUELLIN_WIN32_DIR:-$quellin_build/win-i686}
case $QUELLIN_LANE in
win64)
    export QUELLIN_WINE=${QUELLIN_WINE:-/usr/lib/wine/wine64}
    export QUELLIN_WIN_DIR=${QUELLIN_WIN_DIR:-$QUELLIN_WIN64_DIR}
    export WINEPREFIX=${WINEPREFIX:-$quellin_build/wineprefix}
    ;;
wine32 | wow64)
    export QUELLIN_WINE=${QUELLIN_WINE:-/usr/lib/wine/wine}
    export QUELLIN_WIN_DIR=${QUELLIN_WIN_DIR:-$QUELLIN_WIN32_DIR}
    export QUELLIN_RELEASE_DIR=${QUELLIN_RELEASE_DIR:-$quellin_build/release}
    if [[ $QUELLIN_LANE == wine32 ]]; then
        export WINEARCH=${WINEARCH:-win32} WINEPREFIX=${WINEPREFIX:-$quellin_build/wineprefix32}
    else
        export WINEARCH=${WINEARCH:-win64} WINEPREFIX=${WINEPREFIX:-$quellin_build/wineprefix-wow64}
    fi
    ;;
*) fail "QUELLIN_LANE is '$QUELLIN_LANE', not win64, wine32 or wow64" ;;
esac
export QUELLIN_WINESERVER=${QUELLIN_WINESERVER:-/usr/lib/wine/wineserver}
export QUELLIN_INNOSETUP_DIR=${QUELLIN_INNOSETUP_DIR:-$quellin_build/innosetup/node_modules/innosetup/bin}
WINE=$QUELLIN_WINE
WINESERVER=$QUELLIN_WINESERVER
export WINEDEBUG=${WINEDEBUG:--all}
# Wine prefers its built-in shfolder.dll even when a program loads one by its full path; the
# installation source's own copy must win, as it does on Windows.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-shfolder=n,b}

# The shipped files: from a release set (launcher.exe, Quellin.dll and folderdump.exe side by
# side) when QUELLIN_RELEASE_DIR names one, else from the build tree under test.
if [[ -n ${QUELLIN_RELEASE_DIR:-} ]]; then
    QUELLIN_LAUNCHER=$QUELLIN_RELEASE_DIR/launcher.exe
    QUELLIN_DLL=$QUELLIN_RELEASE_DIR/Quellin.dll
    QUELLIN_FOLDERDUMP=$QUELLIN_RELEASE_DIR/folderdump.exe
else
    QUELLIN_LAUNCHER=$QUELLIN_WIN_DIR/launcher/launcher.exe
    QUELLIN_DLL=$QUELLIN_WIN_DIR/quellin/Quellin.dll
    QUELLIN_FOLDERDUMP=$QUELLIN_WIN_DIR/tools/folderdump.exe
fi

# The prefix, made on first use and reused. A 64-bit prefix is made by the 64-bit loader,
# also in the wow64 lane, whose programs then run with the 32-bit one.
wine_prefix() {
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        local boot=$WINE
        [[ ${WINEARCH:-} != win64 ]] || boot=/usr/lib/wine/wine64
        mkdir -p "$WINEPREFIX"
        "$boot" wineboot --init >/dev/null 2>&1 || true
        wineserver_wait
    fi
}

# Waits for the server to end. A server kept up for a whole batch of tests (wineserver -p,
# QUELLIN_WINESERVER_KEPT set) does not end: there is nothing to wait for.
wineserver_wait() {
    [[ -n ${QUELLIN_WINESERVER_KEPT:-} ]] || "$WINESERVER" -w 2>/dev/null || true
}

# wine_run program args...: runs a Windows program, its output on stdout, its exit code kept.
# Wine's own programs named bare (reg, winepath) are run by their path in the loader's system
# folder: Wine starts a bare name through start.exe and the shell, one process more, which
# took two to three times as long as the program itself in the guest of the 32-bit lanes. The
# 32-bit loader in a 64-bit prefix (the wow64 lane) takes SysWOW64's, whose reg sees the
# registry's 32-bit view, as the library does.
quellin_wine_programs='C:\windows\system32'
[[ $QUELLIN_LANE != wow64 ]] || quellin_wine_programs='C:\windows\syswow64'
wine_run() {
    local program=$1
    shift
    wine_prefix
    [[ $program == *[/\\:]* ]] || program="$quellin_wine_programs\\$program.exe"
    "$WINE" "$program" "$@" 2> >(grep -v -e '^wine: ' -e 'fixme:' >&2)
}

# python3: the interpreter that QUELLIN_PYTHON names, where the test tree set it (by its own
# path, tests/CMakeLists.txt), else the one in PATH.
python3() { if [[ -n ${QUELLIN_PYTHON:-} ]]; then "$QUELLIN_PYTHON" "$@"; else command python3 "$@"; fi; }

# The slot lines of a folderdump listing on stdin ("NN Name value"), without the attach record
# that opens it and the lines of flags or records below a slot.
slot_lines() { grep -E '^[ 0-9][0-9] [A-Za-z]' || true; }
# Those lines ("NN Name value": the slot in two columns, the name in 22) as "name<TAB>value"
# lines, carriage returns taken out; read by the shell itself, no process started.
slot_pairs() {
    local line name
    while IFS= read -r line; do
        line=${line%$'\r'}
        [[ $line =~ ^[\ 0-9][0-9]\ [A-Za-z] ]] || continue
        name=${line:3}
        printf '%s\t%s\n' "${name%% *}" "${line:26}"
    done
}

# folderdump_lines REPORT ansi|wide: the slots of a folderdump --json report as the
# "slot name value" lines an installer writes: each slot's ANSI value, or (wide) its wide
# value where that differs (a folder named by its short name).
folderdump_lines() {
    python3 - "$1" "$2" <<'PYTHON'
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
for slot in report["slots"]:
    value = slot.get("wideValue", slot["value"]) if sys.argv[2] == "wide" else slot["value"]
    print(slot["slot"], slot["name"], value)
PYTHON
}

# Checks of folderdump --json reports (DIR/NAME.json), gathered while a test runs and read at
# its end by one python3 (read_reports): in the guest of the 32-bit lanes each start of
# python3 took over a second.
#   expect NAME EXPRESSION WANTED   the Python expression over `report` (the report NAME) must
#                                   give the wanted text
#   show NAME EXPRESSION            its value, printed by read_reports, one line each, in order
#   read_reports DIR [PYTHON]       checks every expectation (a failure counts as a problem) and
#                                   prints every shown value; PYTHON, run first, defines more
#                                   names for the expressions
quellin_expectations=() quellin_shows=()
expect() { quellin_expectations+=("$1" "$2" "$3"); }
show() { quellin_shows+=("$1" "$2"); }
read_reports() {
    local rc=0
    python3 - "$1" "${2:-}" "${#quellin_expectations[@]}" "${quellin_expectations[@]}" \
        "${quellin_shows[@]}" <<'PYTHON' || rc=$?
import json, os, re, sys
folder, code, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
expectations, shows = sys.argv[4:4 + count], sys.argv[4 + count:]
names = {"re": re}
exec(code, names)
reports = {}
def value(name, expression):
    if name not in reports:
        reports[name] = json.load(open(os.path.join(folder, name + ".json"), encoding="utf-8"))
    try:
        return str(eval(expression, dict(names, report=reports[name])))
    except Exception as error:
        return "%s: %s" % (type(error).__name__, error)
problems = 0
for name, expression, wanted in zip(expectations[0::3], expectations[1::3], expectations[2::3]):
    got = value(name, expression)
    if got == wanted:
        continue
    problems += 1
    if "\n" in got + wanted:
        print("FAIL: %s: %s\nexpected:\n%s\ngot:\n%s" % (name, expression, wanted, got), file=sys.stderr)
    else:
        print("FAIL: %s: %s is '%s', not '%s'" % (name, expression, got, wanted), file=sys.stderr)
for name, expression in zip(shows[0::2], shows[1::2]):
    print(value(name, expression))
print("%d of %d expectations met, in %d reports" % (count // 3 - problems, count // 3, len(reports)),
      file=sys.stderr)
sys.exit(min(problems, 100))
PYTHON
    failures=$((failures + rc))
}

# text_lines FILE ENCODING: a text file an installer wrote (cp1252, utf-16 with its byte-order
# mark, utf-8-sig), in UTF-8, without carriage returns.
text_lines() {
    python3 -c 'import sys
sys.stdout.write(open(sys.argv[1], encoding=sys.argv[2], newline="").read().replace("\r", ""))' "$1" "$2"
}

# wine_reg_import KEY|NAME|TYPE|DATA...: every value given in one `reg import`, set to DATA as
# TYPE (REG_SZ, REG_EXPAND_SZ or REG_DWORD), or deleted where TYPE is empty. One process for
# many values: in the guest of the 32-bit lanes each start of reg took seconds.
wine_reg_import() {
    (($#)) || return 0
    local file entry key name kind data value current= rc=0
    local text=$'Windows Registry Editor Version 5.00\r\n'
    for entry; do
        IFS='|' read -r key name kind data <<<"$entry"
        case ${key%%\\*} in
        HKLM) key=HKEY_LOCAL_MACHINE${key#HKLM} ;;
        HKCU) key=HKEY_CURRENT_USER${key#HKCU} ;;
        HKU) key=HKEY_USERS${key#HKU} ;;
        HKCR) key=HKEY_CLASSES_ROOT${key#HKCR} ;;
        esac
        [[ $key == "$current" ]] || text+=$'\r\n'"[$key]"$'\r\n'
        current=$key
        case $kind in
        '') value=- ;;
        REG_SZ) reg_quoted value "$data" ;;
        REG_EXPAND_SZ) utf16_hex value "$data" && value="hex(2):$value" ;;
        REG_DWORD) printf -v value 'dword:%08x' "$data" ;;
        *) fail "wine_reg_import: no way to write a value of type $kind" ;;
        esac
        reg_quoted name "$name"
        text+="$name=$value"$'\r\n'
    done
    file=$(mktemp "${TMPDIR:-/tmp}/quellin-reg.XXXXXX")
    printf '%s\r\n' "$text" | iconv -f UTF-8 -t UTF-16 >"$file" || rc=$?
    ((rc != 0)) || wine_run reg import "$(winepath_of "$file")" >/dev/null || rc=$?
    rm -f "$file"
    return "$rc"
}
# reg_quoted VARIABLE TEXT: TEXT quoted as a .reg file quotes it, into VARIABLE.
reg_quoted() {
    local text=${2//\\/\\\\}
    printf -v "$1" '"%s"' "${text//\"/\\\"}"
}
# utf16_hex VARIABLE TEXT: the UTF-16LE bytes of TEXT and a terminating zero, as a .reg file's
# list of hex bytes, into VARIABLE.
utf16_hex() {
    local LC_ALL=C.UTF-8 text=$2 hex= code i
    for ((i = 0; i < ${#text}; i++)); do
        printf -v code '%d' "'${text:i:1}"
        if ((code > 0xFFFF)); then # a surrogate pair
            code=$((code - 0x10000))
            printf -v hex '%s%02x,%02x,' "$hex" $(((0xD800 + (code >> 10)) & 255)) $(((0xD800 + (code >> 10)) >> 8))
            code=$((0xDC00 + (code & 0x3FF)))
        fi
        printf -v hex '%s%02x,%02x,' "$hex" $((code & 255)) $((code >> 8))
    done
    printf -v "$1" '%s00,00' "$hex"
}

# wine_reg_value LISTING NAME: "TYPE|DATA" of the value NAME in LISTING, the output of a `reg
# query` of its key (carriage returns taken out); nothing where it is absent.
wine_reg_value() {
    awk -v name="$2" 'index($0, "    " name "    ") == 1 {
        rest = substr($0, length(name) + 9); type = rest; sub(/ .*/, "", type)
        data = substr(rest, length(type) + 1); sub(/^ +/, "", data); print type "|" data }' <<<"$1"
}

# wine_reg_change KEY NAME TYPE DATA [KEY NAME TYPE DATA]...: sets registry values for the
# rest of the test, in one import, first noting what each was (one query of each key, for the
# values not changed before); wine_reg_restore puts back every value so changed (or deletes
# it), in one import.
quellin_reg_undo=() # KEY|NAME|TYPE|DATA as first found (TYPE empty: the value was absent)
wine_reg_change() {
    local -a sets=() keys=() listings=()
    local entry noted was i
    while (($# >= 4)); do
        sets+=("$1|$2|$3|$4")
        noted=no
        for entry in "${quellin_reg_undo[@]}"; do
            [[ $entry != "$1|$2|"* ]] || noted=yes
        done
        if [[ $noted == no ]]; then
            for ((i = 0; i < ${#keys[@]}; i++)); do
                [[ ${keys[$i]} != "$1" ]] || break
            done
            if ((i == ${#keys[@]})); then
                keys+=("$1")
                listings+=("$({ wine_run reg query "$1" 2>/dev/null || true; } | tr -d '\r')")
            fi
            was=$(wine_reg_value "${listings[$i]}" "$2")
            quellin_reg_undo+=("$1|$2|${was:-|}")
        fi
        shift 4
    done
    (($# == 0)) || fail "wine_reg_change: KEY NAME TYPE DATA, four words a value"
    wine_reg_import "${sets[@]}"
}
wine_reg_restore() {
    wine_reg_import "${quellin_reg_undo[@]}" 2>/dev/null || true
    quellin_reg_undo=()
}

# The Windows path of a Unix file (Wine maps / to drive Z:).
winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

# wine_version NAME: makes GetVersionExA report that platform (win95, win98, nt40, win2k,
# winxp, vista, win7, win8, win81, win10).
wine_version() {
    wine_run reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null
}

# What GetVersionExA reports under each of those names, as "platform ID, version MAJOR.MINOR"
# (table_expect's platform line): win8 and later report 6.2 to a program without a manifest.
wine_version_seen() {
    case $1 in
    win95) echo "platform 1, version 4.0" ;;
    win98) echo "platform 1, version 4.10" ;;
    nt40) echo "platform 2, version 4.0" ;;
    win2k) echo "platform 2, version 5.0" ;;
    winxp) echo "platform 2, version 5.1" ;;
    vista) echo "platform 2, version 6.0" ;;
    win7) echo "platform 2, version 6.1" ;;
    win8 | win81 | win10) echo "platform 2, version 6.2" ;;
    *) return 1 ;;
    esac
}

# The drive-C folder of the prefix, as a Unix path.
wine_drive_c() { printf '%s/drive_c' "$WINEPREFIX"; }
