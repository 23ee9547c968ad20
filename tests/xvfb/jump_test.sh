#!/usr/bin/env bash
# End to end: the real sitekanri on a virtual X display hands the current row's URL to the
# desktop's opener. A recording xdg-open stands first in PATH; Qt's desktop services choose
# xdg-open on Linux when no portal is in the way. Keys are typed with xdotool, as a user would:
# the list has the focus at start-up, Tab moves to "サイトジャンプ", Space presses it.
#   jump_test.sh SITEKANRI SITEKANRI_CLI
set -euo pipefail
app=$1
cli=$2

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  local status=$?
  # There is no window manager to take alt+F4: the window is ended by its process id.
  for pid in $app_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  for log in "$work"/*.log; do [ -s "$log" ] && { echo "--- $log"; cat "$log"; }; done
  exit 1
}

# A register of a few sites in a per-user data folder of our own; the last one has a Japanese
# path, which must arrive character for character.
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" XDG_CACHE_HOME="$work/cache"
# Nothing of the caller's desktop may choose another way to open the URL.
unset DBUS_SESSION_BUS_ADDRESS BROWSER XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
add() { "$cli" add "$@" >/dev/null; }
add --name "一番目" --url "http://first.example.jp/"
add --name "二番目" --url "https://second.example.jp/list?page=2"
last_url="https://example.jp/日本語/ページ?q=検索"
add --name "最後" --url "$last_url" --keyword1 "旅行"

mkdir -p "$work/bin"
requests="$work/requests.txt"
cat > "$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >> "$requests"
SCRIPT
chmod +x "$work/bin/xdg-open"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

# Started as on a bare machine, with no locale: the window must still carry its title.
PATH="$work/bin:$PATH" QT_QPA_PLATFORM=xcb env -u LANG -u LC_ALL -u LC_CTYPE -u LANGUAGE "$app" >"$work/app.log" 2>&1 &
app_pid=$!

# There is no window manager to give the window the keyboard: give it directly.
window=$(timeout 10 xdotool search --sync --onlyvisible --name "サイト管理" | head -n 1) || fail "no window appeared"
xdotool windowfocus --sync "$window"
sleep 0.5
xdotool key --delay 100 Tab space

for _ in $(seq 50); do [ -s "$requests" ] && break; sleep 0.1; done
[ -s "$requests" ] || fail "xdg-open was not called"
sleep 0.3 # a second, wrong request would show up by now
# Qt hands the URL over percent-encoded; decoded, it must be the stored text.
recorded=$(cat "$requests")
decoded=$(printf '%b' "${recorded//%/\\x}")
if [ "$decoded" != "$last_url" ]; then
  fail "xdg-open got '$recorded', expected '$last_url' once"
fi
echo "PASS: xdg-open got the last row's URL: $recorded"
