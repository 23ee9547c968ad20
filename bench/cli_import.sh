#!/usr/bin/env bash
# Times `sitekanri-cli import` of a bookmark file of many links into a register of many records,
# each run on a fresh copy of the register (goal: 10 000 bookmarks into 1 000 records <= 1 s).
#
#   bench/cli_import.sh [CLI] [RECORDS] [BOOKMARKS]
#
# CLI defaults to the Release build (cmake --preset release && cmake --build --preset release);
# RECORDS to 1000, BOOKMARKS to 10000, RUNS (environment) to 5. The register lives under TMPDIR
# (default /tmp): the figure includes flushing every file to that disk.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${1:-$root/build/release/cli/sitekanri-cli}"
records="${2:-1000}"
bookmarks="${3:-10000}"
runs="${RUNS:-5}"
[[ -x "$cli" ]] || { echo "cli_import: no sitekanri-cli at $cli (build the release preset first)" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/sitekanri-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir "$work/start"

# The register as the Windows program writes it: CRLF lines, CP932 text.
name="$(printf 'サイト' | iconv -f UTF-8 -t CP932)"
for ((i = 1; i <= records; i++)); do
    printf '[DATA]\r\nNAME=%s %d\r\nURL=http://www%d.example.jp/\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n' \
        "$name" "$i" "$i" >"$work/start/data$i.ini"
done
printf '[SETTING]\r\nDATA_CNT=%d\r\n' "$records" >"$work/start/setting.ini"

# A browser's export: folders, tags, descriptions, and every tenth link one the register has.
{
    printf '<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">\n'
    printf '<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n    <DT><H3>ブックマーク バー</H3>\n    <DL><p>\n'
    for ((i = 1; i <= bookmarks; i++)); do
        if ((i % 10 == 0 && i / 10 <= records)); then url="http://www$((i / 10)).example.jp/"; else url="https://site$i.example.com/page?id=$i&amp;x=1"; fi
        printf '        <DT><A HREF="%s" ADD_DATE="1700000000" TAGS="趣味,tag%d">ページ %d &amp; その説明</A>\n' "$url" $((i % 40)) "$i"
        printf '        <DD>ブックマーク %d の説明です。\n' "$i"
    done
    printf '    </DL><p>\n</DL><p>\n'
} >"$work/bookmarks.html"

echo "register: $records records; bookmark file: $bookmarks links, $(du -h "$work/bookmarks.html" | cut -f1); in $work"
times=()
cpus=()
for ((r = 0; r < runs; r++)); do
    # A register of its own for each run, all removed at the end: without a journal, ext4 passes
    # over inode numbers freed in the last minutes when it makes a file, and deleting the last
    # run's thousands of files would make this run pay for that search.
    reg="$work/reg$r"
    cp -r "$work/start" "$reg" && sync -f "$reg"
    start=$(date +%s%N)
    /usr/bin/time -f '%U %S' -o "$work/cpu.txt" "$cli" --dir "$reg" import "$work/bookmarks.html" >"$work/summary.txt"
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
    cpus+=($(awk '{ printf "%d", ($1 + $2) * 1000 }' "$work/cpu.txt"))
done
listed="$("$cli" --dir "$reg" list | wc -l)"
echo "last summary: $(paste -sd' ' "$work/summary.txt"); records afterwards: $listed"
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
cpu_sorted=($(printf '%s\n' "${cpus[@]}" | sort -n))
echo "sitekanri-cli import: wall ${times[*]} ms, median ${sorted[$((runs / 2))]} ms (goal <= 1000);" \
     "CPU (user + system) ${cpus[*]} ms, median ${cpu_sorted[$((runs / 2))]} ms"
