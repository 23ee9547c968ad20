#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev
# The same suite again under AddressSanitizer and UndefinedBehaviorSanitizer (leak checks on).
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
