#!/usr/bin/env bash
# End to end through the accessibility bus: the real sitekanri on a virtual X display, with a
# private session bus and the AT-SPI bus beside it, is driven by atspi_SCENARIO.py (controls found
# by their names, keys typed); the register files are then read back with sitekanri-cli.
# Skipped (77) with the reason when the bus or the Python bindings cannot be had.
#   atspi_test.sh SITEKANRI SITEKANRI_CLI [register|keywords]
set -euo pipefail
app=$1
cli=$2
scenario=${3:-register}
here=$(dirname "$0")

. "$here/../support/shell_test.sh"
require_tools dbus-daemon dbus-send
# Debian's bindings, whichever python3 comes first in PATH.
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || { echo "SKIP: $launcher is missing (at-spi2-core)"; exit 77; }
"$python" -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

begin_window_test
case $scenario in
  register)
    add_site --name "消す予定" --url "http://gone.example.jp/"
    expected=$(printf '読む友\thttp://a11y.example.jp/new\ta\tb\t\tr2')
    done="registered, changed and deleted by name and keys; the register holds the changed site alone" ;;
  keywords)
    add_site --name "一" --url "http://1.example.jp/" --keyword1 english --keyword2 News --keyword3 English
    add_site --name "二" --url "http://2.example.jp/" --keyword1 english
    add_site --name "三" --url "http://3.example.jp/"
    expected=$(printf '一\thttp://1.example.jp/\tEnglish\tNews\t\t\n二\thttp://2.example.jp/\tEnglish\t\t\t\n三\thttp://3.example.jp/\t\t\t\t')
    done="the keyword view read, narrowed, english merged into English, the list narrowed and cleared, a keyword set and taken back, by name and keys" ;;
esac

start_xvfb
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
bus_pid=
eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | {
  read -r address; read -r pid; echo "export DBUS_SESSION_BUS_ADDRESS='$address'; bus_pid=$pid"; })"
[ -n "$bus_pid" ] || { echo "SKIP: no private session bus could be started"; exit 77; }
extra_pids=$bus_pid
"$launcher" --launch-immediately >"$work/atspi.log" 2>&1 &
extra_pids="$! $extra_pids"
for _ in $(seq 50); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 && break
  sleep 0.1
done
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 \
  || { echo "SKIP: the accessibility bus did not start"; cat "$work/atspi.log"; exit 77; }

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_window_without_locale "$app"
window=$(xdotool search --onlyvisible --name "サイト管理" | head -n 1)

SITEKANRI_WINDOW=$window "$python" "$here/atspi_$scenario.py" >"$work/driver.log" 2>&1 || fail "the driver stopped"
# Closing saves the register; the process ends once it is written.
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the window did not close on Ctrl+Q"
app_pid=

actual=$("$cli" list)
[ "$actual" = "$expected" ] || fail "register holds:
$actual
expected:
$expected"
cat "$work/driver.log"
echo "PASS: $done"
