#!/usr/bin/env bash
# Every slot is a folder an installer can use, end to end (the lane's files, tests/prelude.sh),
# under Wine's winxp and win10 in code page 1252:
# - The documents, Desktop, Programs and Start Menu folders are named in Cyrillic, which code
#   page 1252 cannot write (the ANSI calls answer "C:\?????????"). With the stand-in
#   shfolder.dll (whose SHGetFolderPathW forwards to shell32's) and without any, each slot is a
#   path that exists, holds no "?", and names that folder: its short name, while the wide
#   accessor gives the true name. With the stand-in failing every call the documents folder is,
#   by design, "My Documents" on the Windows drive (the NT family's chain takes no other source
#   after a failing service).
# - Users whose names the ANSI code page writes only with a look-alike: C:\users\Łukasz in code
#   page 1252 ("Lukasz") and C:\users\Hélène in 932 ("Helene"). With the stand-in, without it
#   and with it failing, the documents, Desktop and temporary folders (and My Pictures, made in
#   the documents folder) name the user's own folders, by their short names, the wide values
#   their true names; no folder named with the look-alike exists afterwards.
# - A relative "CommonFilesDir" ("Common") and a relative "ProgramFilesDir" ("Programs") give
#   no relative slot: the DAO, ODBC and program-files slots are full paths.
# The registry values and the Wine version are put back at the end, also on failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
# Wine takes the Cyrillic names through a UTF-8 locale; the ANSI code page stays 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
wine_prefix

need_files "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$QUELLIN_WIN_DIR/tools/shfolder.dll"
work=$(mktemp -d "$QUELLIN_WIN_DIR/ansi-names.XXXXXX")
user='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
common='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
version='HKLM\Software\Microsoft\Windows\CurrentVersion'
documents="$(wine_drive_c)/Документы" desktop="$(wine_drive_c)/Рабочий стол" menu="$(wine_drive_c)/Меню"
cleanup() {
    wine_reg_restore
    rm -rf "$documents" "$desktop" "$menu" "$(wine_drive_c)/My Documents" "$work" \
        "$(wine_drive_c)/users/Łukasz" "$(wine_drive_c)/users/Hélène" \
        "$(wine_drive_c)/users/Lukasz" "$(wine_drive_c)/users/Helene"
}
trap cleanup EXIT

source_dir="$work/Install Source"
mkdir -p "$source_dir/setup" "$documents" "$desktop" "$menu/Программы"
cp "$QUELLIN_FOLDERDUMP" "$QUELLIN_DLL" "$source_dir/"
wine_reg_change "$user" Personal REG_EXPAND_SZ 'C:\Документы' \
    "$common" 'Common Desktop' REG_EXPAND_SZ 'C:\Рабочий стол' \
    "$common" 'Common Programs' REG_EXPAND_SZ 'C:\Меню\Программы' \
    "$common" 'Common Start Menu' REG_EXPAND_SZ 'C:\Меню'

# source_mode shfolder|none|failing: the source's setup folder with the stand-in shfolder.dll,
# without it, or with the stand-in failing every call.
source_mode() {
    rm -f "$source_dir/setup/shfolder.dll" "$source_dir/setup/shfolder.fail"
    export WINEDLLOVERRIDES=shfolder=n
    if [[ $1 != none ]]; then
        cp "$QUELLIN_WIN_DIR/tools/shfolder.dll" "$source_dir/setup/"
        [[ $1 == shfolder ]] || echo all >"$source_dir/setup/shfolder.fail"
        export WINEDLLOVERRIDES=shfolder=n,b
    fi
}
# report NAME [FACT WANTED]... -- SLOT:TRUE-NAME...: folderdump --json from the source into
# $work/NAME.json, read at the end (check_reports): each fact (a Python expression over
# `report`) must give the wanted text, and each slot must hold no "?", exist, and be that folder
# by its short name, while its wide value is the true name.
slots=()
report() {
    local name=$1 entry
    shift
    (cd "$source_dir" && wine_run "$source_dir/folderdump.exe" --json) | tr -d '\r' >"$work/$name.json"
    while [[ $1 != -- ]]; do
        expect "$name" "$1" "$2"
        shift 2
    done
    shift
    for entry in "$@"; do
        slots+=("$name:$entry")
        show "$name" "values(report['slots'][${entry%%:*}])"
    done
}
# check_reports: every fact and every slot of every report, with one python3 and one winepath
# for all of them; each failure counted as a problem.
check_reports() {
    local entry name slot want value wide unix i=0
    local -a values=() wides=() unixes=()
    read_reports "$work" 'def values(slot): return slot["value"] + "\t" + slot.get("wideValue", slot["value"])' \
        >"$work/values"
    while IFS=$'\t' read -r value wide; do
        values+=("$value") wides+=("$wide")
    done <"$work/values"
    mapfile -t unixes < <(wine_run winepath -u "${values[@]}" 2>/dev/null | tr -d '\r')
    for entry in "${slots[@]}"; do
        IFS=: read -r name slot want <<<"$entry"
        value=${values[$i]} wide=${wides[$i]} unix=${unixes[$i]:-}
        i=$((i + 1))
        if [[ $value == *'?'* || -z $value ]]; then
            problem "$name: slot $slot is '$value'"
            continue
        fi
        [[ -d $unix && $unix -ef $WINEPREFIX/drive_c/$want ]] ||
            problem "$name: slot $slot '$value' is not the folder C:\\$want ('$unix')"
        # (Wine's shell gives its wide answer with a trailing backslash.)
        [[ ${wide%\\} == "C:\\${want//\//\\}" ]] || problem "$name: slot $slot's wide value is '$wide', not C:\\$want"
    done
    echo "checked ${#slots[@]} slots"
}

