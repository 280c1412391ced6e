#!/usr/bin/env bash
# The shell folders end to end (the lane's files). Quellin.dll is attached by folderdump from an
# installation source whose "setup" folder holds the stand-in shfolder.dll, under Wine's
# win98, nt40, winxp and win7. The Desktop, Programs, SendTo, Templates, Start Menu, Startup,
# Fonts and all-users Startup slots must equal what Wine's own shell answers for the folder
# identifiers chosen on that platform: the all-users folders on NT, the user's on Windows 98.
# So must they with the stand-in told to fail (the shell answers then) and with no
# shfolder.dll at all. My Pictures is made by the stand-in on Windows 98; on NT it is
# "My Pictures" in the documents folder, which exists afterwards.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"

dump="$QUELLIN_FOLDERDUMP"
library="$QUELLIN_DLL"
probe="$QUELLIN_WIN_DIR/tests/wine/shellpaths.exe"
standin="$QUELLIN_WIN_DIR/tools/shfolder.dll"
# Wine has a shfolder.dll of its own, which it would load in place of the one named by path.
export WINEDLLOVERRIDES="shfolder=n"
need_files "$dump" "$library" "$probe" "$standin"

work=$(mktemp -d "$QUELLIN_WIN_DIR/shell-folders.XXXXXX")
created_pictures=()
cleanup() {
    local dir
    for dir in "${created_pictures[@]}"; do
        rmdir "$dir" 2>/dev/null || true
    done
    wine_run reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

source_dir="$work/Install Source"
mkdir -p "$source_dir/setup"

# The folder identifiers asked here, by their SDK names.
CSIDL_PROGRAMS=2 CSIDL_STARTUP=7 CSIDL_SENDTO=9 CSIDL_STARTMENU=11 CSIDL_DESKTOPDIRECTORY=16
CSIDL_FONTS=20 CSIDL_TEMPLATES=21 CSIDL_COMMON_STARTMENU=22 CSIDL_COMMON_PROGRAMS=23
CSIDL_COMMON_STARTUP=24 CSIDL_COMMON_DESKTOPDIRECTORY=25 CSIDL_MYPICTURES=39

# folderdump's slots as "name<TAB>value" lines (its lines: slot in two columns, a blank, the
# name in 22 columns, a blank, the value). A run that fails ends the test with its exit code
# and everything Wine wrote, its own "wine: " lines included.
dump_slots() {
    local code=0
    wine_prefix
    (cd "$source_dir" && "$WINE" "$dump" "$(winepath_of "$library")") >"$work/out" 2>"$work/err" ||
        code=$?
    [[ $code == 0 ]] || fail "$1: folderdump exits with $code: $(tr -d '\r' <"$work/err")"
    slot_pairs <"$work/out"
}
slot_of() { awk -F'\t' -v s="$1" '$1 == s { print $2 }' <<<"$2"; }

# Wine's answers: "csidl<TAB>folderpath|location<TAB>path" lines, for identifiers given by name.
shell_answers() {
    local name ids=()
    for name in "$@"; do ids+=("${!name}"); done
    wine_run "$probe" "${ids[@]}" | tr -d '\r'
}
answer_of() { awk -F'\t' -v c="${!1}" -v k="$2" '$1 == c && $2 == k { print $3 }' <<<"$3"; }

# The Unix path of a Windows path of the prefix.
unix_path() {
    local path
    path=$(wine_run winepath -u "$1" 2>/dev/null) || fail "winepath -u '$1' fails"
    tr -d '\r' <<<"$path"
}

# expect_slots what slots answers kind SlotName:CSIDL_NAME...
expect_slots() {
    local what=$1 slots=$2 answers=$3 kind=$4
    shift 4
    local pair slot csidl got want
    for pair in "$@"; do
        slot=${pair%%:*}
        csidl=${pair##*:}
        got=$(slot_of "$slot" "$slots")
        want=$(answer_of "$csidl" "$kind" "$answers")
        [[ -n "$want" && "$want" != "-" ]] || fail "$what: Wine gives no $kind for $csidl"
        [[ "$got" == "$want" ]] || fail "$what: slot $slot is '$got', Wine's $kind of $csidl is '$want'"
    done
}

for version in win98 nt40 winxp win7; do
    wine_version "$version"
    if [[ $version == win98 ]]; then
        # The Windows 95 family: the user's folders, My Pictures through the create flag.
        chain=(DesktopFolder:CSIDL_DESKTOPDIRECTORY ProgramsFolder:CSIDL_PROGRAMS
            StartMenuFolder:CSIDL_STARTMENU)
    else
        chain=(DesktopFolder:CSIDL_COMMON_DESKTOPDIRECTORY ProgramsFolder:CSIDL_COMMON_PROGRAMS
            StartMenuFolder:CSIDL_COMMON_STARTMENU)
    fi
    chain+=(SendToFolder:CSIDL_SENDTO TemplatesFolder:CSIDL_TEMPLATES FontsFolder:CSIDL_FONTS
        StartupFolder:CSIDL_STARTUP CommonStartupFolder:CSIDL_COMMON_STARTUP)
    answers=$(shell_answers CSIDL_DESKTOPDIRECTORY CSIDL_COMMON_DESKTOPDIRECTORY CSIDL_PROGRAMS \
        CSIDL_COMMON_PROGRAMS CSIDL_STARTMENU CSIDL_COMMON_STARTMENU CSIDL_SENDTO CSIDL_TEMPLATES \
        CSIDL_FONTS CSIDL_STARTUP CSIDL_COMMON_STARTUP CSIDL_MYPICTURES)

    # shfolder.dll answers.
    cp "$standin" "$source_dir/setup/shfolder.dll"
    rm -f "$source_dir/setup/shfolder.fail"
    slots=$(dump_slots "$version, shfolder.dll")
    expect_slots "$version, shfolder.dll" "$slots" "$answers" folderpath "${chain[@]}"
    pictures=$(slot_of MyPicturesFolder "$slots")
    personal=$(slot_of PersonalFolder "$slots")
    if [[ $version == win98 ]]; then
        want=$(answer_of CSIDL_MYPICTURES folderpath "$answers")
        [[ "$pictures" == "$want" ]] || fail "$version: My Pictures is '$pictures', not '$want'"
    elif [[ -n "$personal" ]]; then
        want="${personal%\\}\\My Pictures"
        [[ "$pictures" == "$want" ]] || fail "$version: My Pictures is '$pictures', not '$want'"
    else
        # No documents folder, and no My Pictures folder: nothing is created.
        [[ -z "$pictures" ]] || fail "$version: My Pictures is '$pictures'"
        [[ ! -e "$source_dir/My Pictures" ]] || fail "$version: My Pictures made in the source"
    fi
    if [[ "$pictures" == ?:\\* ]]; then
        unix=$(unix_path "$pictures")
        [[ -d "$unix" ]] || fail "$version: My Pictures '$pictures' does not exist"
        [[ $version == win98 ]] || created_pictures+=("$unix")
    fi
    echo "$version with shfolder.dll: slots as Wine answers; My Pictures '$pictures'"

    # The stand-in fails for every identifier: the shell answers.
    echo all >"$source_dir/setup/shfolder.fail"
    slots=$(dump_slots "$version, failing shfolder.dll")
    expect_slots "$version, failing shfolder.dll" "$slots" "$answers" location "${chain[@]}"
    if [[ $version == win98 ]]; then
        # Nothing else is asked for My Pictures on Windows 98.
        [[ -z "$(slot_of MyPicturesFolder "$slots")" ]] ||
            fail "$version: My Pictures without an answer"
    else
        # The documents folder is then "My Documents" on the Windows drive's root, made by the
        # library, and My Pictures is made inside it.
        windows=$(slot_of WindowsFolder "$slots")
        want="${windows:0:2}\\My Documents\\My Pictures"
        [[ "$(slot_of MyPicturesFolder "$slots")" == "$want" ]] ||
            fail "$version: My Pictures is '$(slot_of MyPicturesFolder "$slots")', not '$want'"
        unix=$(unix_path "$want")
        [[ -d "$unix" ]] || fail "$version: My Pictures '$want' does not exist"
        created_pictures+=("$unix" "$(dirname "$unix")")
    fi
    echo "$version with failing shfolder.dll: slots from the shell"

    # No shfolder.dll: the shell answers, My Pictures included.
    rm -f "$source_dir/setup/shfolder.dll" "$source_dir/setup/shfolder.fail"
    slots=$(dump_slots "$version, no shfolder.dll")
    expect_slots "$version, no shfolder.dll" "$slots" "$answers" location "${chain[@]}" \
        MyPicturesFolder:CSIDL_MYPICTURES
    echo "$version without shfolder.dll: slots from the shell"
done
