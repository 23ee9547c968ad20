#!/usr/bin/env bash
# Times `sitekanri-cli list` over a register of many records against `cat` of the same files:
# reading and printing the register should cost at most twice what merely reading its files does.
#
#   bench/cli_list_vs_cat.sh [CLI] [RECORDS]
#
# CLI defaults to the Release build (cmake --preset release && cmake --build --preset release);
# RECORDS to 10000. Uses hyperfine when it is installed, otherwise a timed loop.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${1:-$root/build/release/cli/sitekanri-cli}"
count="${2:-10000}"
runs="${RUNS:-20}"
[[ -x "$cli" ]] || { echo "cli_list_vs_cat: no sitekanri-cli at $cli (build the release preset first)" >&2; exit 2; }

reg="$(mktemp -d /tmp/sitekanri-bench.XXXXXX)"
trap 'rm -rf "$reg"' EXIT

# The register as the Windows program writes it: CRLF lines, CP932 text. The Japanese parts are
# converted once; the loop only pastes numbers into them.
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
name="$(sjis 'サイト管理のテストサイト')"
key1="$(sjis '全てのキーワード')"
key2="$(sjis '趣味・ｷｰﾜｰﾄﾞ')"
content="$(sjis '個人のホームページです。日記や写真、旅行の記録などを載せています。更新は不定期です。')"
for ((i = 1; i <= count; i++)); do
    printf '[DATA]\r\nNAME=%s %d\r\nURL=http://www%d.example.jp/~user/index.html\r\nKEY1=%s\r\nKEY2=%s%d\r\nKEY3=\r\nINDATA=%s\r\n' \
        "$name" "$i" "$i" "$key1" "$key2" $((i % 50)) "$content" >"$reg/data$i.ini"
done
printf '[SETTING]\r\nDATA_CNT=%d\r\n' "$count" >"$reg/setting.ini"

# Both read every file of the register; the file list is fixed once, so the shell's glob is not timed.
files="$reg/files.txt"
( cd "$reg" && printf '%s\n' setting.ini $(seq -f 'data%g.ini' 1 "$count") ) >"$files"
list_cmd="'$cli' --dir '$reg' list >/dev/null"
cat_cmd="cd '$reg' && xargs cat <'$files' >/dev/null"

lines="$("$cli" --dir "$reg" list | wc -l)"
[[ "$lines" -eq "$count" ]] || { echo "cli_list_vs_cat: list printed $lines records, expected $count" >&2; exit 1; }

mean_ms() { # command -> mean wall time in ms over $runs runs, after one warm-up
    bash -c "$1"
    local start end
    start=$(date +%s%N)
    for ((r = 0; r < runs; r++)); do bash -c "$1"; done
    end=$(date +%s%N)
    echo $(((end - start) / runs / 1000000))
}

echo "register: $count records, $(du -sh "$reg" | cut -f1) in $reg"
if command -v hyperfine >/dev/null 2>&1; then
    json="$reg/hyperfine.json"
    hyperfine -N --warmup 2 --runs "$runs" --export-json "$json" -n list "bash -c \"$list_cmd\"" -n cat "bash -c \"$cat_cmd\"" >&2 ||
        hyperfine --warmup 2 --runs "$runs" --export-json "$json" -n list "$list_cmd" -n cat "$cat_cmd" >&2
    read -r list_ms cat_ms < <(perl -0777 -ne 'my @m = /"mean":\s*([0-9.eE+-]+)/g; printf "%.1f %.1f\n", $m[0] * 1000, $m[1] * 1000' "$json")
else
    list_ms="$(mean_ms "$list_cmd")"
    cat_ms="$(mean_ms "$cat_cmd")"
fi
ratio="$(perl -e 'printf "%.2f", $ARGV[0] / $ARGV[1]' "$list_ms" "$cat_ms")"
echo "sitekanri-cli list: ${list_ms} ms   cat: ${cat_ms} ms   ratio: ${ratio} (goal <= 2)"
