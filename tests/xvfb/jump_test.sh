#!/usr/bin/env bash
# End to end: the real sitekanri on a virtual X display hands the current row's URL to the
# desktop's opener. A recording xdg-open stands first in PATH; Qt's desktop services choose
# xdg-open on Linux when no portal is in the way. Keys are typed with xdotool, as a user would:
# the list has the focus at start-up, Tab moves to "サイトジャンプ", Space presses it.
#   jump_test.sh SITEKANRI SITEKANRI_CLI
set -euo pipefail
app=$1
cli=$2

. "$(dirname "$0")/../support/shell_test.sh"
begin_window_test

# A register of a few sites in a per-user data folder of our own; the last one has a Japanese
# path, which must arrive character for character.
add_site --name "一番目" --url "http://first.example.jp/"
add_site --name "二番目" --url "https://second.example.jp/list?page=2"
last_url="https://example.jp/日本語/ページ?q=検索"
add_site --name "最後" --url "$last_url" --keyword1 "旅行"

record_opened_urls
start_xvfb
# Started with no locale: the window must still carry its title.
start_window_without_locale "$app"
xdotool key --delay 100 Tab space

wait_for_opened_urls
# Qt hands the URL over percent-encoded; decoded, it must be the stored text.
recorded=$(cat "$requests")
decoded=$(printf '%b' "${recorded//%/\\x}")
if [ "$decoded" != "$last_url" ]; then
  fail "xdg-open got '$recorded', expected '$last_url' once"
fi
echo "PASS: xdg-open got the last row's URL: $recorded"
