#!/usr/bin/env bash
# Throughput of the stand-in cmd.exe against cut and mawk, and of the survey
# the program makes of the source after a run against the stand-in.
#
# Makes a reproducible 5,000,000-line UTF-8 file with CR LF line ends (about
# 195 MB), runs the stand-in on the script Morvane writes for field 2 and the
# delimiter ",", the survey of the same file for the same line (survey_bench),
# and `cut -d, -f2` and `mawk -F, '{print $2}'` on the same file, alternating,
# ROUNDS times each. Then the same on a GBK file of
# double-byte text with the delimiter "|" (cut splits inside characters
# there, so it is only a speed reference), and on the UTF-8 rows with the
# full-width comma "，" (three bytes) for ",", which cut cannot take as a
# delimiter (mawk can: its bytes as a pattern). Prints medians, ratios to cut and
# peak memory (/usr/bin/time -v's maximum resident set size), and the peak
# memory on a tenth of the file, which must be the same.
#
# Usage: bench/interpreter-bench.sh [rounds]   (default 7)
# Environment: CMD_EXE, SURVEY_BENCH (default: the linux-release preset's builds),
#              BENCH_DIR (data files, default /tmp/morvane-bench).
# Needs: cmake, ninja, g++, mawk, iconv, /usr/bin/time (package "time").
set -euo pipefail
rounds=${1:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
data=${BENCH_DIR:-/tmp/morvane-bench}
mkdir -p "$data"

for tool in mawk cut iconv /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

if [ -z "${CMD_EXE:-}" ] || [ -z "${SURVEY_BENCH:-}" ]; then
    (cd "$root" && cmake --preset linux-release >/dev/null &&
        cmake --build --preset linux-release --target stand_in_cmd survey_bench >/dev/null)
    CMD_EXE=${CMD_EXE:-$root/build/linux-release/bin/cmd.exe}
    SURVEY_BENCH=${SURVEY_BENCH:-$root/build/linux-release/bin/survey_bench}
fi

lines=5000000
utf8=$data/utf8-5m.csv
gbk=$data/gbk-5m.txt
fullwidth=$data/utf8-fullwidth-5m.csv

# Rows like 00001234,张三,男,42,city1,note 1 - the same bytes on every run.
make_utf8() {
    mawk -v n="$1" 'BEGIN {
        split("张三 李四 王五 赵六 钱七 孙八 周九 吴十", name, " ")
        split("男 女", sex, " ")
        for (i = 1; i <= n; i++)
            printf "%08d,%s,%s,%d,city%d,note %d\r\n", i, name[i % 8 + 1], sex[i % 2 + 1],
                18 + i % 60, i % 100, i % 1000
    }'
}

# GBK rows of double-byte text split by "|"; 亅 (81 7C) and 乗 (81 5C) carry
# "|" and "\" as their second bytes.
make_gbk() {
    mawk -v n="$1" 'BEGIN {
        split("张三丰 李四亅 王五乗 赵六 钱七亅亅 孙八", name, " ")
        split("北京市 上海市亅 广州市 深圳乗市", city, " ")
        for (i = 1; i <= n; i++)
            printf "%08d|%s|%s|%d|%s%d|备注亅%d\r\n", i, name[i % 6 + 1], city[i % 4 + 1],
                18 + i % 60, city[i % 3 + 1], i % 100, i % 1000
    }' | iconv -f UTF-8 -t CP936
}

[ -s "$utf8" ] || make_utf8 "$lines" >"$utf8"
[ -s "$gbk" ] || make_gbk "$lines" >"$gbk"
[ -s "$fullwidth" ] || sed 's/,/，/g' "$utf8" >"$fullwidth"
head -n $((lines / 10)) "$utf8" >"$data/utf8-500k.csv"

# The one line Morvane writes, in GB18030.
write_script() { # source output delimiter script
    printf '>>"%s" (for /f "usebackq tokens=2 eol=%s delims=%s" %%%%a in ("%s") do @echo(%%%%a)\r\n' \
        "$2" "$3" "$3" "$1" | iconv -f UTF-8 -t GB18030 >"$4"
}

