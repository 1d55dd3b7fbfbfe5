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

# The project's own build files say what the target is made of.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="-O1" \
    -DMORVANE_FUZZ=ON >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" --target interpreter_fuzzer
cd "$build"
exec ./bin/interpreter_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 new-corpus "$here/corpus"
