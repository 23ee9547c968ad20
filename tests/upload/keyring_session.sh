#!/usr/bin/env bash
# Runs a test program in a D-Bus session of its own, with gnome-keyring's Secret Service unlocked
# for it and HOME in a fresh folder, so that the desktop's secret store the upload uses is one the
# test made (never the user's). Exit 77 (skipped) when there is no such store to make, or when
# the program skipped.
#   keyring_session.sh PROGRAM [ARGUMENTS…]
set -uo pipefail
if [ -z "${SITEKANRI_KEYRING_SESSION:-}" ]; then
  for tool in dbus-run-session gnome-keyring-daemon; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/setup.sh installs it)"; exit 77; }
  done
  home=$(mktemp -d)
  log=$(mktemp)
  trap 'rm -rf "$home" "$log"' EXIT
  mkdir -m 700 "$home/run"
  SITEKANRI_KEYRING_SESSION=1 HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" DISPLAY= \
    dbus-run-session -- "$0" "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  if [ "$status" -eq 0 ] && grep -q '\[  SKIPPED \]' "$log"; then status=77; fi
  exit "$status"
fi
# The keyring's own password, which unlocks it: a store that holds the test's secrets encrypted.
eval "$(printf 'unlock-%s' "$$" | gnome-keyring-daemon --unlock --components=secrets)" ||
  { echo "skipped: gnome-keyring-daemon did not start"; exit 77; }
"$@"
