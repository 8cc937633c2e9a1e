#!/usr/bin/env bash
# Pictures of the real program in an Xvfb server: types a folder and a
# search text, clicks "Trova" and captures what it shows:
#   (no mode)     the window with the sample project's hits listed:
#                 docs/screenshot.png
#   --long-rows   hits whose paths are wider than the list, each shortened
#                 with its file name whole: docs/screenshot-long-rows.png
#   --details     a search that meets files it may not read, deep in an
#                 archive: the box with its details unfolded (run as nobody
#                 when root, whom no permission stops):
#                 docs/screenshot-details.png
# Needs xvfb, xdotool and imagemagick (for "import").
# Usage: scripts/screenshot.sh [--long-rows | --details] [OUTPUT.png]
#   (BUILD_DIR picks the build)
set -euo pipefail
cd "$(dirname "$0")/.."

mode=window
case "${1:-}" in
  --long-rows | --details) mode=${1#--}; shift ;;
  -*) echo "usage: $0 [--long-rows | --details] [OUTPUT.png]" >&2; exit 2 ;;
esac
case "$mode" in
  window) output=${1:-docs/screenshot.png} ;;
  *) output=${1:-docs/screenshot-$mode.png} ;;
esac
BUILD_DIR=${BUILD_DIR:-build-run}
scripts/deps.sh build screenshot
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBRENVO1_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" -j2 --target brenvo1 >/dev/null

# A short, readable path for the picture; removed again at the end.
base=/tmp/brenvo1-screenshot
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work" "$base"
}
trap cleanup EXIT

rm -rf "$base"
source scripts/sample_project.sh
project=$(sample_project "$base")
# Folders with long names, as an office's archive has them.
archive="$base/Archivio clienti 2019-2024"
long="$archive/Contratti di manutenzione ordinaria/Documentazione tecnica allegata"
mkdir -p "$long"
printf "' Verbale del cliente\n" >"$long/Relazione finale del collaudo.txt"
printf "' Preventivo per il cliente\n" >"$long/Preventivo.bas"
printf "' Cliente\n" >"$archive/Riepilogo.txt"
run_as=()
if [ "$mode" = details ]; then
  chmod 0 "$long/Relazione finale del collaudo.txt" "$long/Preventivo.bas"
  [ "$(id -u)" -ne 0 ] || run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

exec {display_fd}>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec {display_fd}>&-
for ((i = 0; i < 100; i++)); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "screenshot.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

"${run_as[@]}" "$BUILD_DIR/window/qt/brenvo1" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Scandilo$' | head -n1)

type_into() {
  xdotool mousemove --window "$window" "$1" "$2" click 1
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 15 -- "$3"
}
type_into 100 20 "$([ "$mode" = window ] && echo "$project" || echo "$archive")"
type_into 100 52 "cliente"
xdotool mousemove --window "$window" 412 52 click 1
# Select the second hit, then move the pointer out of the way.
xdotool mousemove --window "$window" 120 104 click 1
xdotool mousemove 1000 740
sleep 1
if [ "$mode" = details ]; then
  # The box's details unfolded: their button comes before OK.
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Brenvo1$' | head -n1)
  xdotool windowfocus --sync "$window" key shift+Tab space
  sleep 1
fi

mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "screenshot.sh: wrote $output"
