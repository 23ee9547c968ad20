#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [ -x build/release/app/sitekanri ]; then
  exec build/release/app/sitekanri "$@"
fi
# Until the window is built: show the register through the command-line tool.
exec build/release/cli/sitekanri-cli list "$@"
