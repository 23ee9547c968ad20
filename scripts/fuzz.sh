#!/usr/bin/env bash
# Runs fuzzers (clang libFuzzer, ASan+UBSan), each for SECONDS seconds in JOBS processes at once.
#   [FUZZ_SANITIZE=undefined] [FUZZ_MAX_LEN=N] [FUZZ_MERGE=0] scripts/fuzz.sh TARGET[,TARGET…]|all [SECONDS] [JOBS]
#   TARGET: ini_document (the register-file reader), bookmark_reader (the bookmark-file reader),
#           link_answer (the link check's reading of status lines, headers and redirects),
#           folder_survey (a hostile register folder through the survey, the take-in and the notes) or
#           link_render (the preview and the code box laying out a name of up to 1 KiB: 20 s, 2 GB per input)
#   SECONDS: per target, default 60; JOBS: default the number of cores; several targets run one after another
# Each target keeps its corpus in fuzz/corpus/TARGET. The run works in build/fuzz/work/TARGET,
# starting from the kept corpus; afterwards only the inputs that reach code the kept corpus does
# not are merged into it (commit them), and the work folder is emptied. Each process logs to
# build/fuzz/logs/TARGET/fuzz-N.log. A crash, leak or broken round trip is written to
# build/fuzz/findings/ and the script exits non-zero. Replay one with build/fuzz/TARGET_fuzz FILE.
# FUZZ_MERGE=0 merges nothing into the kept corpus (./test.sh's short runs); a failure to build
# any target fails the run.
# FUZZ_SANITIZE=undefined builds without AddressSanitizer in build/fuzz-undefined (the same
# folders under it): several times faster, for runs of millions of inputs; it still stops at
# a crash, undefined behaviour, a broken round trip, a timeout or the memory limit, but no
# longer at a stray read or write that happens not to crash, nor at a leak.
# LINK_RENDER_PAINT=1 has link_render also paint both widgets for each input (ten times slower).
set -euo pipefail
cd "$(dirname "$0")/.."
usage() { sed -n '3,8s/^# //p' "$0" >&2; exit 2; }
target=${1:-}
seconds=${2:-60}
jobs=${3:-$(nproc)}
# Several targets: each in turn, for SECONDS each; the first that fails ends the run.
[[ $target == all ]] && target=ini_document,bookmark_reader,link_answer,folder_survey,link_render
if [[ $target == *,* ]]; then
  IFS=, read -ra targets <<<"$target"
  for one in "${targets[@]}"; do "$0" "$one" "$seconds" "$jobs"; done
  exit 0
fi
case $target in
  ini_document) max_len=4096 ;;
  bookmark_reader) max_len=65536 ;;
  link_answer) max_len=8192 ;;
  # Up to 48 names, each with what it holds.
  folder_survey) max_len=4096 ;;
  # A name is a line; a page of one lays out in a time that grows with its length.
  link_render) max_len=1024 ;;
  *) usage ;;
esac
# FUZZ_MAX_LEN caps the input size below the target's own cap: smaller inputs run many times
# faster where a target's cost grows with its input.
max_len=${FUZZ_MAX_LEN:-$max_len}
[[ $seconds =~ ^[0-9]+$ && $jobs =~ ^[1-9][0-9]*$ && $max_len =~ ^[1-9][0-9]*$ ]] || usage

sanitize=${FUZZ_SANITIZE:-address,undefined}
case $sanitize in
  address,undefined) build=build/fuzz ;;
  undefined) build=build/fuzz-undefined ;;
  *) usage ;;
esac
kept=$PWD/fuzz/corpus/$target
work=$PWD/$build/work/$target
logs=$build/logs/$target
findings=$PWD/$build/findings
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFUZZ_SANITIZE="$sanitize" "${launcher[@]}" >/dev/null
cmake --build "$build" --target "${target}_fuzz"
mkdir -p "$kept" "$work" "$logs" "$findings"
rm -f "$logs"/fuzz-*.log
# A small quarantine and no fill of fresh blocks: the targets make values of tens of kilobytes per
# input, and the default quarantine (256 MB) had each process fault in hundreds of megabytes.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:quarantine_size_mb=32:max_malloc_fill_size=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
fuzzer=$PWD/$build/${target}_fuzz

# Each process writes fuzz-N.log in the folder it runs in; new inputs go to the work corpus.
status=0
# A slow unit is timed by the wall clock, which on a busy machine at nice 19 says more about the
# other processes than about the input: it is kept beside the findings (replay it to time it
# alone) but is no finding; -timeout and -rss_limit_mb are the bounds.
count_findings() { find "$findings" -name "$target-*" ! -name "$target-slow-unit-*" | wc -l; }
found_before=$(count_findings)
# A render that takes seconds or a gigabyte is a finding (a layout without bound), not a slow input.
limits=()
# Qt keeps its fonts and the application object to the end: no leak check there.
if [[ $target == link_render ]]; then
  limits=(-timeout=20 -rss_limit_mb=2048)
  export ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0"
fi
(cd "$logs" && "$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 "${limits[@]}" \
  -jobs="$jobs" -workers="$jobs" -artifact_prefix="$findings/$target-" "$work" "$kept") || status=$?

runs=$(cat "$logs"/fuzz-*.log 2>/dev/null | awk '/^stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }')
echo "$target: $runs executions in $jobs processes, $((runs / (seconds > 0 ? seconds : 1))) a second"
if [[ ${FUZZ_MERGE:-1} == 0 ]]; then
  rm -rf "$work"
else
  before=$(ls "$kept" | wc -l)
  "$fuzzer" -merge=1 -max_len="$max_len" "$kept" "$work" >"$logs/merge.log" 2>&1 ||
    { echo "$target: the merge into $kept failed, see $logs/merge.log" >&2; exit 1; }
  echo "$target: $(($(ls "$kept" | wc -l) - before)) inputs added to $kept"
  # What the merge left out reaches nothing new; the next run starts from the kept corpus again.
  rm -rf "$work"
fi
if (($(count_findings) > found_before)); then
  echo "$target: new findings in $findings:" >&2
  ls -t "$findings" | grep "^$target-" | grep -v "^$target-slow-unit-" >&2
  exit 1
fi
exit "$status"
