#!/usr/bin/env bash
# The whole folder table end to end. Quellin.dll is attached and detached by folderdump from
# an installation source, under Wine's win98, nt40, win2k, winxp, vista, win7 and win10 (or
# the versions that QUELLIN_TABLE_VERSIONS lists), three times each: with the stand-in
# shfolder.dll in the source's "setup" folder, without it, and with the stand-in failing every
# call (a "shfolder.fail" beside it saying "all": the folder service is bound but never
# answers). Every one of the twenty slots must equal what table_expect.exe works out from
# Wine's own APIs and registry for the sources the chain picks on that platform (table_expect
# shares no code with the library), and table_expect must have seen the version asked for
# (Wine falls back to another for a name it does not know). "DLLPATH" lists three folders and
# an empty item; the second and the third folder hold IDAPI32.DLL, the second stands between
# blanks: the database-engine slot is the second, trimmed.
#
# Around every attach and detach the prefix's drive_c tree and the test's own folders (the
# installation source and the DLLPATH folders) are listed; apart from the documents and
# My Pictures folders that the library creates on purpose (removed again right after the run)
# the listings must be equal: no probe file or probe directory is left behind. Those folders
# must have been made where the library makes them on purpose: My Pictures with the folder
# service at hand, and, with the service failing, the documents folder outside Windows 98.
#
# What Wine cannot show:
# - Wine's shell knows every folder identifier asked for here, so the "Shell Folders"
#   registry source and the defaults built from earlier slots are never reached; the host
#   tests cover them.
# - No network: no DLLPATH entry or folder lies on a share, so share roots are not tried.
# - Wine links the user's Desktop, Documents, Pictures and Templates to the Unix home
#   folder, outside drive_c; no write test touches them, and the listings do not follow the
#   links. A My Pictures folder made there is removed after the run like any other.
# - The write tests' verdicts are not predicted: the folders they decide on (program files,
#   system, the DLLPATH folders) are checked to be writable first, so each must pass.
# The Wine version and every registry value added are put back at the end, also on failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
wine_prefix

dump="$QUELLIN_FOLDERDUMP"
library="$QUELLIN_DLL"
expect="$QUELLIN_WIN_DIR/tests/wine/table_expect.exe"
standin="$QUELLIN_WIN_DIR/tools/shfolder.dll"
need_files "$dump" "$library" "$expect" "$standin"

wineKey='HKCU\Software\Wine'
bdeKey='HKLM\Software\Borland\Database Engine'

# The value's data as `reg query` shows it; fails when the value is absent.
reg_value() {
    wine_run reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+    /, ""); print; found = 1 }
                          END { exit !found }'
}
had_version=no
saved_version=$(reg_value "$wineKey" Version) && had_version=yes
had_borland=no
wine_run reg query 'HKLM\Software\Borland' >/dev/null 2>&1 && had_borland=yes
had_dllpath=no
saved_dllpath=$(reg_value "$bdeKey" DLLPATH) && had_dllpath=yes

work="$QUELLIN_WIN_DIR/test-table"
made=() # folders the library made on purpose in the current run
cleanup() {
    local dir
    for dir in "${made[@]}"; do
        rmdir "$dir" 2>/dev/null || true
    done
    if [[ $had_version == yes ]]; then
        wine_run reg add "$wineKey" /v Version /d "$saved_version" /f >/dev/null 2>&1 || true
    else
        wine_run reg delete "$wineKey" /v Version /f >/dev/null 2>&1 || true
    fi
    if [[ $had_borland == no ]]; then
        wine_run reg delete 'HKLM\Software\Borland' /f >/dev/null 2>&1 || true
    elif [[ $had_dllpath == yes ]]; then
        wine_run reg add "$bdeKey" /v DLLPATH /d "$saved_dllpath" /f >/dev/null 2>&1 || true
    else
        wine_run reg delete "$bdeKey" /v DLLPATH /f >/dev/null 2>&1 || true
    fi
    wineserver_wait
    rm -rf "$work"
}
trap cleanup EXIT

# The installation source holds folderdump, the library and table_expect side by side, so
# that the module folder is the same for the library and for the expectation.
rm -rf "$work"
source_dir="$work/Install Source"
mkdir -p "$source_dir/setup" "$work/bde/first" "$work/bde/second" "$work/bde/third"
cp "$dump" "$library" "$expect" "$source_dir/"
: >"$work/bde/second/IDAPI32.DLL"
: >"$work/bde/third/IDAPI32.DLL"
bde_second=$(winepath_of "$work/bde/second")
dllpath="$(winepath_of "$work/bde/first"); $bde_second ;$(winepath_of "$work/bde/third");"
wine_run reg add "$bdeKey" /v DLLPATH /d "$dllpath" /f >/dev/null

