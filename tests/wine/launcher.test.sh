#!/usr/bin/env bash
# The launcher end to end: run from an installation source whose path holds
# blanks, it starts the stand-in Setup32.exe with exactly " /nocheck /spath="<source>\Setup"",
# waits until that program has ended, and exits 0 although the program exits 7. Without a
# Setup32.exe it exits 0 at once. A folder the ANSI code page cannot write exactly (no
# character, or only a look-alike) is named by its short name.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/launcher-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
source_dir="$work/Inkvale Install Source"
mkdir -p "$source_dir/Setup"
cp "$QUELLIN_LAUNCHER" "$QUELLIN_WIN_DIR/tools/Setup32.exe" "$source_dir/"
windows_dir=$(winepath_of "$source_dir")
export SETUP32_NO_TABLE=1

# The stand-in itself ends with 7.
rc=0
(cd "$work" && wine_run "$source_dir/Setup32.exe" >/dev/null) || rc=$?
[[ $rc == 7 ]] || fail "the stand-in Setup32.exe exits $rc, not 7"
rm -f "$work/setup32.record" "$work/setup32.out"

# Arguments of the launcher's own are ignored.
rc=0
(cd "$source_dir" && wine_run "$source_dir/launcher.exe" '/spath="C:\Elsewhere"' /quiet) || rc=$?
[[ $rc == 0 ]] || fail "launcher exits $rc"
record="$source_dir/setup32.record"
[[ -f "$record" ]] || fail "Setup32.exe was not started (no record)"
printf '%s\n%s\n%s\n' " /nocheck /spath=\"$windows_dir\\Setup\"" "$windows_dir" ended >"$work/expected"
if ! cmp -s "$record" "$work/expected"; then
    echo "expected:" >&2; cat -A "$work/expected" >&2
    echo "recorded:" >&2; cat -A "$record" >&2
    fail "command line, current directory or end of Setup32.exe not as expected"
fi
echo "started $windows_dir\\Setup32.exe with [ /nocheck /spath=\"$windows_dir\\Setup\"], waited for its end"

# A source folder named by a double-byte character whose trail byte is 0x5C (U+8868, bytes
# 0x95 0x5C in code page 932) still gets its own backslash before "Setup32.exe".
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
kanji_dir="$work/表"
mkdir -p "$kanji_dir"
cp "$QUELLIN_LAUNCHER" "$QUELLIN_WIN_DIR/tools/Setup32.exe" "$kanji_dir/"
rc=0
(cd "$kanji_dir" && LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine_run "$kanji_dir/launcher.exe") || rc=$?
[[ $rc == 0 ]] || fail "launcher in a double-byte folder exits $rc"
[[ -f "$kanji_dir/setup32.record" ]] || fail "Setup32.exe not started from the double-byte folder"
kanji_windows=$(winepath_of "$kanji_dir")
printf '%s\n%s\n%s\n' " /nocheck /spath=\"$kanji_windows\\Setup\"" "$kanji_windows" ended |
    iconv -f UTF-8 -t CP932 >"$work/expected932"
cmp -s "$kanji_dir/setup32.record" "$work/expected932" ||
    fail "double-byte folder: recorded $(cat -A "$kanji_dir/setup32.record")"
echo "double-byte folder ending in trail byte 0x5C: started with its own backslash"

# Without Setup32.exe nothing is started and the launcher still exits 0.
rm -f "$record" "$source_dir/Setup32.exe"
rc=0
(cd "$source_dir" && wine_run "$source_dir/launcher.exe") || rc=$?
[[ $rc == 0 ]] || fail "launcher without Setup32.exe exits $rc"
[[ ! -e "$record" ]] || fail "something wrote a record without Setup32.exe"
echo "without Setup32.exe: exit 0, nothing started"

# Source folders whose names the ANSI code page (1252) cannot write: Cyrillic, which it has no
# character for, and "Łukasz", which best fit would write as "Lukasz", a folder that does not
# exist. The launcher names each by its short name, which exists, holds no '?' and no
# look-alike, for the program it starts and for the "Setup" folder on the command line; the
# stand-in runs there.
wine_prefix
polish_dir="$WINEPREFIX/drive_c/users/Łukasz/Downloads/Suite"
trap 'rm -rf "$work" "$WINEPREFIX/drive_c/users/Łukasz"' EXIT
for folder in "$work/Загрузки/Suite" "$polish_dir"; do
    mkdir -p "$folder/Setup"
    cp "$QUELLIN_LAUNCHER" "$QUELLIN_WIN_DIR/tools/Setup32.exe" "$folder/"
    rc=0
    (cd "$folder" && LANG=C.UTF-8 LC_ALL=C.UTF-8 wine_run "$folder/launcher.exe") || rc=$?
    [[ $rc == 0 ]] || fail "launcher in $folder exits $rc"
    record="$folder/setup32.record"
    [[ -f "$record" ]] || fail "Setup32.exe not started from $folder"
    command_line=$(sed -n 1p "$record" | tr -d '\r')
    current=$(sed -n 2p "$record" | tr -d '\r')
    short_path=$(sed -n 's/^ \/nocheck \/spath="\(.*\)\\Setup"$/\1/p' <<<"$command_line")
    [[ -n "$short_path" ]] || fail "command line not as expected: $(cat -A "$record")"
    [[ "$short_path" != *'?'* && "$short_path" == *'~'* ]] || fail "not a short path: $short_path"
    [[ "$short_path" != *Lukasz* ]] || fail "named by a look-alike: $short_path"
    [[ "$current" == "$short_path" ]] || fail "Setup32.exe ran in $current, not in $short_path"
    [[ $(sed -n 3p "$record") == ended ]] || fail "the launcher did not wait for Setup32.exe"
    # The short path names the source folder itself.
    unix_path=$(LANG=C.UTF-8 LC_ALL=C.UTF-8 wine_run winepath -u "$short_path" | tr -d '\r')
    [[ "$(cd "$unix_path" 2>/dev/null && pwd -P)" == "$(cd "$folder" && pwd -P)" ]] ||
        fail "$short_path is $unix_path, not the source folder"
    echo "$folder, which code page 1252 cannot write: started with [$command_line] by its short name"
done
[[ ! -e "$WINEPREFIX/drive_c/users/Lukasz" ]] || fail "a look-alike folder C:\\users\\Lukasz exists"
