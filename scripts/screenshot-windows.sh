#!/usr/bin/env bash
# Pictures of the real brenvo1.exe under Wine, in a Wine desktop of its own
# inside an Xvfb server, where Wine draws the window's frame and controls in
# the Windows style, with the fonts of Wine's own (Tahoma, and Marlett for
# the caption buttons' symbols). Types a folder and a search text, clicks
# "Trova" and captures what it shows:
#   (no mode)        the window with the sample project's hits, one
#                    selected: docs/screenshot-windows.png, the README's
#   --long-rows      hits whose paths are wider than the list, the pointer
#                    resting on one until its tip shows
#   --unreadable N   a search that meets N files held open by another
#                    program, on a screen 860 pixels high: the box with its
#                    details unfolded (the whole screen)
#   --details        the box for two such files deep in an archive, its
#                    details unfolded: why, and each file name in sight:
#                    docs/screenshot-windows-details.png
# Run scripts/package-windows.sh first (it builds the program and the
# probe that finds the controls). Needs xvfb, xdotool, imagemagick and
# fonts-wine.
# Usage: scripts/screenshot-windows.sh [MODE] [OUTPUT.png]
#   BUILD_DIR picks the build (its probe and Wine prefix); PROGRAM another
#   brenvo1.exe to picture (one built from an earlier commit, say).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=window
count=0
case "${1:-}" in
  --long-rows) mode=long-rows; shift ;;
  --details) mode=details; shift ;;
  --unreadable)
    mode=unreadable
    count=${2:-}
    [[ $count =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 --unreadable N [OUTPUT.png]" >&2; exit 2; }
    shift 2
    ;;
  -*) echo "usage: $0 [--long-rows | --unreadable N | --details] [OUTPUT.png]" >&2; exit 2 ;;
esac
case "$mode" in
  window) output=${1:-docs/screenshot-windows.png} ;;
  details) output=${1:-docs/screenshot-windows-details.png} ;;
  *) output=${1:-/tmp/screenshot-windows-$mode.png} ;;
esac
output=$(realpath -m "$output")

BUILD_DIR=$(realpath "${BUILD_DIR:-build-windows}")
scripts/deps.sh windows screenshot
program=$(realpath "${PROGRAM:-$BUILD_DIR/window/win32/brenvo1.exe}")
probe_exe="$BUILD_DIR/tests/win32/brenvo1_window_probe.exe"
[ -f "$program" ] && [ -f "$probe_exe" ] || { echo "screenshot-windows.sh: run scripts/package-windows.sh first" >&2; exit 1; }
[ -f /usr/share/wine/fonts/marlett.ttf ] ||
  echo "screenshot-windows.sh: Wine's fonts (fonts-wine) are missing: the caption buttons show letters" >&2

export WINEPREFIX="$BUILD_DIR/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source scripts/wine_prefix.sh
source tests/x_session.sh
source scripts/sample_project.sh
work=$(mktemp -d)
# On drive C: of the prefix, for short Windows paths in the pictures.
base="$WINEPREFIX/drive_c/Esempio"
# Wine's virtual desktop for every program of the prefix (the probe must
# share the window's desktop to find it), undone at the end.
desktop_key='HKCU\Software\Wine\Explorer'
holder_pid=""
cleanup() {
  [ -z "$holder_pid" ] || kill "$holder_pid" 2>/dev/null || true
  wine reg delete "$desktop_key" /v Desktop /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  x_session_stop
  rm -rf "$work" "$base"
}
trap cleanup EXIT
wine_prefix_ready
wineserver -k 2>/dev/null || true
rm -rf "$base"
sample_project "$base" >/dev/null

# The screen, and Wine's desktop on it: the whole screen when the box's
# place on it is the point.
desktop=640x640
case "$mode" in
  long-rows) desktop=720x640 ;;
  details) desktop=800x480 ;;
  unreadable) desktop=1024x860; export X_SCREEN_SIZE=1024x860 ;;
esac
x_session_start "$work"
wine reg add "$desktop_key" /v Desktop /d Default /f >/dev/null 2>&1
wine reg add "$desktop_key\Desktops" /v Default /d "$desktop" /f >/dev/null 2>&1
# The desktop process reads them when it starts: the one reg started goes.
wineserver -k
wineserver -w

