#!/bin/sh
# Builds the interpreter's fuzz target with clang (libFuzzer, ASan, UBSan) and
# runs it on the committed corpus for SECONDS seconds (default 60). New inputs
# go to a scratch folder; copy the interesting ones into corpus/ by hand.
# Usage: run-fuzzer.sh [seconds]
set -eu
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${FUZZ_BUILD:-$root/build/interp-fuzz}
mkdir -p "$build/new-corpus"

# Every interpreter source but main.cpp, and the conversion it shares with the
# Linux services.
sources="$here/fuzz_target.cpp $here/split_invariant.cpp $root/platform/posix/code_page.cpp"
sources="$sources $root/platform/posix/iconv_converter.cpp"
for file in "$root"/interpreter/*.cpp; do
    [ "$(basename "$file")" = main.cpp ] || sources="$sources $file"
done

# shellcheck disable=SC2086
clang++ -std=c++20 -g -O1 -I"$root" -Wall -Wextra -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    $sources -o "$build/interpreter_fuzzer"

cd "$build"
exec ./interpreter_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 new-corpus "$here/corpus"
