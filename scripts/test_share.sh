#!/usr/bin/env bash
# Prints the tests' share of all code: test lines (C++, scripts and case tables under tests/) over
# test plus program lines (every top-level folder but tests/, bench/, fuzz/, res/, scripts/ and
# build output), counting the files git knows, blank lines and comment lines left out. Build files
# (CMakeLists.txt) count on neither side: they are no case table. The aim is at most a third. With
# --files, the largest test files follow.
set -euo pipefail
cd "$(git -C "$(dirname "$0")" rev-parse --show-toplevel)"

# A line counts unless it is blank or a comment: "//…", or "#…" that is not an #include.
lines() {
  local ext=$1
  shift
  git ls-files -- "$@" | grep -E "$ext" | grep -v 'CMakeLists\.txt$' | tr '\n' '\0' | xargs -0 cat 2>/dev/null | grep -c -v -E '^\s*((//|#[^i]).*)?$' || true
}

program_dirs=$(ls -d */ | grep -v -E '^(tests|bench|fuzz|res|scripts|build.*|\.ci)/$')
# shellcheck disable=SC2086
program=$(lines '\.(cpp|h|hpp|cc|py|sh)$' $program_dirs)
tests=$(lines '\.(cpp|h|hpp|cc|py|sh|tsv|txt|csv|json)$' tests)
share=$((100 * tests / (tests + program)))
echo "Tests are ${share}% of all code: ${tests} test lines, ${program} program lines (aim: at most 33%)."

if [ "${1:-}" = "--files" ]; then
  git ls-files tests | grep -E '\.(cpp|h|hpp|cc|py|sh|tsv|txt|csv|json)$' | grep -v 'CMakeLists\.txt$' | while read -r file; do
    printf '%5d %s\n' "$(grep -c -v -E '^\s*((//|#[^i]).*)?$' "$file" || true)" "$file"
  done | sort -rn | head -n 20
fi
