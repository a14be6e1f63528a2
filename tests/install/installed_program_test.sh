#!/usr/bin/env bash
# Installs the build into a temporary folder (DESTDIR), makes the installed
# tree read-only (a read-only bind mount where this runs as root, since root
# writes through file modes), and runs the installed obx there: the demo's
# virtual scanner is registered, a manager runs, a press of "Storage" (5)
# writes its PDF, the registration and the clean-up run. Everything written
# must land in the temporary home; nothing in the installed tree may change.
#
#   installed_program_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

if [ "${1:-}" = --scenario ]; then
  dest=$2 work=$3
  program=$dest/usr/lib/ostrel
  obx=$dest/usr/bin/obx
  export HOME=$work/home APPDATA=$work/appdata OSTREL_REGISTRY=$work/registry XDG_RUNTIME_DIR=$work/runtime
  export OSTREL_SCANBD_DIR=$work/scanbd QT_QPA_PLATFORM=offscreen
  unset XDG_DATA_HOME XDG_CONFIG_HOME
  mkdir -p "$HOME" "$APPDATA" "$OSTREL_REGISTRY" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  log() { cat "$APPDATA"/Ostrel/OBX-*.log 2>/dev/null || true; }
  fail() {
    echo "FAILED: $*" >&2
    echo "--- activity log:" >&2
    log | sed 's/\r$//' >&2
    exit 1
  }
  wait_for_log() {
    for _ in $(seq 600); do
      if log | grep -qF -- "$1"; then return 0; fi
      sleep 0.1
    done
    fail "the activity log never said \"$1\""
  }

  if touch "$program/.write-probe" 2>/dev/null; then fail "$program is writable"; fi

  device=usb:04c5:0d30
  "$program/ostrel-device" add-virtual "$device" "Demo Scanner" --duplex --generate 6 --blank 3 --barcode 5=INV-2041 \
    || fail "ostrel-device could not register the demo scanner"
  "$obx" "/StiDevice:$device /StiEvent:{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}" &
  manager=$!
  trap 'kill $manager 2>/dev/null || true' EXIT
  wait_for_log "Load OBX button profile."
  "$obx" "/StiDevice:$device" "/StiEvent:{2f596c84-76ec-11da-aafd-0050ba1aca6f}"
  wait_for_log "Button 5 finished its scan job"

  pdfs=$(find "$HOME/Documents/Ostrel" -name '*.pdf' 2>/dev/null)
  [ "$(echo "$pdfs" | grep -c .)" = 1 ] || fail "expected one PDF under ~/Documents/Ostrel, found: $pdfs"
  pages=$(pdfinfo "$pdfs" | awk '/^Pages:/ { print $2 }')
  [ "$pages" = 3 ] || fail "the PDF has $pages pages, not 3"
  for file in ButtonSetting.ini ScanSetting.ini ApplicationSetting.ini; do
    [ -s "$APPDATA/Ostrel/Demo Scanner/$file" ] || fail "the profile file $file was not made in the user's folder"
  done

  # The registration for the user's logins, then the clean-up that closes the
  # running manager.
  "$obx" "/ProductCode:" || fail "obx /ProductCode: failed"
  grep -qxF "Exec=$program/OBX" "$HOME/.config/autostart/ostrel.desktop" || fail "no autostart entry for $program/OBX"
  "$obx" -closeobx || fail "obx -closeobx failed"
  for _ in $(seq 100); do kill -0 "$manager" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$manager" 2>/dev/null; then fail "the manager still runs after obx -closeobx"; fi
  [ ! -e "$HOME/.config/autostart/ostrel.desktop" ] || fail "the autostart entry stayed"
  echo "The installed obx ran from its read-only folder: one 3-page PDF, profiles, autostart entry, clean-up."
  exit 0
fi

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrel-installed-XXXXXX")
dest=$work/dest
cleanup() {
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
# The demo draws its sheets with a test tool that never ships.
DESTDIR=$dest cmake --install "$build" --prefix /usr --component demo-tools >/dev/null

for file in usr/lib/ostrel/OBX usr/lib/ostrel/ostrel-device usr/lib/ostrel/libostreldsm.so \
  usr/lib/ostrel/Template/ResourceSetting.ini usr/share/applications/ostrel-configuration.desktop \
  usr/share/icons/hicolor/48x48/apps/ostrel.png usr/share/icons/hicolor/256x256/apps/ostrel.png \
  etc/xdg/autostart/ostrel.desktop; do
  [ -f "$dest/$file" ] || { echo "FAILED: $file is not installed" >&2; exit 1; }
done
# The templates of the source tree, not what a run in build/bin wrote there.
diff -r "$source/Template" "$dest/usr/lib/ostrel/Template" >&2 || { echo "FAILED: the installed templates differ from Template/" >&2; exit 1; }
[ "$(readlink "$dest/usr/bin/obx")" = ../lib/ostrel/OBX ] || { echo "FAILED: usr/bin/obx is not a link to ../lib/ostrel/OBX" >&2; exit 1; }

chmod -R a-w "$dest"
listing() { (cd "$dest" && find . -printf '%p %s %T@ %m\n' | sort); }
before=$(listing)
if [ "$(id -u)" = 0 ]; then
  # shellcheck disable=SC2016
  unshare --mount bash -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && exec "$0" --scenario "$1" "$2"' \
    "$0" "$dest" "$work"
else
  "$0" --scenario "$dest" "$work"
fi
after=$(listing)
if [ "$before" != "$after" ]; then
  echo "FAILED: the installed tree changed:" >&2
  diff <(echo "$before") <(echo "$after") >&2 || true
  exit 1
fi