probe() { wine "$probe_exe" "$@" </dev/null | tr -d '\r'; }
click() {
  local x y
  read -r x y < <(probe center "$1")
  xdotool mousemove "$x" "$y" click 1
  sleep 0.3
}
search() {
  click txtPercorso
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 -- "$1"
  click txtTesto
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 -- "$2"
  click Command1
}
# Files another program holds open, which the search cannot read.
hold() {
  wine "$probe_exe" hold "$1" </dev/null >"$work/hold.out" 2>&1 &
  holder_pid=$!
  wait_for grep -qs holding "$work/hold.out" || { echo "screenshot-windows.sh: $(cat "$work/hold.out")" >&2; exit 1; }
}
box_shown() { probe box >/dev/null 2>&1; }
capture() {
  mkdir -p "$(dirname "$output")"
  import -window root -crop "$1" +repage "$output"
  echo "screenshot-windows.sh: wrote $output"
}

# Folders with long names, as an office's archive has them.
long='Archivio clienti 2019-2024\Contratti di manutenzione ordinaria\Documentazione tecnica allegata'
case "$mode" in
  long-rows)
    mkdir -p "$base/${long//\\//}"
    printf "' Verbale del cliente\n" >"$base/${long//\\//}/Relazione finale del collaudo.txt"
    printf "' Preventivo per il cliente\n" >"$base/${long//\\//}/Preventivo.bas"
    printf "' Cliente\n" >"$base/Archivio clienti 2019-2024/Riepilogo.txt"
    ;;
  details)
    mkdir -p "$base/${long//\\//}"
    printf 'cliente\n' >"$base/${long//\\//}/Relazione finale del collaudo.txt"
    printf 'cliente\n' >"$base/${long//\\//}/Preventivo.bas"
    ;;
  unreadable)
    mkdir -p "$base/Bloccati"
    for ((i = 1; i <= count; i++)); do printf 'cliente\n' >"$base/Bloccati/$(printf 'fattura-%05d.txt' "$i")"; done
    ;;
esac

wine "$program" </dev/null >"$work/app.log" 2>&1 &
wait_for probe client-size >/dev/null 2>&1 || { echo "screenshot-windows.sh: no window" >&2; exit 1; }

case "$mode" in
  window)
    search 'C:\Esempio\Lavori' cliente
    sleep 2
    # The second hit selected, the pointer out of the picture.
    read -r x y < <(probe center row1)
    xdotool mousemove "$x" "$y" click 1 mousemove 630 630
    sleep 1
    read -r left top width height < <(probe frame)
    capture "${width}x${height}+${left}+${top}"
    ;;
  long-rows)
    search 'C:\Esempio\Archivio clienti 2019-2024' cliente
    sleep 2
    # The second hit selected; the pointer rests on the third until its
    # tip shows (if one does).
    read -r x y < <(probe center row1)
    xdotool mousemove "$x" "$y" click 1
    read -r x y < <(probe center row2)
    xdotool mousemove $((x - 160)) "$y"
    sleep 0.2
    xdotool mousemove $((x - 150)) "$y"
    WAIT_FOR_SECONDS=5 wait_for probe tip >/dev/null 2>&1 || true
    sleep 0.5
    capture "${desktop}+0+0"
    ;;
  details)
    hold "C:\\Esempio\\$long"
    search 'C:\Esempio\Archivio clienti 2019-2024' cliente
    wait_for box_shown || { echo "screenshot-windows.sh: no box" >&2; exit 1; }
    sleep 1
    read -r x y < <(probe box-center toggle)
    xdotool mousemove "$x" "$y" click 1 mousemove 790 470
    sleep 2
    capture "${desktop}+0+0"
    ;;
  unreadable)
    hold 'C:\Esempio\Bloccati'
    search 'C:\Esempio\Bloccati' cliente
    WAIT_FOR_SECONDS=120 wait_for box_shown || { echo "screenshot-windows.sh: no box" >&2; exit 1; }
    sleep 1
    read -r x y < <(probe box-center toggle)
    xdotool mousemove "$x" "$y" click 1 mousemove 1020 5
    sleep 3
    capture "${desktop}+0+0"
    ;;
esac
