#!/usr/bin/env bash
# The library attached under Wine (the lane's files, tests/prelude.sh) from an installation
# source that carries the stand-in shfolder.dll:
# - the maker's folder follows the Terminal Server answer: NT 4 with "Terminal Server" in the
#   registry's product suites gives the folder under the program-files folder; Windows 98
#   (which never asks the registry) and XP (whose suite bit Wine leaves clear) give the one
#   under the Windows directory;
# - the suite's registered destination lands in its slot;
# - the program-files folder is Wine's own answer while the stand-in answers, taken even when
#   nobody can write there, and the registry chain's answer when the stand-in fails.
# Every registry value touched is put back as it was.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
wine_prefix
# Wine would otherwise load its built-in shfolder.dll in place of the stand-in.
export WINEDLLOVERRIDES=shfolder=n,b

options='HKLM\System\CurrentControlSet\Control\ProductOptions'
currentVersion='HKLM\Software\Microsoft\Windows\CurrentVersion'

# The value's data as `reg query` shows it, or nothing when it is absent.
reg_value() {
    wine_run reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+    /, ""); print; found = 1 }
                          END { exit !found }'
}
# Puts a value back: deleted when it was absent before, else rewritten with its type.
reg_restore() { # key name type saved-or-empty had-it
    if [[ $5 == yes ]]; then
        wine_run reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null
    else
        wine_run reg delete "$1" /v "$2" /f >/dev/null 2>&1 || true
    fi
}

had_version=no; saved_version=$(reg_value 'HKCU\Software\Wine' Version) && had_version=yes
had_suite=no; saved_suite=$(reg_value "$options" ProductSuite) && had_suite=yes
had_pfdir=no; saved_pfdir=$(reg_value "$currentVersion" ProgramFilesDir) && had_pfdir=yes
had_maker=no; wine_run reg query 'HKLM\Software\Tolva' >/dev/null 2>&1 && had_maker=yes

work="$QUELLIN_WIN_DIR/test-platform-folders"
cleanup() {
    reg_restore 'HKCU\Software\Wine' Version REG_SZ "${saved_version:-}" $had_version
    reg_restore "$options" ProductSuite REG_MULTI_SZ "${saved_suite:-}" $had_suite
    reg_restore "$currentVersion" ProgramFilesDir REG_SZ "${saved_pfdir:-}" $had_pfdir
    if [[ $had_maker == no ]]; then
        wine_run reg delete 'HKLM\Software\Tolva' /f >/dev/null 2>&1 || true
    else
        wine_run reg delete 'HKLM\Software\Tolva\Inkvale Suite\9' /v Destination /f \
            >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

rm -rf "$work" && mkdir -p "$work/source/setup"
cp "$QUELLIN_DLL" "$QUELLIN_WIN_DIR/tools/shfolder.dll" \
    "$work/source/setup/"
dll=$(winepath_of "$work/source/setup/Quellin.dll")

# The folder table resolved with the installation source as current directory.
table() { (cd "$work/source" && wine_run "$QUELLIN_FOLDERDUMP" "$dll") |
    tr -d '\r' | slot_lines; }
slot() { sed -n "s/^ *[0-9]* $1 *//p" <<<"$2"; }
# Wine's own answer for a folder identifier, from shell32 itself.
CSIDL_PROGRAM_FILES=0x26
wine_folder() {
    wine_run "$QUELLIN_WIN_DIR/tests/wine/shfolder_call.exe" shell32.dll "$1" | tr -d '\r' |
        awk '$2 == "0x00000000" { sub(/^[^ ]+ [^ ]+ /, ""); print }'
}

wine_run reg add "$options" /v ProductSuite /t REG_MULTI_SZ /d 'Enterprise\0Terminal Server' \
    /f >/dev/null
wine_run reg add 'HKLM\Software\Tolva\Inkvale Suite\9' /v Destination /d 'D:\Inkvale Suite' \
    /f >/dev/null

echo "== NT 4, Terminal Server among the product suites"
wine_version nt40
out=$(table)
windows=$(slot WindowsFolder "$out")
programs=$(slot ProgramFilesFolder "$out")
[[ -n $windows && -n $programs ]] || fail "no Windows or program-files folder: $out"
[[ $(slot RundleFolder "$out") == "$programs\\Tolva\\Rundle" ]] ||
    fail "maker's folder on Terminal Server: $out"
[[ $(slot SuiteDestinationFolder "$out") == 'D:\Inkvale Suite' ]] ||
    fail "suite destination: $out"

echo "== NT 4, product suites without Terminal Server"
wine_run reg add "$options" /v ProductSuite /t REG_MULTI_SZ /d 'Enterprise\0Terminal Server X' \
    /f >/dev/null
out=$(table)
[[ $(slot RundleFolder "$out") == "$windows\\Tolva" ]] || fail "maker's folder, NT 4: $out"
wine_run reg add "$options" /v ProductSuite /t REG_MULTI_SZ /d 'Terminal Server' /f >/dev/null

for version in win98 winxp; do
    echo "== $version"
    wine_version $version
    out=$(table)
    [[ $(slot RundleFolder "$out") == "$windows\\Tolva" ]] || fail "maker's folder: $out"
done

echo "== program-files folder: the stand-in answers, then fails"
own=$(wine_folder "$CSIDL_PROGRAM_FILES")
[[ -n $own ]] || fail "Wine gives no program-files folder"
[[ $(slot ProgramFilesFolder "$(table)") == "$own" ]] || fail "not Wine's own folder"
printf '38\n' >"$work/source/setup/shfolder.fail"
chain="${saved_pfdir:-}" # writable: the registry chain keeps it
[[ -n $chain ]] || fail "the prefix has no ProgramFilesDir"
[[ $(slot ProgramFilesFolder "$(table)") == "$chain" ]] || fail "not the registry's folder"
rm "$work/source/setup/shfolder.fail"

echo "== program-files folder nobody may write to (/proc through drive Z:)"
wine_run reg add "$currentVersion" /v ProgramFilesDir /d 'Z:\proc' /f >/dev/null
[[ $(wine_folder "$CSIDL_PROGRAM_FILES") == 'Z:\proc' ]] || fail "Wine does not answer Z:\\proc"
[[ $(slot ProgramFilesFolder "$(table)") == 'Z:\proc' ]] || fail "answer was tested"
printf '38\n' >"$work/source/setup/shfolder.fail"
# "ProgramFilesDir" is not writable and Wine's "ProgramFilesPath" ("%ProgramFiles%") has no
# root: "\Program Files" on the Windows drive, untested.
out=$(table)
[[ $(slot ProgramFilesFolder "$out") == "${windows:0:2}\\Program Files" ]] ||
    fail "registry chain's fallback: $out"
echo "platform and program folders as expected"
