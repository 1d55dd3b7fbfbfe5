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

sources="$here/fuzz_target.cpp $here/split_invariant.cpp"
for file in bitmask_splitter delimiter_scanner echo_template encoding encoding_choice for_loop \
    for_options iconv_converter line_splitter output_file script_line script_runner source_file \
    token_plan utf8_text utf8_validator; do
    sources="$sources $root/interpreter/$file.cpp"
done

# shellcheck disable=SC2086
clang++ -std=c++20 -g -O1 -I"$root" -Wall -Wextra -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    $sources -o "$build/interpreter_fuzzer"

cd "$build"
exec ./interpreter_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 new-corpus "$here/corpus"
