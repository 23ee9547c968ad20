#!/usr/bin/env bash
# Times `sitekanri-cli search` against `list` of the same register at each size: a search reads
# every record, folds the text people read and prints the matches, and should cost at most what a
# list that prints them all costs. Three searches: a word most sites hold (printing most), a word
# one site holds (printing one), and two words in kana of what is stored in katakana.
#
#   bench/cli_search.sh [RELEASE_BUILD] [SIZES]
#
# RELEASE_BUILD defaults to build/release (cmake --preset release && cmake --build --preset release);
# SIZES to "10000 100000". Needs hyperfine (scripts/setup.sh installs it).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/release}"
sizes="${2:-10000 100000}"
cli="$build/cli/sitekanri-cli"
runs="${RUNS:-10}"
[[ -x "$cli" ]] || { echo "cli_search: no sitekanri-cli in $build (build the release preset first)" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "cli_search: hyperfine is not installed" >&2; exit 2; }

work="$(mktemp -d /tmp/sitekanri-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
name="$(sjis 'サイト管理のテストサイト')"
key1="$(sjis '趣味・ｷｰﾜｰﾄﾞ')"
content="$(sjis '個人のホームページです。日記や写真、旅行の記録などを載せています。')"
mean_ms() { perl -0777 -ne 'my @m = /"mean":\s*([0-9.eE+-]+)/g; printf "%.1f", 1000 * $m[0]' "$1"; }
ratio() { perl -e 'printf "%.2f", $ARGV[0] / $ARGV[1]' "$1" "$2"; }

for count in $sizes; do
    reg="$work/register-$count"
    mkdir "$reg"
    for ((i = 1; i <= count; i++)); do
        printf '[DATA]\r\nNAME=%s %d\r\nURL=http://www%d.example.jp/\r\nKEY1=%s%d\r\nKEY2=\r\nKEY3=\r\nINDATA=%s\r\n' \
            "$name" "$i" "$i" "$key1" $((i % 50)) "$content" >"$reg/data$i.ini"
    done
    printf '[SETTING]\r\nDATA_CNT=%d\r\n' "$count" >"$reg/setting.ini"
    one=$((count / 2))
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/list.json" "$cli --dir $reg list" >/dev/null 2>&1
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/most.json" "$cli --dir $reg search example" >/dev/null 2>&1
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/one.json" "$cli --dir $reg search www$one.example" >/dev/null 2>&1
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/kana.json" "$cli --dir $reg search てすと ほーむぺーじ" >/dev/null 2>&1
    [[ "$("$cli" --dir "$reg" search "www$one.example" | wc -l)" -eq 1 ]] || { echo "cli_search: the one site was not found once" >&2; exit 1; }
    list_ms="$(mean_ms "$work/list.json")"
    for kind in most one kana; do
        ms="$(mean_ms "$work/$kind.json")"
        printf '%s sites: search (%s) %s ms = %s of list %s ms   goal <= 1\n' "$count" "$kind" "$ms" "$(ratio "$ms" "$list_ms")" "$list_ms"
    done
done
