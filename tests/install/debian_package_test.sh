#!/usr/bin/env bash
# Builds the .deb with CPack into a temporary folder and checks what it holds:
# the program's folder under /usr/lib/ostrel, the obx link, the desktop entry,
# the icons and the autostart entry, no test tool; and dependencies that are
# Debian package names.
#
#   debian_package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrel-deb-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb=$(find "$work/out" -maxdepth 1 -name 'ostrel_*.deb')
[ -n "$deb" ] || fail "no ostrel_*.deb was made"
contents=$(dpkg-deb --contents "$deb")
echo "$contents"

for path in ./usr/lib/ostrel/OBX ./usr/lib/ostrel/libZeltsvc.so ./usr/lib/ostrel/libostreldsm.so \
  ./usr/lib/ostrel/libnvdriver.so ./usr/lib/ostrel/libsanedriver.so ./usr/lib/ostrel/ostrel-device \
  ./usr/lib/ostrel/Template/ResourceSetting.ini ./usr/lib/ostrel/Template/ScanSetting.ini \
  ./usr/lib/ostrel/Template/ButtonSetting.ini ./usr/share/applications/ostrel-configuration.desktop \
  ./usr/share/icons/hicolor/16x16/apps/ostrel.png ./usr/share/icons/hicolor/256x256/apps/ostrel.png \
  ./etc/xdg/autostart/ostrel.desktop; do
  echo "$contents" | awk '{ print $6 }' | grep -qxF "$path" || fail "the package lacks $path"
done
echo "$contents" | grep -qE ' \./usr/bin/obx -> \.\./lib/ostrel/OBX$' || fail "the package lacks the link usr/bin/obx"
if echo "$contents" | grep -qE 'libostrelsheets|fakefaxd|pagegen|ostrel-icons'; then
  fail "the package carries a test tool"
fi

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for package in libqt6widgets6 libsane1 libtesseract5 xdg-utils qt6-qpa-plugins; do
  echo "$depends" | grep -qE "(^|, )$package( |,|$)" || fail "Depends lacks $package"
done
# Every dependency is a Debian package name, with an optional version.
echo "$depends" | tr ',' '\n' | sed 's/^ *//' | grep -vqE '^[a-z0-9][a-z0-9.+-]+( \([<>=]+ [^)]+\))?( \| .*)?$' \
  && fail "a dependency is not a Debian package name: $depends"
dpkg-deb --field "$deb" Package Version Architecture
