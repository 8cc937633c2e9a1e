#!/usr/bin/env bash
# Makes docs/screenshot-windows.png from the real brenvo1.exe under Wine, in
# a Wine desktop of its own inside an Xvfb server, where Wine draws the
# window's frame and controls in the Windows style: types a folder and a
# search text, clicks "Trova", selects a hit and captures the window.
# Run scripts/package-windows.sh first (it builds the program and the
# probe that finds the controls). Needs xvfb, xdotool and imagemagick.
# Usage: scripts/screenshot-windows.sh [OUTPUT.png]    (BUILD_DIR picks the build)
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-docs/screenshot-windows.png}
BUILD_DIR=$(realpath "${BUILD_DIR:-build-windows}")
scripts/deps.sh windows screenshot
program="$BUILD_DIR/window/win32/brenvo1.exe"
probe_exe="$BUILD_DIR/tests/windows/brenvo1_window_probe.exe"
[ -f "$program" ] && [ -f "$probe_exe" ] || { echo "screenshot-windows.sh: run scripts/package-windows.sh first" >&2; exit 1; }

export WINEPREFIX="$BUILD_DIR/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source tests/x_session.sh
source scripts/sample_project.sh
work=$(mktemp -d)
# On drive C: of the prefix, for a short Windows path in the picture.
base="$WINEPREFIX/drive_c/Esempio"
# Wine's virtual desktop for every program of the prefix (the probe must
# share the window's desktop to find it), undone at the end.
desktop_key='HKCU\Software\Wine\Explorer'
cleanup() {
  wine reg delete "$desktop_key" /v Desktop /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  x_session_stop
  rm -rf "$work" "$base"
}
trap cleanup EXIT
wineserver -k 2>/dev/null || true
rm -rf "$base"
sample_project "$base" >/dev/null

x_session_start "$work"
wine reg add "$desktop_key" /v Desktop /d Default /f >/dev/null 2>&1
wine reg add "$desktop_key\Desktops" /v Default /d 640x640 /f >/dev/null 2>&1
# The desktop process reads them when it starts: the one reg started goes.
wineserver -k
wineserver -w
wine "$program" </dev/null >"$work/app.log" 2>&1 &
probe() { wine "$probe_exe" "$@" </dev/null | tr -d '\r'; }
wait_for probe client-size >/dev/null 2>&1 || { echo "screenshot-windows.sh: no window" >&2; exit 1; }
click() {
  local x y
  read -r x y < <(probe center "$1")
  xdotool mousemove "$x" "$y" click 1
  sleep 0.3
}
click txtPercorso
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 -- 'C:\Esempio\Lavori'
click txtTesto
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 -- cliente
click Command1
sleep 2
# The second hit selected, the pointer out of the picture.
read -r x y < <(probe center row1)
xdotool mousemove "$x" "$y" click 1 mousemove 630 630
sleep 1

read -r left top width height < <(probe frame)
mkdir -p "$(dirname "$output")"
import -window root -crop "${width}x${height}+${left}+${top}" +repage "$output"
echo "screenshot-windows.sh: wrote $output"
