#!/usr/bin/env bash
# Drives brenvo1.exe under Wine in an Xvfb server as a person would, with
# xdotool: keys and clicks into the real controls, the list's rows read
# back, a double-click that must start Notepad with exactly the row's path,
# the "Brenvo1" box for a missing folder, and during a search of several
# seconds: the window not marked as not responding, input given meanwhile
# dropped, a close request that ends the program.
#
# Runs in the build's own Wine prefix (WINEPREFIX must be set; never the
# user's), whose Notepad is replaced by a stand-in for the test's length.
# Uses the X server named by DISPLAY, or starts one.
# Usage: win32_window_test.sh brenvo1.exe window_probe.exe notepad_stand_in.exe brenvo1-scan.exe TESTS-DIR
# Exit status 77 (skipped) when Xvfb, xdotool, Wine or python3-xlib is missing.
set -euo pipefail

program=$(realpath "$1")
probe_exe=$(realpath "$2")
stand_in=$(realpath "$3")
scan=$(realpath "$4")
tests_dir=$(realpath "$5")
source "$tests_dir/x_session.sh"
x_session_require Xvfb xdotool wine
if ! /usr/bin/python3 -c 'import Xlib' 2>/dev/null; then
  echo "skipped: python3-xlib is not installed"
  exit 77
fi
x_probe="/usr/bin/python3 $tests_dir/window/x_probe.py"
[ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/system.reg" ] || fail "WINEPREFIX must name the build's own Wine prefix"
export WINEDEBUG=-all

work=$(mktemp -d)
system32="$WINEPREFIX/drive_c/windows/system32"
app_pid=""
counter_pid=""
holder_pid=""
cleanup() {
  [ -n "$counter_pid" ] && kill "$counter_pid" 2>/dev/null || true
  [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null || true
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -f "$work/notepad.exe" ] && cp "$work/notepad.exe" "$system32/notepad.exe"
  x_session_stop
  rm -rf "$work"
}
trap cleanup EXIT
[ -n "${DISPLAY:-}" ] || x_session_start "$work"

# Notepad is started by its full path in the system folder: the stand-in
# goes there, loaded in place of Wine's own (a native program, n).
cp "$system32/notepad.exe" "$work/notepad.exe"
cp "$stand_in" "$system32/notepad.exe"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}notepad.exe=n"
export BRENVO1_NOTEPAD_RECORD="Z:${work//\//\\}\\notepad.txt"

probe() { wine "$probe_exe" "$@" </dev/null | tr -d '\r'; }
rows_are() { [ "$(probe items)" = "$1" ]; }
first_row_is() { [ "$(probe items | head -n1)" = "$1" ]; }
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
press() { xdotool key --clearmodifiers "$@"; sleep 0.2; }
typed() { xdotool type --delay 20 -- "$1"; sleep 0.2; }
click() {
  local x y
  read -r x y < <(probe center "$1")
  xdotool mousemove "$x" "$y" click "${@:2}" 1
  sleep 0.2
}
# Replaces a text box's text, and reads it back: keys an X server without a
# window manager lost on their way (the window under the pointer takes them)
# are typed again, so that a step never searches what was there before.
enter_text() {
  local attempt
  for attempt in 1 2 3; do
    click "$1"
    press ctrl+a
    typed "$2"
    [ "$(probe text "$1")" = "$2" ] && return 0
  done
  fail "$1 holds \"$(probe text "$1")\", not \"$2\", after three tries"
}
# What the window shows, for a failure's message.
window_state() { printf 'txtPercorso="%s" txtTesto="%s" rows="%s"' "$(probe text txtPercorso)" "$(probe text txtTesto)" "$(probe items | tr '\n' '|')"; }

# --- the searched tree: the first hit's name has spaces, quotes, an
# accented letter and shell syntax; files come before subfolders.
tree="$work/tree"
mkdir -p "$tree/sotto"
odd_name="$tree/Nota è 'a' & \$(x) (1).txt"
printf 'alfa\n' >"$odd_name"
printf 'ALFA\n' >"$tree/piano.txt"
printf 'alfa\n' >"$tree/sotto/fondo.bas"
printf 'beta\n' >"$tree/altro.txt"

wine "$program" </dev/null >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Scandilo$' | head -n1) ||
  fail "the window did not appear: $(cat "$work/app.log")"
