#!/usr/bin/env bash
# Builds the register-file fuzzer (clang, libFuzzer, ASan+UBSan) in build/fuzz and runs it
# for SECONDS seconds (default 60) from the committed seeds in fuzz/corpus. Inputs it finds
# interesting collect in build/fuzz/corpus; a crash or broken round trip is written to
# build/fuzz/findings/ and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
mkdir -p "$build/corpus" "$build/findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
exec "$build/ini_document_fuzz" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
  -artifact_prefix="$build/findings/" "$build/corpus" fuzz/corpus
