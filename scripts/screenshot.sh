#!/usr/bin/env bash
# Renders the real window on a virtual X display, with a temporary register of a few Japanese
# sites, and saves one PNG per tab: OUT.png (registration page) and OUT-1.png (link page).
#   scripts/screenshot.sh [OUT.png]        default: build/screenshot/sitekanri.png
# MORE_SITES=N adds N numbered sites (a list longer than its window); WINDOW_SIZE=WxH opens the
# window at that size, as remembered from an earlier run; MAXIMISED=1 opens it maximised (as
# remembered); SCREEN_SIZE=WxH is the virtual screen's size (default 1024x768); QT_SCALE_FACTOR=2
# renders at twice the scale.
# DATE_COLUMNS=1 shows the list's 登録日 and 更新日 columns (as chosen in an earlier run).
# SITEKANRI_SCREENSHOT_SEARCH=text shows the list searched for text. PUBLISH=1 puts two marked
# pages (one of them refused) and a page of our own on the list of pages, with an SFTP server to
# send them to (never contacted), and saves 公開's plan of them as OUT-publish.png, ページの設定 as
# OUT-pages.png and the server's settings (アップロード先…) as OUT-server.png.
# BUILD_DIR (default build/release) is configured and built with the release preset if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshot/sitekanri.png}")
build_dir=${BUILD_DIR:-build/release}

if [ ! -x "$build_dir/app/sitekanri" ] || [ ! -x "$build_dir/cli/sitekanri-cli" ]; then
  [ -f "$build_dir/CMakeCache.txt" ] || cmake --preset release -B "$build_dir" >/dev/null
  cmake --build "$build_dir" --target sitekanri sitekanri-cli
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The window finds its register in the per-user data folder: point that at the temporary one.
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
register="$XDG_DATA_HOME/sitekanri"
add() { "$build_dir/cli/sitekanri-cli" --dir "$register" add "$@" >/dev/null; }
add --name "ヴァントレル" --url "http://www.vantrell.example.jp/" --keyword1 "ソフト" --content "作者のホームページ"
add --name "毎日ニュース" --url "https://news.example.jp/" --keyword1 "ﾆｭｰｽ" --keyword2 "毎日" --content "国内と海外のニュース"
add --name "京都の寺社めぐり" --url "http://kyoto-tera.example.jp/" --keyword1 "旅行" --keyword2 "写真" --keyword3 "京都" --content "写真で見る古都の四季"
add --name "料理の基本" --url "https://ryouri.example.jp/kihon/" --keyword1 "料理" --content "だしの取り方から"
add --name "Qt 日本語ドキュメント" --url "https://doc.example.jp/qt6/" --keyword1 "ソフト" --keyword2 "技術"
for ((i = 1; i <= ${MORE_SITES:-0}; ++i)); do
  add --name "サイト $i" --url "https://site$i.example.jp/" --keyword1 "番号" --content "$i 番目のサイト"
done
if [ -n "${WINDOW_SIZE:-}" ] || [ -n "${MAXIMISED:-}" ]; then
  mkdir -p "$XDG_CONFIG_HOME/sitekanri"
  {
    printf '[window]\nposition=@Point(0 0)\n'
    [ -z "${WINDOW_SIZE:-}" ] || printf 'size=@Size(%s %s)\n' "${WINDOW_SIZE%x*}" "${WINDOW_SIZE#*x}"
    [ -z "${MAXIMISED:-}" ] || printf 'maximised=true\n'
  } >"$XDG_CONFIG_HOME/sitekanri/window.ini"
fi
if [ -n "${DATE_COLUMNS:-}" ]; then
  mkdir -p "$XDG_CONFIG_HOME/sitekanri"
  printf '[list]\ndateColumns=6, 7\n' >>"$XDG_CONFIG_HOME/sitekanri/window.ini"
fi

if [ -n "${PUBLISH:-}" ]; then
  site="$work/site"
  mkdir -p "$site" "$XDG_CONFIG_HOME/sitekanri"
  printf '<!DOCTYPE html>\n<meta charset="utf-8">\n<!-- sitekanri keyword="ソフト" -->\n<!-- /sitekanri -->\n' >"$site/soft.html"
  printf '<p>\n<!-- sitekanri mode="table" -->\n<!-- /sitekanri -->\n' >"$site/broken.html"
  {
    printf '[registers]\nsize=1\n1\\folder=%s\n1\\pages\\size=3\n' "$register"
    printf '1\\pages\\1\\path=%s\n1\\pages\\2\\path=%s\n' "$site/soft.html" "$site/broken.html"
    printf '1\\pages\\3\\kind=own\n1\\pages\\3\\path=%s\n1\\pages\\3\\title=リンク集\n' "$site/links.html"
    printf '1\\server=自分のサイト\n'
  } >"$XDG_CONFIG_HOME/sitekanri/publishing.ini"
  {
    printf '[servers]\nsize=1\n1\\name=自分のサイト\n1\\protocol=sftp\n1\\host=www.example.jp\n1\\port=0\n'
    printf '1\\user=taro\n1\\folder=~/public_html\n1\\siteFolder=%s\n1\\login=keyfile\n' "$site"
    printf '1\\keyFile=%s\n' "$HOME/.ssh/id_ed25519"
  } >"$XDG_CONFIG_HOME/sitekanri/upload.ini"
fi

mkdir -p "$(dirname "$out")"
rm -f "$out" "${out%.png}-1.png"
SITEKANRI_SCREENSHOT="$out" xvfb-run -a -s "-screen 0 ${SCREEN_SIZE:-1024x768}x24 -dpi 96" "$build_dir/app/sitekanri"
ls -l "$out" "${out%.png}-1.png" ${PUBLISH:+"${out%.png}-publish.png" "${out%.png}-pages.png" "${out%.png}-server.png"}
