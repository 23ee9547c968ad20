#!/usr/bin/env bash
# Installs the build with `cmake --install` into a temporary prefix, as a user would, and runs
# the installed programs from there.
#   install_test.sh BUILD_DIR APP_ID programs   the files, the command-line program on a small
#                                               register, the window in screenshot mode
#   install_test.sh BUILD_DIR APP_ID validate   the desktop entry and the AppStream metadata pass
#                                               their validators, without network
#   install_test.sh BUILD_DIR APP_ID desktop    the window on a virtual X display: its class is
#                                               the desktop entry's, its banner opens the
#                                               installed help page
set -euo pipefail
build=$1
id=$2
mode=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
. "$here/../support/shell_test.sh"
case $mode in
  programs) require_tools file ;;
  validate) require_tools desktop-file-validate appstreamcli ;;
  desktop) require_tools Xvfb xdotool xprop ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac

work=$(cd "$(mktemp -d)" && pwd -P)
xvfb_pid=
app_pid=
cleanup() {
  local status=$?
  for pid in $app_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 -p "$HOME" "$XDG_RUNTIME_DIR"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "cmake --install failed"
desktop_file="$prefix/share/applications/$id.desktop"

if [ "$mode" = programs ]; then
  (cd "$prefix" && find . -type f | sed 's|^\./||') | check_file_list "$id" "cmake --install"
  for png in "$prefix"/share/icons/hicolor/*/apps/"$id".png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file -b "$png" | grep -q "^PNG image data, ${size/x/ x }," || fail "$png is not $size: $(file -b "$png")"
  done
  grep -qx "Icon=$id" "$desktop_file" || fail "the desktop entry names another icon than $id"

  cli="$prefix/bin/sitekanri-cli"
  "$cli" --dir "$work/register" add --name "日本語のサイト" --url "https://example.jp/" --keyword1 "旅行" \
    >"$work/cli.log" 2>&1 || fail "installed sitekanri-cli add failed"
  listed=$("$cli" --dir "$work/register" list 2>>"$work/cli.log") || fail "installed sitekanri-cli list failed"
  [ "$listed" = "$(printf '日本語のサイト\thttps://example.jp/\t旅行\t\t\t')" ] || fail "sitekanri-cli list printed '$listed'"

  QT_QPA_PLATFORM=offscreen SITEKANRI_SCREENSHOT="$work/shot.png" "$prefix/bin/sitekanri" >"$work/window.log" 2>&1 ||
    fail "the installed window did not start"
  for shot in shot.png shot-1.png; do
    file -b "$work/$shot" 2>/dev/null | grep -q "^PNG image data" || fail "the installed window left no $shot"
  done
  echo "PASS: installed files, sitekanri-cli list and the window in screenshot mode"
  exit 0
fi

if [ "$mode" = validate ]; then
  # Warnings count as failures: a desktop shows a warned-about entry wrongly or not at all.
  desktop-file-validate "$desktop_file" >"$work/desktop-file-validate.log" 2>&1 || fail "desktop-file-validate failed"
  [ ! -s "$work/desktop-file-validate.log" ] || fail "desktop-file-validate warned"
  # The whole tree: the metadata, and the desktop entry its launchable names.
  appstreamcli validate-tree --no-net "$prefix" >"$work/appstreamcli.log" 2>&1 || fail "appstreamcli validate-tree failed"
  echo "PASS: desktop-file-validate and appstreamcli validate-tree --no-net"
  exit 0
fi

record_opened_urls
start_xvfb
QT_QPA_PLATFORM=xcb "$prefix/bin/sitekanri" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name "サイト管理" | head -n 1) || fail "no window appeared"
# The desktop matches a window to its entry by the class part of WM_CLASS (the second string).
class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
entry_class=$(sed -n 's/^StartupWMClass=//p' "$desktop_file")
[ -n "$class" ] && [ "$class" = "$entry_class" ] || fail "window class '$class', desktop entry '$entry_class'"

# The banner opens the help page, found from the installed program's folder.
xdotool mousemove --window "$window" 150 50 click 1
wait_for_opened_urls
expected="file://$prefix/share/sitekanri/help/index.html"
[ "$(cat "$requests")" = "$expected" ] || fail "xdg-open got '$(cat "$requests")', expected '$expected' once"
echo "PASS: window class $class; the banner opened $expected"
