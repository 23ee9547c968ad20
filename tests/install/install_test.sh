#!/usr/bin/env bash
# The installed program as a user meets it and its Debian package as a packager does.
#   install_test.sh BUILD_DIR APP_ID VERSION MODE
# MODE programs: `cmake --install` into a temporary prefix gives exactly installed-files.txt; the
#                installed sitekanri-cli lists a small register and the installed window starts
#                (offscreen, screenshot mode) and, without a display, says its version.
#      validate: the installed desktop entry and AppStream metadata pass their validators.
#      desktop:  on a virtual X display the window's class is the desktop entry's, and its banner
#                opens the installed help page.
#      package:  cpack -G DEB makes sitekanri_VERSION_ARCH.deb of exactly those files under usr/,
#                with library dependencies computed from the programs.
set -euo pipefail
build=$1 id=$2 version=$3 mode=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/shell_test.sh"
case $mode in
  programs) require_tools file ;;
  validate) require_tools desktop-file-validate appstreamcli ;;
  desktop) require_tools Xvfb xdotool xprop ;;
  package) require_tools cpack dpkg-deb dpkg-shlibdeps ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac

begin_work

# The file names on stdin must be exactly those of installed-files.txt.
check_file_list() {
  for size in 16 22 24 32 48 64 128 256; do
    grep -v '^#' "$here/installed-files.txt" | sed "s/APP_ID/$id/; s/SIZE/${size}x$size/"
  done | sort -u >"$work/expected.txt"
  sort | diff -u "$work/expected.txt" - >"$work/files.log" || fail "$1: files differ (- missing, + unexpected)"
}

if [ "$mode" = package ]; then
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || fail "cpack failed"
  deb="$work/sitekanri_${version}_$(dpkg --print-architecture).deb"
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | check_file_list "the package"
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    [[ ", $depends," =~ ", $library (>= "[^\)]*")," ]] || fail "Depends lacks a versioned $library: $depends"
  done
  echo "PASS: $(basename "$deb"), Depends: $depends"
  exit 0
fi

export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 -p "$HOME" "$XDG_RUNTIME_DIR"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "cmake --install failed"
desktop_file="$prefix/share/applications/$id.desktop"

if [ "$mode" = programs ]; then
  (cd "$prefix" && find . -type f | sed 's|^\./||') | check_file_list "cmake --install"
  cli="$prefix/bin/sitekanri-cli"
  "$cli" --dir "$work/register" add --name "日本語のサイト" --url "https://example.jp/" --keyword1 "旅行" \
    >"$work/cli.log" 2>&1 || fail "installed sitekanri-cli add failed"
  listed=$("$cli" --dir "$work/register" list 2>>"$work/cli.log") || fail "installed sitekanri-cli list failed"
  [ "$listed" = "$(printf '日本語のサイト\thttps://example.jp/\t旅行\t\t\t')" ] || fail "sitekanri-cli list printed '$listed'"
  QT_QPA_PLATFORM=offscreen SITEKANRI_SCREENSHOT="$work/shot.png" "$prefix/bin/sitekanri" >"$work/window.log" 2>&1 ||
    fail "the installed window did not start"
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/sitekanri" --version 2>>"$work/window.log") ||
    fail "without a display the window failed on --version"
  [[ $version == "サイト管理 sitekanri "* ]] || fail "without a display the window said '$version' to --version"
  file -b "$work/shot.png" "$work/shot-1.png" | grep -c "^PNG image data" | grep -qx 2 || fail "no screenshot of each tab"
  echo "PASS: installed files, sitekanri-cli list, the window in screenshot mode and its --version"
elif [ "$mode" = validate ]; then
  # Warnings count as failures: a desktop shows a warned-about entry wrongly or not at all.
  desktop-file-validate "$desktop_file" >"$work/desktop-file-validate.log" 2>&1 || fail "desktop-file-validate failed"
  [ ! -s "$work/desktop-file-validate.log" ] || fail "desktop-file-validate warned"
  # The whole tree: the metadata, and the desktop entry its launchable names.
  appstreamcli validate-tree --no-net "$prefix" >"$work/appstreamcli.log" 2>&1 || fail "appstreamcli validate-tree failed"
  echo "PASS: desktop-file-validate and appstreamcli validate-tree --no-net"
else
  record_opened_urls
  start_xvfb
  QT_QPA_PLATFORM=xcb "$prefix/bin/sitekanri" >"$work/app.log" 2>&1 &
  app_pid=$!
  window=$(timeout 10 xdotool search --sync --onlyvisible --name "サイト管理" | head -n 1) || fail "no window appeared"
  # The desktop matches a window to its entry by the class part of WM_CLASS (the second string).
  class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
  entry_class=$(sed -n 's/^StartupWMClass=//p' "$desktop_file")
  [ -n "$class" ] && [ "$class" = "$entry_class" ] || fail "window class '$class', desktop entry '$entry_class'"
  xdotool mousemove --window "$window" 150 50 click 1
  wait_for_opened_urls
  expected="file://$prefix/share/sitekanri/help/index.html"
  [ "$(cat "$requests")" = "$expected" ] || fail "xdg-open got '$(cat "$requests")', expected '$expected' once"
  echo "PASS: window class $class; the banner opened $expected"
fi
