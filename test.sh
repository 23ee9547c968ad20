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
# Two computers meeting through the model sync tool: 100 000 seeded schedules, in two halves at once,
# each half from a first seed of its own (the everyday suite runs the first thousand).
sync_half() {
  SITEKANRI_SYNC_SCHEDULES=50000 SITEKANRI_SYNC_SEED=$1 QT_QPA_PLATFORM=offscreen \
    build/dev/tests/sync/sync_model_tests --gtest_brief=1
}
sync_half 100001 &
first_half=$!
sync_half 150001
wait "$first_half"
# The same suite again under AddressSanitizer and UndefinedBehaviorSanitizer (leak checks on).
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
