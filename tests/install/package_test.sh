#!/usr/bin/env bash
# Builds the Debian package with cpack and checks what a packager would: exactly the installed
# files under usr/, the name and version, library dependencies computed from the programs, and
# the recommended run-time helpers.
#   package_test.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1
id=$2
version=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
. "$here/../support/shell_test.sh"
require_tools cpack dpkg-deb dpkg-shlibdeps

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || fail "cpack failed"
deb="$work/sitekanri_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") made"

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | check_file_list "$id" "the package"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = sitekanri ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ ", $depends," =~ ", $library (>= "[^\)]*")," ]] || fail "Depends lacks a versioned $library: $depends"
done
recommends=$(field Recommends)
for package in fonts-ipafont-gothic qt6-translations-l10n xdg-utils; do
  [[ ", $recommends," == *", $package,"* ]] || fail "Recommends lacks $package: $recommends"
done
echo "PASS: $(basename "$deb"): files, Depends: $depends"
