#!/usr/bin/env bash
# Builds the Debian package of this build tree, unpacks it into a temporary root, checks what
# it holds and starts the unpacked program with --simulate under Xvfb, where it must find its
# data below that root and connect the virtual mouse.
#   package_test.sh <build dir> <udev rule of the build>
# Exit 77 (skipped) when a tool it needs is not installed.
set -euo pipefail
build=$1
rule=$2

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
command -v dpkg-deb >/dev/null || skip "dpkg-deb is missing (package dpkg): no .deb can be built or unpacked"
command -v cpack >/dev/null || skip "cpack is missing (package cmake)"
command -v dpkg-shlibdeps >/dev/null || skip "dpkg-shlibdeps is missing (package dpkg-dev)"
command -v xvfb-run >/dev/null || skip "xvfb-run is missing (package xvfb): the program cannot be started"

tmp=$(mktemp -d)
pgid=
cleanup() {
  [ -n "$pgid" ] && kill -TERM -- "-$pgid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack could not build the package"; }
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}

# dpkg-shlibdeps found the libraries the program links.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libhidapi-hidraw0 libsqlite3-0 libudev1; do
  [[ ",$depends," == *", $lib "* || ",$depends," == *",$lib "* ]] || fail "Depends lacks $lib: $depends"
done

root=$tmp/root
dpkg-deb -x "$deb" "$root"
id=example.vexmouse.MouseCenter
for f in usr/bin/DeviceDriver usr/bin/mousectl usr/share/man/man1/mousectl.1.gz \
  usr/share/bash-completion/completions/mousectl usr/share/vex-mouse-center/config.xml \
  usr/share/vex-mouse-center/language/1033.lan usr/share/vex-mouse-center/language/2052.lan \
  usr/lib/udev/rules.d/70-vex-mouse-center.rules usr/share/applications/$id.desktop \
  usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/scalable/apps/$id.svg \
  usr/share/icons/hicolor/48x48/apps/$id.png usr/share/icons/hicolor/256x256/apps/$id.png; do
  [ -f "$root/$f" ] || fail "the package lacks /$f"
done
[ -x "$root/usr/bin/DeviceDriver" ] || fail "/usr/bin/DeviceDriver is not executable"
[ -x "$root/usr/bin/mousectl" ] || fail "/usr/bin/mousectl is not executable"
gzip -dc "$root/usr/share/man/man1/mousectl.1.gz" | grep -q '^\.TH MOUSECTL 1' || fail "mousectl's manual page"
bash -n "$root/usr/share/bash-completion/completions/mousectl" || fail "mousectl's completion script"
grep -q 'complete -F _mousectl mousectl' "$root/usr/share/bash-completion/completions/mousectl" ||
  fail "mousectl's completion is not registered"
[ -e "$root/usr/bin/config.xml" ] && fail "data beside /usr/bin/DeviceDriver"
cmp -s "$rule" "$root/usr/lib/udev/rules.d/70-vex-mouse-center.rules" ||
  fail "the packaged udev rule differs from the generated one"
grep -qx "Exec=DeviceDriver" "$root/usr/share/applications/$id.desktop" || fail "desktop entry Exec"
grep -qx "Icon=$id" "$root/usr/share/applications/$id.desktop" || fail "desktop entry Icon"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli rejects the metainfo file"
else
  echo "note: appstreamcli is missing (package appstream); metainfo not validated"
fi

# The unpacked program, in a home of its own, against the unpacked data.
mkdir -p "$tmp/home" "$tmp/run" "$tmp/xdg-runtime"
chmod 700 "$tmp/xdg-runtime"
cd "$tmp/run"
HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_DATA_HOME=$tmp/home/.local/share \
  XDG_RUNTIME_DIR=$tmp/xdg-runtime LANGUAGE= LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0 \
  setsid xvfb-run -a -s "-screen 0 1400x900x24" "$root/usr/bin/DeviceDriver" --simulate \
  >"$tmp/program.out" 2>&1 &
pgid=$!

data_line="Program data $root/usr/bin/../share/vex-mouse-center/"
connected_line="UpdateDeviceList, 2.4G "
# Polls the trace log the program writes into its working folder (the program runs in real
# time; the bound only keeps a broken start from hanging the run).
for _ in $(seq 600); do
  if logs=(VexMouse_*.log) && [ -f "${logs[0]}" ] && grep -aqF "$connected_line" "${logs[0]}"; then
    break
  fi
  kill -0 "$pgid" 2>/dev/null || { cat "$tmp/program.out"; fail "the program ended early"; }
  sleep 0.1
done
logs=(VexMouse_*.log)
[ -f "${logs[0]}" ] || { cat "$tmp/program.out"; fail "the program wrote no trace log"; }
grep -aqF "$data_line" "${logs[0]}" ||
  { cat "${logs[0]}"; fail "the program did not take its data from the unpacked package"; }
grep -aqF "$connected_line" "${logs[0]}" ||
  { cat "${logs[0]}" "$tmp/program.out"; fail "the virtual mouse did not connect"; }

# The command line beside the running window: its requests go to the window, which answers.
ctl() {
  HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_DATA_HOME=$tmp/home/.local/share \
    XDG_RUNTIME_DIR=$tmp/xdg-runtime LANGUAGE= LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0 \
    "$root/usr/bin/mousectl" "$@"
}
info=$(ctl info --json) || fail "mousectl info beside the window: $info"
[[ "$info" == *'"model":"K7 Mouse"'* ]] || fail "mousectl info: $info"
ctl dpi set 2 1600 || fail "mousectl dpi set beside the window"
levels=$(ctl dpi --json)
[[ "$levels" == *'{"level":2,"dpi":1600,'* && "$levels" == *'"active":2'* ]] ||
  fail "the window did not take mousectl's DPI: $levels"
set +e
ctl dpi set 2 1601 2>"$tmp/ctl.err"
code=$?
set -e
[ "$code" -eq 1 ] || fail "a DPI off the slider's steps exits $code"
[ "$(wc -l <"$tmp/ctl.err")" -eq 1 ] || fail "more than one error line: $(cat "$tmp/ctl.err")"
echo "package $(basename "$deb") builds, unpacks and runs"
