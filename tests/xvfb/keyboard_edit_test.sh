#!/usr/bin/env bash
# End to end, keyboard only: in the real sitekanri on a virtual X display, the arrow keys pick a
# site, Tab reaches its name, the new name is typed, Tab and Space press "更新" and Return answers
# the question. Exactly the record the fields showed changes; every other stays as it was.
#   keyboard_edit_test.sh SITEKANRI SITEKANRI_CLI
set -euo pipefail
app=$1
cli=$2

. "$(dirname "$0")/../support/shell_test.sh"
begin_window_test
add_site --name "一番目" --url "http://first.example.jp/" --keyword1 "旅行"
add_site --name "二番目" --url "http://second.example.jp/" --keyword1 "料理" --content "二番目の説明"
add_site --name "三番目" --url "http://third.example.jp/"
add_site --name "四番目" --url "http://fourth.example.jp/" --content "最後"
"$cli" list --ids >"$work/before.tsv"

start_xvfb
start_window_without_locale "$app"
# The list has the focus with the last row current: two rows up is 二番目. Tab passes
# "サイトジャンプ" and the bookmark button to the name field; seven more reach "更新" (the fields,
# then the buttons from top to bottom).
xdotool key --delay 100 Up Up Tab Tab Tab ctrl+a
xdotool type --delay 50 "Renamed"
xdotool key --delay 100 Tab Tab Tab Tab Tab Tab Tab space
# The question is a second window with the same caption; Return answers its default, はい.
for _ in $(seq 50); do
  [ "$(xdotool search --onlyvisible --name "サイト管理" | wc -l)" -ge 2 ] && break
  sleep 0.1
done
xdotool key --delay 100 Return

# Record 2, and only it, takes the new name; its other fields are its own.
expected=$(awk -F'\t' 'BEGIN { OFS = FS } $1 == 2 { $2 = "Renamed" } { print }' "$work/before.tsv")
for _ in $(seq 50); do
  [ "$("$cli" list --ids)" = "$expected" ] && break
  sleep 0.1
done
"$cli" list --ids >"$work/after.tsv"
if [ "$(cat "$work/after.tsv")" != "$expected" ]; then
  diff "$work/before.tsv" "$work/after.tsv" >"$work/diff.log" || true
  fail "the register is not the one expected after renaming 二番目"
fi
echo "PASS: keyboard-only 更新 renamed exactly the row picked with the arrow keys"
