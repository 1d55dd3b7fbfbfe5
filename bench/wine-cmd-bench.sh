#!/usr/bin/env bash
# The program's script line against the same loop with a redirection per
# value, on Wine 10's cmd.exe (64-bit) in the Debian 13 root of the Windows
# tests:
#
#   block:     >>"OUT" (for /f "usebackq tokens=2 eol=, delims=," %%a in ("SRC") do @echo(%%a)
#   per value: for /f "usebackq tokens=2 delims=," %%a in ("SRC") do @echo %%a>>"OUT"
#
# on a reproducible file of 100,000 ASCII lines (field 2 of each), ROUNDS
# times each after one untimed run of each, alternating (which one goes
# first alternates too). Prints every
# run, the medians and their ratio, and checks that both wrote the same
# 100,000 values (the block's with the "(" Wine's cmd.exe puts before each
# echo( value dropped). Each run is one cmd.exe started on the script, its
# start included (the same for both).
#
# Usage: bench/wine-cmd-bench.sh [rounds]   (default 5)
# Environment: BENCH_DIR (data and Wine prefix, default /tmp/morvane-bench/wine;
#              it must be under /tmp, which the root shares).
# Needs: root, and the root made by tools/setup-wine10.sh. Not run by test.sh.
set -euo pipefail
rounds=${1:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
data=${BENCH_DIR:-/tmp/morvane-bench/wine}
lines=100000
in_root() { "$root/tools/in-wine10-root.sh" "$@"; }
export WINEPREFIX=$data/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

case $data in /tmp/*) ;; *) echo "BENCH_DIR must be under /tmp (the root sees only that)" >&2; exit 1 ;; esac
mkdir -p "$data"
source=$data/source.csv
[ -s "$source" ] || mawk -v n="$lines" 'BEGIN {
    for (i = 1; i <= n; i++) printf "%08d,name%d,m,%d,city%d,note %d\r\n", i, i, 18 + i % 60, i % 100, i % 1000
}' >"$source"

# Windows paths of the files, through Wine's drive Z:.
windows() { printf 'Z:%s' "${1//\//\\}"; }
printf '>>"%s" (for /f "usebackq tokens=2 eol=, delims=," %%%%a in ("%s") do @echo(%%%%a)\r\n' \
    "$(windows "$data/block.txt")" "$(windows "$source")" >"$data/block.bat"
printf 'for /f "usebackq tokens=2 delims=," %%%%a in ("%s") do @echo %%%%a>>"%s"\r\n' \
    "$(windows "$source")" "$(windows "$data/per-value.txt")" >"$data/per-value.bat"

[ -d "$WINEPREFIX" ] || in_root xvfb-run -a /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
# One Wine session for every run: a server started for each would be timed too.
in_root /usr/lib/wine/wineserver -w
in_root /usr/lib/wine/wineserver -p
trap 'in_root /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT

# Runs one script; prints its seconds.
run() {
    rm -f "$data/$1.txt"
    in_root bash -c 'start=$EPOCHREALTIME
        /usr/lib/wine/wine64 cmd /d /c "$1" >/dev/null 2>&1
        echo "$start $EPOCHREALTIME"' bash "$(windows "$data/$1.bat")" |
        awk '{ printf "%.2f\n", $2 - $1 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Once each, not timed: the first cmd.exe of a session starts slower.
run per-value >/dev/null
run block >/dev/null
: >"$data/block.times"
: >"$data/per-value.times"
for round in $(seq "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then order="per-value block"; else order="block per-value"; fi
    for kind in $order; do
        seconds=$(run "$kind")
        echo "$seconds" >>"$data/$kind.times"
        echo "round $round: $kind $seconds s"
    done
done

per_value=$(median <"$data/per-value.times")
block=$(median <"$data/block.times")
echo "== $lines lines, field 2, $(in_root /usr/lib/wine/wine64 --version) cmd.exe, median of $rounds"
echo "  >> per value:           $per_value s"
echo "  redirected block once:  $block s"
awk -v a="$per_value" -v b="$block" 'BEGIN { printf "  per value / block:     %.1fx\n", a / b }'

if [ "$(wc -l <"$data/per-value.txt")" -eq "$lines" ] &&
    sed 's/^(//' "$data/block.txt" | cmp -s - "$data/per-value.txt"; then
    echo "  both wrote the same $lines values"
else
    echo "  THE OUTPUTS DIFFER" >&2
    exit 1
fi
