# Shared by the shell tests, the ones that run the real programs. Source it, call require_tools,
# then begin_work; the other functions use the folder `work` that begin_work makes.

# Exits 77 (skipped) when a tool the test needs is missing.
require_tools() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"; exit 77; }
  done
}

# A fresh folder `work` (its path free of symbolic links, as programs report their own), removed
# on exit after the processes `app_pid`, `xvfb_pid` and `extra_pids` are ended; the exit status
# is kept.
begin_work() {
  work=$(cd "$(mktemp -d)" && pwd -P)
  xvfb_pid= app_pid= extra_pids=
  trap end_work EXIT
}

end_work() {
  local status=$?
  # There is no window manager to take alt+F4: the window is ended by its process id.
  for pid in $app_pid $extra_pids $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
  exit "$status"
}

# Ends the test as failed, with every non-empty log of `work`.
fail() {
  echo "FAIL: $*"
  for log in "$work"/*.log; do [ -s "$log" ] && { echo "--- $log"; cat "$log"; }; done
  exit 1
}

# Puts a recording xdg-open first in PATH: every URL handed to it is appended to $requests.
# Nothing of the caller's desktop may choose another way to open a URL.
record_opened_urls() {
  unset DBUS_SESSION_BUS_ADDRESS BROWSER XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
  requests="$work/requests.txt"
  mkdir -p "$work/bin"
  cat > "$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >> "$requests"
SCRIPT
  chmod +x "$work/bin/xdg-open"
  PATH="$work/bin:$PATH"
}

# Starts Xvfb, sets DISPLAY and xvfb_pid; the caller's cleanup ends it.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  # Whatever starts from here on is on this display, as on a desktop: also a program that a
  # desktop entry starts (the test runner's own offscreen platform must not reach it).
  export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
}

# Waits up to five seconds for the first request in $requests, then a moment more: a second,
# wrong one would show up by then.
wait_for_opened_urls() {
  for _ in $(seq 50); do [ -s "$requests" ] && break; sleep 0.1; done
  [ -s "$requests" ] || fail "xdg-open was not called"
  sleep 0.3
}

# For the tests of the window: needs Xvfb and xdotool, begins the work folder and points the
# per-user folders into it, so that the programs find their register there.
begin_window_test() {
  require_tools Xvfb xdotool
  begin_work
  export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" XDG_CACHE_HOME="$work/cache"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
}

# Registers a site through the command-line program `cli`: add_site --name N --url U ...
add_site() {
  "$cli" add "$@" >/dev/null
}

# Starts the window program $1 on the display, as on a bare machine with no locale, sets app_pid,
# and gives the window the keyboard: there is no window manager to give it.
start_window_without_locale() {
  QT_QPA_PLATFORM=xcb env -u LANG -u LC_ALL -u LC_CTYPE -u LANGUAGE "$1" >"$work/app.log" 2>&1 &
  app_pid=$!
  local window
  window=$(timeout 10 xdotool search --sync --onlyvisible --name "サイト管理" | head -n 1) || fail "no window appeared"
  xdotool windowfocus --sync "$window"
  for _ in $(seq 50); do [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && break; sleep 0.1; done
}
