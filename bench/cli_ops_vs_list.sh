#!/usr/bin/env bash
# Times `sitekanri-cli add` and `sitekanri-cli delete` of the first record against `list` on the
# same register: an operation touches only its own files, so it must cost at most 30 % of a list.
#
#   bench/cli_ops_vs_list.sh [CLI] [RECORDS]
#
# CLI defaults to the Release build (cmake --preset release && cmake --build --preset release);
# RECORDS to 100000. Needs hyperfine (scripts/setup.sh installs it).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${1:-$root/build/release/cli/sitekanri-cli}"
count="${2:-100000}"
runs="${RUNS:-10}"
[[ -x "$cli" ]] || { echo "cli_ops_vs_list: no sitekanri-cli at $cli (build the release preset first)" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "cli_ops_vs_list: hyperfine is not installed" >&2; exit 2; }

work="$(mktemp -d /tmp/sitekanri-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
reg="$work/register"
mkdir "$reg"

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
name="$(sjis 'サイト管理のテストサイト')"
key1="$(sjis '全てのキーワード')"
content="$(sjis '個人のホームページです。日記や写真、旅行の記録などを載せています。')"
for ((i = 1; i <= count; i++)); do
    printf '[DATA]\r\nNAME=%s %d\r\nURL=http://www%d.example.jp/\r\nKEY1=%s\r\nKEY2=\r\nKEY3=\r\nINDATA=%s\r\n' \
        "$name" "$i" "$i" "$key1" "$content" >"$reg/data$i.ini"
done
printf '[SETTING]\r\nDATA_CNT=%d\r\n' "$count" >"$reg/setting.ini"
cp "$reg/data1.ini" "$work/data1.ini"

json="$work/hyperfine.json"
# Each delete removes record 1 afresh: its file is put back before every run, outside the timing.
hyperfine -N --warmup 1 --runs "$runs" --export-json "$json" \
    -n list "$cli --dir $reg list" \
    -n add "$cli --dir $reg add --name bench --url http://bench.example.jp/" \
    --prepare "cp $work/data1.ini $reg/data1.ini" -n delete "$cli --dir $reg delete 1" >&2
read -r list_ms add_ms delete_ms < <(perl -0777 -ne 'my @m = /"mean":\s*([0-9.eE+-]+)/g; printf "%.1f %.1f %.1f\n", map { $_ * 1000 } @m[0..2]' "$json")
pct() { perl -e 'printf "%.1f", 100 * $ARGV[0] / $ARGV[1]' "$1" "$list_ms"; }
echo "register: $count records"
echo "list: ${list_ms} ms   add: ${add_ms} ms ($(pct "$add_ms") % of list)   delete: ${delete_ms} ms ($(pct "$delete_ms") % of list)   goal: <= 30 %"
