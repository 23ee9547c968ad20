#!/usr/bin/env bash
# End to end, keys typed with xdotool on a virtual X display, as a user types them: Ctrl+E,
# pressed in a text field (which takes Ctrl+E as "to the end of the line" unless the window lets
# it through), opens the bookmark export's file dialog. Tab moves from the list, which has the
# focus at start-up, past サイトジャンプ and the bookmark button to the name field, where "Zed" is
# typed; after the dialog, Ctrl+S stores it: the focus was in that field. (The URL サイトジャンプ
# hands over: the list commands' and launcher tests; the real opener: the install test's banner.)
#   ctrl_e_test.sh SITEKANRI SITEKANRI_CLI
set -euo pipefail
app=$1
cli=$2

. "$(dirname "$0")/../support/shell_test.sh"
begin_window_test

# A register of one site in a per-user data folder of our own.
add_site --name "最後" --url "https://example.jp/" --keyword1 "旅行"

start_xvfb
# Started with no locale: the window must still carry its title.
start_window_without_locale "$app"
window=$(xdotool getwindowfocus)

# Waits up to twenty seconds (a sanitizer build on a busy machine is slow) for a window other than
# the main one named $1; prints its id.
other_window() {
  for _ in $(seq 200); do
    xdotool search --onlyvisible --name "$1" | grep -vx "$window" | head -n 1 && return
    sleep 0.1
  done
  return 1
}

# The window takes its keys once its event loop turns with the list focused: a sanitizer build
# on a busy machine gets there well after it is shown.
sleep 2
xdotool key --delay 20 Tab Tab Tab
xdotool type --delay 20 Zed
xdotool key ctrl+e
dialog=$(other_window "ブックマークの書き出し") || fail "Ctrl+E in a field opened no export dialog"
# No window manager moves the keyboard between windows: each is given it. Escape until the dialog
# has gone: a slow build may not yet take the first.
for _ in $(seq 50); do
  xdotool search --onlyvisible --name "ブックマークの書き出し" >/dev/null || break
  xdotool windowfocus --sync "$dialog" key Escape 2>/dev/null || true
  sleep 0.2
done
xdotool windowfocus --sync "$window" key ctrl+s
question=$(other_window "サイト管理") || fail "Ctrl+S asked nothing"
xdotool windowfocus --sync "$question" key Return
for _ in $(seq 50); do "$cli" list | grep -q '^Zed' && break; sleep 0.1; done
"$cli" list | tail -n 1 | grep -q "^Zed	" || fail "the name typed before Ctrl+E was not stored: $("$cli" list | tail -n 1)"
echo "PASS: Ctrl+E in the name field opened the export dialog"
