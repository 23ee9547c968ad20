#!/usr/bin/env bash
# Installs the Debian packages this project needs to build, test and run, and only those
# that are missing. Works on a minimal Debian 12 with nothing but apt: as root directly,
# otherwise through sudo.
set -euo pipefail

packages=(
  # toolchain and build
  g++ make cmake ninja-build pkg-config git ca-certificates
  # Qt 6 and its Japanese translation of the standard dialogs
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev hyperfine
  # an HTML parser independent of ours, to read exported bookmark files; an HTML5 parser and a
  # validator for the published pages; a feed parser for the published Atom feed
  python3 python3-html5lib python3-feedparser tidy
  # Japanese font for the window, a font for the Cyrillic and Greek it has only full-width, and a
  # display for looking at it
  fonts-ipafont-gothic fonts-dejavu-core xvfb xauth x11-apps imagemagick
  # typing into the real window in the end-to-end test; reading its window class
  xdotool x11-utils
  # the accessibility bus the screen-reader test reads the window through
  dbus dbus-x11 at-spi2-core python3-pyatspi
  # checking the installed desktop files and building the Debian package (cpack comes with cmake)
  desktop-file-utils appstream dpkg-dev file
  # the profile-function oracle (Windows profile API under Wine) and its helpers
  wine wine64 gcc-mingw-w64-x86-64 locales perl libc-bin
  # the durability test records the register's file-system calls
  strace
  # fault trials (bind mounts, dropping root) and the fuzzer
  util-linux mount clang libclang-rt-14-dev
  # two computers sharing one register through a real sync tool (loopback only)
  syncthing
  # published pages, the bookmarklet and hostile imports rendered by a real browser (headless, no network)
  chromium
  # the link check and title fetch through a real proxy, and an offline network made for a test
  tinyproxy iproute2
  # uploading the published pages (SFTP through libssh2, FTPS through OpenSSL) and keeping their
  # secrets in the desktop's secret store
  libcurl4-openssl-dev libssl-dev qtkeychain-qt6-dev
  # the servers and the secret store the upload tests start on 127.0.0.1 and in a D-Bus session of
  # their own
  openssh-server openssh-client python3-pyftpdlib python3-openssl openssl gnome-keyring libsecret-tools
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=(sudo); else
    echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
