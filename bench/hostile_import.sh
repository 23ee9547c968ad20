#!/usr/bin/env bash
# Time and peak memory of `sitekanri-cli import` on hostile bookmark files made here (never kept:
# they are hundreds of megabytes), each into a fresh empty register, and of the export of what
# each imported, at two sizes so that the
# growth shows (goal: linear, at most 1 s per 10 MB, peak memory at most 4 times the file):
#   amp_title   one title of N MB of '&' (each '&' once searched to the end for a ';')
#   amp_titles  N titles of 1 MB of '&' each (the references of every one decoded; too long once
#               escaped, so none is kept)
#   amp_kept    5N titles of 200 000 '&' each, kept (1 MB each as "&amp;"), so that the export has
#               N MB of ampersands to decode and escape again
#   tag_commas  one TAGS list of N MB of commas (once 65 bytes of memory per comma)
#   long_title  one title of N MB of 'x'
# and, with a link_render fuzzer at FUZZ (scripts/fuzz.sh link_render builds one; ASan, so slow),
# the preview and code box given a name of 100 nested tables.
#
#   bench/hostile_import.sh [CLI] [SIZES_MB]     e.g. bench/hostile_import.sh "" "50 100"
#
# CLI defaults to the Release build, then the dev one; SIZES_MB to "50 100" (the long title also
# at twice those, up to 200 MB). KINDS (environment) picks some of the inputs.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${1:-}"
if [[ -z $cli ]]; then
    cli="$root/build/release/cli/sitekanri-cli"
    [[ -x $cli ]] || cli="$root/build/dev/cli/sitekanri-cli"
fi
sizes="${2:-50 100}"
fuzz="${FUZZ:-$root/build/fuzz/link_render_fuzz}"
[[ -x $cli ]] || { echo "hostile_import: no sitekanri-cli at $cli" >&2; exit 2; }
work="$(mktemp -d "${TMPDIR:-/tmp}/sitekanri-hostile.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mb=$((1024 * 1024))
head='<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n'

# repeat CHAR COUNT: COUNT copies of CHAR on stdout.
repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }

make_file() { # kind megabytes file
    local kind=$1 n=$2 file=$3
    {
        printf "$head"
        case $kind in
        amp_title) printf '<DT><A HREF="https://a.example/">'; repeat '&' $((n * mb)); printf '</A>\n' ;;
        amp_titles) for ((i = 0; i < n; i++)); do
                printf '<DT><A HREF="https://a%d.example/">' "$i"; repeat '&' $mb; printf '</A>\n'
            done ;;
        amp_kept) for ((i = 0; i < 5 * n; i++)); do
                printf '<DT><A HREF="https://k%d.example/">' "$i"; repeat '&' 200000; printf '</A>\n'
            done ;;
        tag_commas) printf '<DT><A HREF="https://t.example/" TAGS="'; repeat ',' $((n * mb)); printf 'x">T</A>\n' ;;
        long_title) printf '<DT><A HREF="https://l.example/">'; repeat 'x' $((n * mb)); printf '</A>\n' ;;
        esac
        printf '</DL><p>\n'
    } >"$file"
}

measure() { # label file-bytes command…
    local label=$1 bytes=$2
    shift 2
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" || true
    read -r seconds user system kib < <(tail -n1 "$work/time") # after "Command exited with …"
    printf '%-26s %8.2f s %8.2f s %8d MB %7.2fx\n' "$label" "$seconds" "$(echo "$user + $system" | bc)" $((kib / 1024)) \
        "$(echo "scale=3; $kib * 1024 / $bytes" | bc)"
}

# CPU time (user + system) is the figure that counts on a shared machine; wall time beside it.
# The last column is the peak as a multiple of the bookmark file imported (the export's too).
printf '%-26s %10s %10s %11s %8s\n' "input" "wall" "cpu" "peak memory" "/ file"
for kind in ${KINDS:-amp_title amp_titles amp_kept tag_commas long_title}; do
    for n in $sizes; do
        [[ $kind == long_title ]] && n=$((n * 2))
        file="$work/$kind.html"
        make_file "$kind" "$n" "$file"
        rm -rf "$work/register" && mkdir "$work/register"
        bytes=$(stat -c %s "$file")
        measure "$kind ${n} MB" "$bytes" "$cli" --dir "$work/register" import "$file"
        rm -f "$file"
        measure "  its export" "$bytes" "$cli" --dir "$work/register" export "$work/export.html"
        rm -f "$work/export.html"
    done
done
if [[ -x $fuzz ]]; then
    python3 -c "import sys; sys.stdout.write('<table><tr><td>' * 100 + 'x')" >"$work/nested"
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 measure "100 nested tables (ASan)" "$(stat -c %s "$work/nested")" \
        "$fuzz" "$work/nested"
fi