# Runs a command once: prints "seconds peak-KiB". Output goes to $out.
out=$data/out.txt
measure() {
    rm -f "$out"
    local start end
    start=$EPOCHREALTIME
    /usr/bin/time -v -o "$data/time.txt" "$@" >"$out.stdout"
    end=$EPOCHREALTIME
    local kib
    kib=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$data/time.txt")
    awk -v a="$end" -v b="$start" -v k="$kib" 'BEGIN { printf "%.4f %d\n", a - b, k }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

run_set() { # label source delimiter
    local label=$1 source=$2 delimiter=$3
    local script=$data/1.bat
    write_script "$source" "$out" "$delimiter" "$script"
    : >"$data/stand-in.times"; : >"$data/survey.times"; : >"$data/cut.times"; : >"$data/mawk.times"
    local stand_in_kib=0 survey_kib=0
    for _ in $(seq "$rounds"); do
        read -r s k < <(measure "$CMD_EXE" /c "$script")
        echo "$s" >>"$data/stand-in.times"; stand_in_kib=$k
        cp "$out" "$data/stand-in.out"
        read -r s k < <(measure "$SURVEY_BENCH" "$source" "$delimiter" 2)
        echo "$s" >>"$data/survey.times"; survey_kib=$k
        cp "$out.stdout" "$data/survey.out"
        if [ "$(printf %s "$delimiter" | wc -c)" -eq 1 ]; then
            read -r s _ < <(measure cut -d"$delimiter" -f2 "$source")
            echo "$s" >>"$data/cut.times"
        fi
        read -r s _ < <(measure mawk -F"$delimiter" '{print $2}' "$source")
        echo "$s" >>"$data/mawk.times"
    done
    local stand_in survey cut mawk
    stand_in=$(median <"$data/stand-in.times")
    survey=$(median <"$data/survey.times")
    cut=$(median <"$data/cut.times")
    [ -n "$cut" ] || cut=0
    mawk=$(median <"$data/mawk.times")
    echo "== $label ($(wc -l <"$source") lines, $(($(stat -c %s "$source") / 1000000)) MB), median of $rounds"
    printf '  stand-in cmd.exe %.3f s  peak %d KiB\n' "$stand_in" "$stand_in_kib"
    printf '  survey           %.3f s  peak %d KiB  (survey / stand-in = %.2f)\n' "$survey" "$survey_kib" \
        "$(ratio "$survey" "$stand_in")"
    if [ "$cut" != 0 ]; then
        printf '  cut              %.3f s  (stand-in / cut = %.2f)\n' "$cut" "$(ratio "$stand_in" "$cut")"
    fi
    printf '  mawk             %.3f s  (stand-in / mawk = %.2f)\n' "$mawk" "$(ratio "$stand_in" "$mawk")"
    echo "  values written: $(wc -l <"$data/stand-in.out"); survey: $(sed 's/^[0-9.]* s  //' "$data/survey.out")"
}

run_set "UTF-8, delimiter \",\", field 2" "$utf8" ","
# The stand-in's values are cut's, each ended by CR LF.
if cut -d, -f2 "$utf8" | sed 's/$/\r/' | cmp -s - "$data/stand-in.out"; then
    echo "  output identical to cut's (plus CR)"
else
    echo "  OUTPUT DIFFERS FROM cut's" >&2
    exit 1
fi
run_set "GBK, delimiter \"|\", field 2" "$gbk" "|"
run_set "UTF-8, delimiter \"，\", field 2" "$fullwidth" "，"

write_script "$data/utf8-500k.csv" "$out" "," "$data/1.bat"
read -r _ small < <(measure "$CMD_EXE" /c "$data/1.bat")
echo "== peak memory of the stand-in on a tenth of the UTF-8 file: $small KiB"
read -r _ small < <(measure "$SURVEY_BENCH" "$data/utf8-500k.csv" , 2)
echo "== peak memory of the survey on a tenth of the UTF-8 file: $small KiB"
rm -f "$out" "$out.stdout"
