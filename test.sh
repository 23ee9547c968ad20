#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev
# The trials once more at six times their everyday amount (about 50 kills of the window and of an
# import): the everyday suite stays quick, this run digs deeper.
SITEKANRI_TRIAL_SCALE=6 ctest --preset dev -j2 -R Trial
# Two or three computers meeting through the model sync tool: 100 000 seeded schedules (the
# everyday suite runs the first thousand).
./scripts/sync_long_run.sh
# Every fuzzer built (clang, libFuzzer) and run a few seconds, one process each: a change that
# breaks one, or an input it then finds, fails the run (scripts/fuzz.sh runs them for longer).
FUZZ_MERGE=0 ./scripts/fuzz.sh all 5 1
# The same suite again under AddressSanitizer and UndefinedBehaviorSanitizer (leak checks on).
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
