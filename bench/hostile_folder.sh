#!/usr/bin/env bash
# Time and peak memory of one `sitekanri-cli add` into a register of COUNT sites (default 10 000)
# after a sync peer with write access put one hostile file into its folder, for each hostile file,
# against the same add after the peer brought an ordinary new site (the goal: within twice that),
# and the size of this computer's notes of the register against the register's files (the goal:
# never larger). Each run starts from the same register, which this program wrote last (its notes
# made by one add before the peer's file lands).
#
#   bench/hostile_folder.sh [CLI] [COUNT]
#
# CLI defaults to the Release build, then the dev one. Needs GNU time (/usr/bin/time).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${1:-}"
if [[ -z $cli ]]; then
    cli="$root/build/release/cli/sitekanri-cli"
    [[ -x $cli ]] || cli="$root/build/dev/cli/sitekanri-cli"
fi
count="${2:-10000}"
[[ -x $cli ]] || { echo "hostile_folder: no sitekanri-cli at $cli" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "hostile_folder: needs GNU time (/usr/bin/time)" >&2; exit 2; }
work="$(mktemp -d "${TMPDIR:-/tmp}/sitekanri-hostile-folder.XXXXXX")"
trap 'rm -rf "$work"' EXIT

template="$work/template"
mkdir "$template"
for ((i = 1; i <= count; i++)); do
    printf '[DATA]\r\nNAME=site %d\r\nURL=http://www%d.example.jp/\r\nKEY1=k\r\nKEY2=\r\nKEY3=\r\nINDATA=a personal home page\r\n' \
        "$i" "$i" >"$template/data$i.ini"
done
printf '[SETTING]\r\nDATA_CNT=%d\r\n' "$count" >"$template/setting.ini"

# peer NAME BYTES: the peer's file lands as sync tools write, under a name of its own renamed in.
peer() { printf "$2" >"$reg/.incoming" && mv "$reg/.incoming" "$reg/$1"; }

baseline=""
printf '%-44s %8s %8s %9s %14s\n' "the peer's file" "wall" "cpu" "peak" "notes / files"
run() { # label name bytes
    reg="$work/register"
    rm -rf "$reg" "$work/state" && cp -a "$template" "$reg"
    export XDG_STATE_HOME="$work/state"
    "$cli" --dir "$reg" add --name first --url http://first.example.jp/ >/dev/null 2>&1
    [[ -n $2 ]] && peer "$2" "$3"
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$cli" --dir "$reg" add --name new --url http://new.example.jp/ \
        >/dev/null 2>"$work/err" || { echo "$1: the add failed: $(cat "$work/err")" >&2; return; }
    read -r seconds user system kib <"$work/time"
    local cpu notes files
    cpu=$(echo "$user + $system" | bc)
    notes=$(find "$work/state" -type f -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }')
    files=$(find "$reg" -type f -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }')
    [[ -z $baseline ]] && baseline=$cpu
    printf '%-44s %6.2f s %6.2f s %6d MB %6d / %-7d %5.2fx\n' "$1" "$seconds" "$cpu" $((kib / 1024)) "$notes" "$files" \
        "$(echo "scale=3; $cpu / ($baseline + 0.001)" | bc)"
}

run "an ordinary new site (the baseline)" "data$((count + 2)).ini" '[DATA]\r\nNAME=theirs\r\nURL=http://theirs.example.jp/\r\n'
run "data2000000000.ini" data2000000000.ini '[DATA]\r\nNAME=far\r\nURL=http://far.example.jp/\r\n'
run "data2147483647.ini" data2147483647.ini '[DATA]\r\nNAME=top\r\nURL=http://top.example.jp/\r\n'
run "data0.ini" data0.ini '[DATA]\r\nNAME=zero\r\n'
run "data-1.ini" data-1.ini '[DATA]\r\nNAME=minus\r\n'
run "data007.ini" data007.ini '[DATA]\r\nNAME=zeros\r\n'
run "a setting.ini copy of DATA_CNT=2147483646" setting.sync-conflict-20261207-144956-QBVMNFJ.ini '[SETTING]\r\nDATA_CNT=2147483646\r\n'
run "setting.ini of DATA_CNT=2000000000" setting.ini '[SETTING]\r\nDATA_CNT=2000000000\r\n'
echo "(the last column: processor time against the baseline's)"