code_page='report["attach"]["codePage"]'
for winver in winxp win10; do
    wine_reg_change 'HKCU\Software\Wine' Version REG_SZ "$winver"
    for mode in shfolder none failing; do
        source_mode "$mode"
        if [[ $mode == failing ]]; then
            report "$winver-$mode" "$code_page" 1252 'report["slots"][3]["value"]' 'C:\My Documents' -- \
                '4:Рабочий стол' '5:Меню/Программы' 8:Меню
        else
            report "$winver-$mode" "$code_page" 1252 -- \
                3:Документы '4:Рабочий стол' '5:Меню/Программы' 8:Меню
        fi
    done
done

# The user's own folders under a name the code page writes only with a look-alike.
for user_page in Łukasz:1252:C.UTF-8 Hélène:932:ja_JP.UTF-8; do
    IFS=: read -r person page locale <<<"$user_page"
    [[ $locale == C.UTF-8 ]] || locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' ||
        localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
    export LANG=$locale LC_ALL=$locale
    home="$(wine_drive_c)/users/$person"
    mkdir -p "$home/Documents" "$home/Desktop" "$home/Temp"
    wine_reg_change "$user" Personal REG_EXPAND_SZ "C:\\users\\$person\\Documents" \
        "$common" 'Common Desktop' REG_EXPAND_SZ "C:\\users\\$person\\Desktop" \
        'HKCU\Environment' TEMP REG_EXPAND_SZ "C:\\users\\$person\\Temp" \
        'HKCU\Environment' TMP REG_EXPAND_SZ "C:\\users\\$person\\Temp"
    look_alike=$(printf '%s' "$person" | iconv -f UTF-8 -t ASCII//TRANSLIT)
    for mode in shfolder none failing; do
        source_mode "$mode"
        slots_here=("4:users/$person/Desktop" "10:users/$person/Temp")
        case $mode in
        shfolder) slots_here+=("3:users/$person/Documents" "17:users/$person/Documents/My Pictures") ;;
        none) slots_here+=("3:users/$person/Documents") ;;
        esac
        # The desktop folder's record as data: the answer taken by its short name, with the
        # look-alike the code page would have written.
        report "$page-$mode" "$code_page" "$page" \
            'any("short-name" in (entry.get("qualities") or []) for entry in report["slots"][4]["record"])' True \
            -- "${slots_here[@]}"
        [[ ! -e "$(wine_drive_c)/users/$look_alike" ]] ||
            problem "$page-$mode: a folder C:\\users\\$look_alike was made"
    done
done
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# Relative values name no folder: the slots built on them come from the next sources.
export WINEDLLOVERRIDES=shfolder=n
rm -f "$source_dir/setup/shfolder.dll" "$source_dir/setup/shfolder.fail"
wine_reg_change "$version" CommonFilesDir REG_SZ Common "$version" ProgramFilesDir REG_SZ Programs
full_path='all(len(report["slots"][n]["value"]) > 3 and report["slots"][n]["value"][1:3] == ":\\" and
    any(a["text"].startswith("not a full path") for a in report["slots"][n]["record"]) for n in (1, 2, 13))'
report relative "$full_path" True --

check_reports
((failures == 0)) || fail "$failures problem(s)"
echo "documents, Desktop, Programs and Start Menu named in Cyrillic, and the folders of"
echo "C:\\users\\Łukasz and C:\\users\\Hélène, named by their short names; relative CommonFilesDir and"
echo "ProgramFilesDir: DAO, ODBC and program files are full paths"
