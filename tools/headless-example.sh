#!/usr/bin/env bash
# The example of the example window, run through the real Linux program on a
# virtual X display (Xvfb): the program started, the four boxes typed into
# with xdotool, Start pressed, the verdict read, the output file printed and
# compared, a screenshot saved, the program ended with its Exit button.
#
#   tools/headless-example.sh PROGRAM [SCREENSHOT]
#
# PROGRAM is a built (build/…/bin/pellorin) or an installed (/usr/bin/pellorin)
# program; it finds its own stand-in interpreter. Exit status 0 when the run
# succeeded and the output holds the four names. Needs Xvfb, xdotool and
# ImageMagick's import (./run.sh installs them when it needs this).
set -euo pipefail

program=$1
screenshot=${2:-}

say() { printf '== %s\n' "$*"; }
fail() {
    printf '== %s\n' "$*" >&2
    exit 1
}
[ -x "$program" ] || fail "no program at $program"

work=$(mktemp -d "${TMPDIR:-/tmp}/pellorin-demo-XXXXXX")
xvfb_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

say "the example extraction through $program on a virtual display"

# The example of the example window: four lines, the names are field 2.
source_file="$work/123.txt"
output_file="$work/321.txt提取.txt"
printf '01,张三,男\r\n02,李四,男\r\n03,赵钱,男\r\n04,孙李,男\r\n' >"$source_file"

# The program's own folder (script file, instance lock) for this run only.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start (see $work/xvfb.log)"
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

"$program" >"$work/pellorin.log" 2>&1 &
program_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Morvane$' 2>/dev/null | head -n 1) ||
    true
[ -n "$window" ] || fail "the main window did not appear (see $work/pellorin.log)"
say "main window up on $DISPLAY"

# Window-relative centres of the controls, in pixels (the layout's twips / 15).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.2; }
fill() {
    click "$1" "$2"
    xdotool type --delay 30 -- "$3"
    sleep 0.2
}
fill 264 23 "$source_file"  # 源文件路径 (SourcePathBox)
fill 264 55 "$output_file"  # 输出路径 (OutputPathBox)
fill 148 81 ","             # 分割符号 (DelimiterBox)
fill 380 81 "2"             # 提取段号 (FieldNumberBox)
say "typed: source $source_file, output $output_file, delimiter \",\", field 2"
click 120 128  # 开始提取 (StartButton)
say "pressed 开始提取; waiting for the verdict (the watch looks every 2 seconds)"

notice=""
for _ in $(seq 60); do
    notice=$(xdotool search --onlyvisible --name '^(成功|失败|提示|提示！)$' 2>/dev/null | head -n 1) || true
    [ -n "$notice" ] && break
    sleep 0.5
done
[ -n "$notice" ] || fail "no notice within 30 seconds (see $work/pellorin.log)"
title=$(xdotool getwindowname "$notice")
sleep 0.3
if [ -n "$screenshot" ]; then
    import -window root "$screenshot" 2>/dev/null || say "(could not take the screenshot)"
    say "notice titled \"$title\"; screenshot saved: $screenshot"
else
    say "notice titled \"$title\""
fi
xdotool windowfocus --sync "$notice" key Return 2>/dev/null || true

if [ "$title" != "成功" ]; then
    fail "the extraction did not succeed (notice \"$title\")"
fi
[ -f "$output_file" ] || fail "the program reported success but $output_file is missing"
say "output file $output_file (field 2 of every line, CR LF line ends):"
tr -d '\r' <"$output_file" | sed 's/^/    /'
[ "$(cat "$output_file")" = "$(printf '张三\r\n李四\r\n赵钱\r\n孙李\r')" ] ||
    fail "the output is not field 2 of the four lines"

# Exit (退出程序) ends the program at once.
sleep 0.5
click 360 128
for _ in $(seq 20); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program_pid" 2>/dev/null; then
    say "the program did not end on 退出程序; stopping it"
else
    program_pid=""
    say "pressed 退出程序: the program ended"
fi
