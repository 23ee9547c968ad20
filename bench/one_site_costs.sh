#!/usr/bin/env bash
# What one site costs: `sitekanri-cli add` and `delete` timed against a `list` of the same register
# at each size (the goal: at most 0.3 of a list, aimed at 0.05), then the window's register, update
# and delete at the largest size (the goal: within a frame, 16 ms).
#
#   bench/one_site_costs.sh [RELEASE_BUILD] [SIZES]
#
# RELEASE_BUILD defaults to build/release (cmake --preset release && cmake --build --preset release);
# SIZES to "10000 100000". Needs hyperfine (scripts/setup.sh installs it). The window's figures need
# the release build's bench/window_bench; without a display they are taken offscreen.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/release}"
sizes="${2:-10000 100000}"
cli="$build/cli/sitekanri-cli"
runs="${RUNS:-10}"
[[ -x "$cli" ]] || { echo "one_site_costs: no sitekanri-cli in $build (build the release preset first)" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "one_site_costs: hyperfine is not installed" >&2; exit 2; }

work="$(mktemp -d /tmp/sitekanri-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
# The program's notes of the register (kept beside it on this computer) start empty, as on a new one.
export XDG_STATE_HOME="$work/state"

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
name="$(sjis 'サイト管理のテストサイト')"
key1="$(sjis '全てのキーワード')"
content="$(sjis '個人のホームページです。日記や写真、旅行の記録などを載せています。')"
mean_ms() { perl -0777 -ne 'my @m = /"mean":\s*([0-9.eE+-]+)/g; my $s = 0; $s += $_ for @m; printf "%.2f", 1000 * $s / @m' "$1"; }
ratio() { perl -e 'printf "%.3f", $ARGV[0] / $ARGV[1]' "$1" "$2"; }

for count in $sizes; do
    reg="$work/register-$count"
    mkdir "$reg"
    for ((i = 1; i <= count; i++)); do
        printf '[DATA]\r\nNAME=%s %d\r\nURL=http://www%d.example.jp/\r\nKEY1=%s\r\nKEY2=\r\nKEY3=\r\nINDATA=%s\r\n' \
            "$name" "$i" "$i" "$key1" "$content" >"$reg/data$i.ini"
    done
    printf '[SETTING]\r\nDATA_CNT=%d\r\n' "$count" >"$reg/setting.ini"
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/list.json" "$cli --dir $reg list" >/dev/null 2>&1
    # Each add registers one more site (the first, untimed, learns the register once); each delete
    # takes away another: nothing is put back between runs, as a script adding or deleting one site
    # after another does.
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/add.json" \
        "$cli --dir $reg add --name bench --url http://bench.example.jp/" >/dev/null 2>&1
    hyperfine -N --runs 1 --parameter-scan n 1 "$runs" --export-json "$work/delete.json" "$cli --dir $reg delete {n}" >/dev/null 2>&1
    list_ms="$(mean_ms "$work/list.json")" add_ms="$(mean_ms "$work/add.json")" delete_ms="$(mean_ms "$work/delete.json")"
    echo "$count sites: list ${list_ms} ms   add ${add_ms} ms ($(ratio "$add_ms" "$list_ms") of a list)   delete ${delete_ms} ms ($(ratio "$delete_ms" "$list_ms") of a list)   goal <= 0.3"
done

window="$build/bench/window_bench"
largest="${sizes##* }"
if [[ -x "$window" ]]; then
    [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]] || export QT_QPA_PLATFORM=offscreen
    "$window" --benchmark_filter="ThroughWindow/.*/$largest/" --benchmark_format=csv 2>/dev/null |
        perl -F, -lane 'next unless $F[0] =~ /ThroughWindow\/(\w+)\/(\d+)/; printf "window, %d sites: %s %.1f ms (CPU %.1f ms)   goal <= 16 ms\n", $2, $1, $F[2], $F[3]'
else
    echo "window: no $window (build the release preset's benchmarks)" >&2
fi