wait_for probe client-size >/dev/null 2>&1 || fail "the probe did not find the window"

size=$(probe client-size)
[ "$size" = "465x542" ] || fail "the client area is $size, not 465x542"
echo "ok: the client area is 465x542 at 96 DPI"

# --- by keyboard only: the focus starts in txtPercorso, Tab goes on to
# Command1 and txtTesto, Enter in a text box starts nothing, Enter on the
# button searches.
read -r x y < <(probe center lstFile)
xdotool mousemove "$x" "$y"
press ctrl+a
typed "$(windows_path "$tree")"
press Tab Tab
typed alfa
[ "$(probe text txtPercorso)" = "$(windows_path "$tree")" ] && [ "$(probe text txtTesto)" = alfa ] ||
  fail "the keys did not go to txtPercorso, then past Trova to txtTesto: $(window_state)"
press Return
sleep 1
[ -z "$(probe items)" ] || fail "Enter in a text box started a search"
# A double-click on the empty list opens nothing; the focus then goes back
# to txtTesto for the keys below.
click lstFile --repeat 2 --delay 80
click txtTesto
sleep 1
[ ! -e "$work/notepad.txt" ] || fail "a double-click on the empty list started Notepad"
press shift+Tab
press Return
expected_rows="$(windows_path "$odd_name")
$(windows_path "$tree/piano.txt")
$(windows_path "$tree/sotto/fondo.bas")"
wait_for rows_are "$expected_rows" ||
  fail "the list after Enter on Trova is not the three hits in order: $(probe items)"
echo "ok: Tab order, nothing from Enter in a text box or a double-click on the empty list, a search on Enter on Trova"

# --- by mouse: a click on Trova searches again; a double-click on the
# first row starts Notepad with exactly its path.
enter_text txtTesto beta
click Command1
wait_for rows_are "$(windows_path "$tree/altro.txt")" ||
  fail "a click on Trova did not list the one hit: $(probe items)"
enter_text txtTesto alfa
click Command1
wait_for first_row_is "$(windows_path "$odd_name")" ||
  fail "a click on Trova did not list the hits: $(probe items)"
echo "ok: a click on Trova lists the hits"

click row0 --repeat 2 --delay 80
wait_for test -f "$work/notepad.txt" || fail "no Notepad was started by a double-click on the first row"
expected_command="\"C:\\windows\\system32\\notepad.exe\" \"$(windows_path "$odd_name")\""
printf '%s' "$expected_command" >"$work/expected"
cmp -s "$work/expected" "$work/notepad.txt" || {
  printf 'expected: %s\nreceived: %s\n' "$expected_command" "$(cat "$work/notepad.txt")" >&2
  fail "Notepad did not receive exactly the first row's path"
}
echo "ok: Notepad, by its full path, received exactly the first row's path"

# --- a missing folder: the Brenvo1 box, one OK button and no icon.
enter_text txtPercorso "$(windows_path "$work/manca")"
click Command1
timeout 15 xdotool search --sync --onlyvisible --name '^Brenvo1$' >/dev/null ||
  fail "the Brenvo1 box did not appear for a missing folder: $(window_state)"
box=$(probe box | head -n1)
[ "$box" = "buttons=1 ok=1 icon=0 text=Impossibile trovare il percorso" ] || fail "the box is not as it should be: $box"
echo "ok: a missing folder shows the Brenvo1 box: $box"
probe press-ok
wait_for sh -c "! xdotool search --onlyvisible --name '^Brenvo1\$' >/dev/null 2>&1" || fail "OK did not close the box"
running "$app_pid" || fail "the program ended after the box: $(cat "$work/app.log")"
[ -z "$(probe items)" ] || fail "the list was not emptied for a missing folder"
echo "ok: OK closes the box and the program goes on"

# --- a file another program holds open: listed as unreadable in the box's
# folded details; the readable one beside it is still found.
locked="$work/locked"
mkdir -p "$locked"
printf 'alfa\n' >"$locked/chiuso.txt"
printf 'alfa\n' >"$locked/aperto.txt"
wine "$probe_exe" hold "$(windows_path "$locked/chiuso.txt")" </dev/null >"$work/hold.out" 2>&1 &
holder_pid=$!
wait_for grep -qs holding "$work/hold.out" || fail "the file could not be held open: $(cat "$work/hold.out")"
enter_text txtPercorso "$(windows_path "$locked")"
enter_text txtTesto alfa
click Command1
timeout 15 xdotool search --sync --onlyvisible --name '^Brenvo1$' >/dev/null ||
  fail "no Brenvo1 box for an unreadable file: $(window_state)"