drive_c=$(realpath "$(wine_drive_c)")
# The Unix path of a Windows drive path, through the prefix's drive links, without resolving
# links inside the drive (the listings do not follow them either). Each drive's link is
# resolved once: in the guest of the 32-bit lanes every process start counts.
declare -A drive_of=()
unix_of() {
    local path=$1 letter
    [[ $path == [A-Za-z]:* ]] || return 1
    letter=${path:0:1}
    letter=${letter,,}
    [[ -n ${drive_of[$letter]:-} ]] || drive_of[$letter]=$(realpath "$WINEPREFIX/dosdevices/$letter:")
    path=${path:2}
    path=${path//\\//}
    printf '%s%s' "${drive_of[$letter]}" "${path%/}"
}
# Every path under drive_c and under the test's folders, links listed but not followed.
listing() { find "$drive_c" "$work" -print 2>/dev/null | LC_ALL=C sort; }

# parse_slots VALUES NAMES TEXT: the "name<TAB>value" lines of TEXT into the associative array
# VALUES, the names in their order into the array NAMES; read by the shell itself, no process.
parse_slots() {
    local -n values=$1 names=$2
    local name value
    values=() names=()
    while IFS=$'\t' read -r name value; do
        [[ -n $name ]] || continue
        values[$name]=$value
        names+=("$name")
    done <<<"$3"
}
# folderdump's slots as "name<TAB>value" lines; table_expect prints that form, one line per
# slot of Quellin.h's list.
table() {
    local output rc=0
    output=$(cd "$source_dir" && wine_run "$source_dir/folderdump.exe") || rc=$?
    slot_pairs <<<"$output"
    return "$rc"
}
# block MODE: the lines of table_expect's block headed "mode<TAB>MODE", read by the shell
# itself: in the guest of the 32-bit lanes every process start counts.
block() {
    local line on=no
    while IFS= read -r line; do
        if [[ $line == "mode"$'\t'* ]]; then
            on=no
            [[ $line != "mode"$'\t'"$1" ]] || on=yes
        elif [[ $on == yes ]]; then
            printf '%s\n' "$line"
        fi
    done <<<"$expected"
}

# run_case version mode: one attach and detach, compared and checked for leftovers.
run_case() {
    local version=$1 mode=$2 what platform slots slot path dir before after
    local -A want=() got=()
    local -a want_names=() got_names=() slot_names=()
    case $mode in
    shfolder) what="$version, with shfolder.dll" ;;
    none) what="$version, without shfolder.dll" ;;
    failing) what="$version, with a failing shfolder.dll" ;;
    esac
    rm -f "$source_dir/setup/shfolder.dll" "$source_dir/setup/shfolder.fail"
    if [[ $mode != none ]]; then
        cp "$standin" "$source_dir/setup/shfolder.dll"
        [[ $mode == shfolder ]] || echo all >"$source_dir/setup/shfolder.fail"
        # Wine's own shfolder.dll would take the place of the stand-in...
        export WINEDLLOVERRIDES=shfolder=n,b
    else
        # ...and, without it, nothing but a native file could be bound.
        export WINEDLLOVERRIDES=shfolder=n
    fi

    parse_slots want want_names "$(block "$mode")"
    platform=${want[platform]:-}
    for slot in "${want_names[@]}"; do
        [[ $slot == platform ]] || slot_names+=("$slot")
    done
    [[ $platform == "$(wine_version_seen "$version"), "* ]] ||
        fail "$what: asked for $(wine_version_seen "$version"), the programs saw $platform"
    [[ ${want[BdeFolder]:-} == "$bde_second" ]] ||
        fail "$what: the expectation does not take DLLPATH's second folder"
    for slot in ProgramFilesFolder SystemFolder; do
        path=$(unix_of "${want[$slot]:-}") && [[ -d $path && -w $path ]] ||
            fail "$what: the folder of slot $slot is not writable, the write test would decide"
    done

    # The documents and My Pictures folders (and any missing parents) that the attach may make.
    made=()
    for slot in PersonalFolder MyPicturesFolder; do
        path=$(unix_of "${want[$slot]:-}") || continue
        while [[ -n $path && ! -e $path ]]; do
            made+=("$path")
            path=${path%/*}
        done
    done

    before=$(listing)
    slots=$(table) || problem "$what: folderdump failed"
    parse_slots got got_names "$slots"
    if [[ $mode == shfolder ]]; then
        # Made on purpose: My Pictures through the folder service's create flag on Windows 98,
        # as "My Pictures" in the documents folder elsewhere.
        path=$(unix_of "${want[MyPicturesFolder]:-}")
        [[ -d $path ]] || problem "$what: My Pictures '${want[MyPicturesFolder]:-}' was not made"
    elif [[ $mode == failing ]]; then
        # Made on purpose when the service fails: outside Windows 98 the documents folder on
        # the Windows drive's root, and My Pictures in it; on Windows 98 nothing (the shell's
        # documents folder, no My Pictures).
        for slot in PersonalFolder MyPicturesFolder; do
            path=$(unix_of "${want[$slot]:-}") || continue
            [[ -d $path ]] || problem "$what: slot $slot '${want[$slot]}' was not made"
        done
    fi
    for dir in "${made[@]}"; do
        rmdir "$dir" 2>/dev/null || true
    done
    made=()
    after=$(listing)
    if [[ "$before" != "$after" ]]; then
        problem "$what: the attach left the disk changed:"
        diff <(echo "$before") <(echo "$after") | grep '^[<>]' | sed 's/^/    /' >&2 || true
    fi

    # Every slot of the list, and no other.
    [[ "${got_names[*]}" == "${slot_names[*]}" ]] ||
        problem "$what: folderdump's slots are not those of the slot list: ${got_names[*]}"
    for slot in "${slot_names[@]}"; do
        if [[ ! -v "got[$slot]" ]]; then
            problem "$what: folderdump printed no slot $slot"
        elif [[ ${got[$slot]} != "${want[$slot]}" ]]; then
            problem "$what: slot $slot is '${got[$slot]}', Wine's sources give '${want[$slot]}'"
        fi
    done
    echo "$what ($platform): table compared, disk listed"
}

for version in ${QUELLIN_TABLE_VERSIONS:-win98 nt40 win2k winxp vista win7 win10}; do
    wine_version "$version"
    # The three modes' expectations from one run, before the first attach of this version.
    expected=$( (cd "$source_dir" && wine_run "$source_dir/table_expect.exe" shfolder none failing) |
        tr -d '\r') || fail "$version: Wine does not give every source the table needs"
    for mode in shfolder none failing; do
        run_case "$version" "$mode"
    done
done

((failures == 0)) || fail "$failures disagreement(s)"
echo "whole table as Wine's sources give it, nothing left behind"
