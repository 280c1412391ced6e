#!/usr/bin/env bash
# The library attached under Wine from an installation source: the Windows, temporary and
# module folders equal Wine's own answers; and an executable whose file name holds a
# double-byte character with trail byte 0x5C (U+8868, bytes 0x95 0x5C in code page 932) gets
# its real folder, not one cut at the trail byte.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../prelude.sh"
wine_prefix

work="$QUELLIN_WIN_DIR/test-frame"
rm -rf "$work" && mkdir -p "$work/source/setup" "$work/kanji"
cp "$QUELLIN_DLL" "$work/source/setup/"
dll=$(winepath_of "$work/source/setup/Quellin.dll")

echo "== installation source as current directory"
(cd "$work/source" && wine_run "$QUELLIN_WIN_DIR/tests/wine/frame_check.exe" "$dll")

echo "== executable named U+8868.exe under code page 932"
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
cp "$QUELLIN_WIN_DIR/tests/wine/frame_check.exe" "$work/kanji/表.exe"
(cd "$work/source" && LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine_run "$work/kanji/表.exe" "$dll") |
    tr -d '\r' | tee "$work/kanji.log"
grep -q '^code page 932$' "$work/kanji.log"
# The folder must end in "kanji", not in a lead byte cut from the file name.
grep -q '^ok   ModuleFolder: got \[.*\\kanji\]' "$work/kanji.log"
rm -rf "$work"