probe box >"$work/box"
kill "$holder_pid" 2>/dev/null || true
wait "$holder_pid" 2>/dev/null || true
grep -qx "buttons=2 ok=1 icon=0 text=File o cartelle non leggibili: 1" "$work/box" ||
  fail "the box for an unreadable file is not as it should be: $(cat "$work/box")"
grep -qxF "hidden=$(windows_path "$locked/chiuso.txt")" "$work/box" ||
  fail "the box's details do not hold exactly the unreadable path: $(cat "$work/box")"
probe press-ok
wait_for sh -c "! xdotool search --onlyvisible --name '^Brenvo1\$' >/dev/null 2>&1" || fail "OK did not close the box"
[ "$(probe items)" = "$(windows_path "$locked/aperto.txt")" ] || fail "the readable file was not listed: $(probe items)"
echo "ok: an unreadable file is counted in the box, its path in the folded details (OK and the details control)"

# --- a search of several seconds: one large sparse file, which takes no
# disk, read to its end; probe.txt is opened once on each run.
long="$work/long"
mkdir -p "$long"
text="zafferano zafferano zafferano"
printf '%s\n' "$text" >"$long/probe.txt"
printf 'pagliaio\n' >"$long/zz.txt"
# Each run reads a file new to the page cache: Linux keeps the read holes
# of a sparse file cached, and a second read would take a fraction of the
# time. Truncating to nothing drops them.
fresh_big_file() {
  truncate -s 0 "$long/big.txt"
  truncate -s "$1" "$long/big.txt"
}
scan_ms() {
  local start end
  fresh_big_file "$1"
  start=$(date +%s%N)
  wine "$scan" "$(windows_path "$long")" "$text" </dev/null >"$work/scan.out"
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
# Wine's start is timed on an empty file and taken off.
start_ms=$(scan_ms 0)
size=$((256 << 20))
while :; do
  took=$(($(scan_ms $size) - start_ms))
  [ "$(tr -d '\r' <"$work/scan.out")" = "$(windows_path "$long/probe.txt")" ] || fail "the long search did not list probe.txt alone"
  [ "$took" -ge 1500 ] || [ $size -ge $((256 << 30)) ] && break
  size=$((size * 2))
done
size=$((size * 12000 / (took + 1)))
echo "a search through $((size >> 20)) MiB, about 12 s for brenvo1-scan.exe"


$x_probe count-opens "$long" probe.txt 12 150 >"$work/opens" &
counter_pid=$!
wait_for grep -qs watching "$work/opens" || fail "the open counter did not start"
enter_text txtPercorso "$(windows_path "$long")"
enter_text txtTesto "$text"
fresh_big_file "$size"
click Command1
# Windows marks a window as not responding after 5 s without a look at its
# queue; the last look here comes 6 s into the run.
for wait_s in 1 2.5 2.5; do
  sleep "$wait_s"
  probe answers >/dev/null || fault "the window did not answer during a search (${wait_s} s after the last look)"
done
# probe.txt comes after big.txt: not listed yet, the run was still reading.
[ -z "$(probe items)" ] || fault "the search ended before the window was checked; it must last longer"
[ "$failures" -eq 0 ] && echo "ok: the window answered and was never marked as not responding during a search"

# Input given during the run is dropped, not replayed as more searches.
click Command1
click Command1
press space
expect_one_open "$counter_pid" "$work/opens"
counter_pid=""

# Closing the window during a run ends the program, as at any other time.
# A second read of the sparse file can take a fraction of the first's time
# (the pages its first read took are free again): four times as large, it
# still lasts until the close request; the close ends it, so it costs nothing.
fresh_big_file $((size * 4))
click Command1
sleep 1.5
# The new run emptied the list and has not reached probe.txt yet.
[ -z "$(probe items)" ] || fail "no search was running when the close request was to be sent"
$x_probe close "$window"
expect_end_after_close "$app_pid"
running "$app_pid" || app_pid=""

[ "$failures" -eq 0 ] || exit 1
