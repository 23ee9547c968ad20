#!/usr/bin/env bash
# A sitekanri: link opened with xdg-open, as a browser hands it over, through the desktop entry
# installed in a prefix of the test's own (its own XDG data folders, update-desktop-database run
# there): a good link fills the running window's fields with nothing saved and the focus on the
# name, where Enter saves nothing, so that 新しく登録 (Ctrl+Return) registers exactly what the link
# carried. (A bad link's way into the running window, its reason and failed status: the window
# process test and the site-link table.)
#   browser_link_test.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 id=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/shell_test.sh"
require_tools xdg-open xdg-mime update-desktop-database
begin_window_test
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "cmake --install failed"
update-desktop-database "$prefix/share/applications" >"$work/update.log" 2>&1 || fail "update-desktop-database failed"
# Only the test's own desktop entries, and no desktop environment to ask instead.
unset DBUS_SESSION_BUS_ADDRESS BROWSER XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
export XDG_DATA_DIRS="$prefix/share" PATH="$prefix/bin:$PATH" HOME="$work/home"
mkdir -p "$HOME"
handler=$(xdg-mime query default x-scheme-handler/sitekanri)
[ "$handler" = "$id.desktop" ] || fail "x-scheme-handler/sitekanri opens with '$handler'"
cli="$prefix/bin/sitekanri-cli"
add_site --name "前からあるサイト" --url "http://old.example.jp/"

start_xvfb
start_window_without_locale "$prefix/bin/sitekanri"
window=$(xdotool search --onlyvisible --name "サイト管理" | head -n 1)

link='sitekanri:add?url=https%3A%2F%2Fnews.example.jp%2Fa%3Fb%3D1&name=%E9%80%9F%E5%A0%B1%20%3Cb%3E%26&content=%E9%81%B8%E3%82%93%E3%81%A0%0A%E6%96%87'
timeout 20 xdg-open "$link" >"$work/open.log" 2>&1 || fail "xdg-open failed"
# (Had Enter or the link saved the site, Ctrl+Return would ask about the URL registered twice: that
# question would be open beside the window half a second later.)
xdotool windowfocus --sync "$window" key Return ctrl+Return
for _ in $(seq 50); do [ "$("$cli" list | wc -l)" = 2 ] && break; sleep 0.1; done
expected=$(printf '速報 &lt;b&gt;&amp;\thttps://news.example.jp/a?b=1\t\t\t\t選んだ 文')
actual=$("$cli" list | tail -n 1)
[ "$actual" = "$expected" ] || fail "新しく登録 registered '$actual', expected '$expected'"
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name "サイト管理" | grep -vx "$window")" ] || fail "a window beside the main one is left open"
echo "PASS: the link filled the running window, Ctrl+Return registered it"
