#!/usr/bin/env bash
# Drives brenvo1.exe under Wine in an Xvfb server as a person would, with
# xdotool: keys and clicks into the real controls, the list's rows read
# back, a double-click that must start Notepad with exactly the row's path,
# a row wider than the list and its tip, the "Brenvo1" box for a missing
# folder and for files held open (its details' toggle, and with 10,000 of
# them its details within the screen), and during a search of several
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
x_probe="/usr/bin/python3 $tests_dir/x_probe.py"
[ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/system.reg" ] || fail "WINEPREFIX must name the build's own Wine prefix"
export WINEDEBUG=-all

work=$(mktemp -d)
system32="$WINEPREFIX/drive_c/windows/system32"
app_pid=""
holder_pid=""
cleanup() {
  long_search_stop
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
# Keys given during a search are dropped too; a box that reads back right
# shows that the window takes input again.
text_is() { [ "$(probe text "$1")" = "$2" ]; }
enter_text() {
  local attempt
  for attempt in 1 2 3 4; do
    click "$1"
    press ctrl+a
    typed "$2"
    WAIT_FOR_SECONDS=10 wait_for text_is "$1" "$2" && return 0
  done
  fail "$1 holds \"$(probe text "$1")\", not \"$2\", after four tries"
}
# Waits until the window has taken every key and click given so far: a key
# typed into the focused box CONTROL (which holds TEXT) reads back, and is
# taken back.
all_input_taken() {
  typed x
  wait_for text_is "$1" "$2x" || fail "the window took no keys: $(window_state)"
  press BackSpace
  wait_for text_is "$1" "$2" || fail "the window took no keys: $(window_state)"
}
# Moves the focus on with Tab to CONTROL. A Tab given while a search ends
# is dropped: then it is given again, but not one only slow to come.
focus_is() { [ "$(probe focus)" = "$1" ]; }
tab_to() {
  local attempt
  for attempt in 1 2 3; do
    press Tab
    wait_for focus_is "$1" && return 0
  done
  fail "Tab did not bring the focus to $1 but to $(probe focus)"
}
# The box's own controls: its OK button, its details toggle.
click_box() {
  local x y
  read -r x y < <(probe box-center "$1")
  xdotool mousemove "$x" "$y" click 1
  sleep 0.2
}
box_gone() { ! xdotool search --onlyvisible --name '^Brenvo1$' >/dev/null 2>&1; }
toggle_is() { [ "$(probe box-toggle)" = "$1" ]; }
tip_is() { [ "$(probe tip 2>/dev/null)" = "$1" ]; }
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

no_window_left() { ! xdotool search --onlyvisible --name '^Scandilo$' >/dev/null 2>&1; }
start_program() {
  # The window of a program that has just ended may still be on the
  # server for a moment: it must not be taken for the new one.
  wait_for no_window_left || fail "an earlier window stays on the screen"
  wine "$program" </dev/null >"$work/app.log" 2>&1 &
  app_pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Scandilo$' | head -n1) ||
    fail "the window did not appear: $(cat "$work/app.log")"
  wait_for probe client-size >/dev/null 2>&1 || fail "the probe did not find the window"
}
start_program

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
wait_for text_is txtTesto alfa && text_is txtPercorso "$(windows_path "$tree")" ||
  fail "the keys did not go to txtPercorso, then past Trova to txtTesto: $(window_state)"
press Return
all_input_taken txtTesto alfa
[ -z "$(probe items)" ] || fail "Enter in a text box started a search"
# A double-click on the empty list opens nothing; the focus then goes back
# to txtTesto for the keys below.
click lstFile --repeat 2 --delay 80
click txtTesto
all_input_taken txtTesto alfa
[ ! -e "$work/notepad.txt" ] || fail "a double-click on the empty list started Notepad"
press shift+Tab
press Return
expected_rows="$(windows_path "$odd_name")
$(windows_path "$tree/piano.txt")
$(windows_path "$tree/sotto/fondo.bas")"
wait_for rows_are "$expected_rows" ||
  fail "the list after Enter on Trova is not the three hits in order: $(probe items)"
echo "ok: Tab order, nothing from Enter in a text box or a double-click on the empty list, a search on Enter on Trova"

# The list by keyboard: its first row is marked as the one the keys act on
# when Tab brings the focus there, none selected; Enter opens it.
tab_to txtTesto
tab_to lstFile
[ "$(probe focused-row)" = 0 ] || fail "the list took the focus with no row marked: $(probe focused-row)"
expected_command="\"C:\\windows\\system32\\notepad.exe\" \"$(windows_path "$odd_name")\""
notepad_opened_row() {
  wait_for test -f "$work/notepad.txt" || fail "$1 started no Notepad"
  [ "$(cat "$work/notepad.txt")" = "$expected_command" ] ||
    fail "$1 started Notepad with $(cat "$work/notepad.txt"), not $expected_command"
  rm "$work/notepad.txt"
}
press Return
notepad_opened_row "Enter on the list's marked row"
echo "ok: by keyboard alone, Enter on the marked first row started $expected_command"
# Ctrl+C copies the selected row's path, and the menu's "Apri" opens it
# (a click selects the row, and takes the keys back from Notepad).
clipboard_is_row() { [ "$(probe clipboard 2>/dev/null)" = "$(windows_path "$odd_name")" ]; }
click row0
press ctrl+c
wait_for clipboard_is_row || fail "Ctrl+C did not copy the selected path: $(probe clipboard)"
press shift+F10
wait_for probe menu || fail "Shift+F10 showed no menu"
press a
notepad_opened_row "\"Apri\" in the list's menu"
echo "ok: Ctrl+C put $(windows_path "$odd_name") on the clipboard; \"Apri\" in the list's menu opened it"

# What a screen reader is told (MSAA). Wine's oleacc knows text boxes, whose
# names come from the hidden labels before them, and windows by their
# captions; it has no list view or button of its own.
probe accessible >"$work/accessible"
for line in "Form1 client|Scandilo" "txtPercorso text|Percorso" "Command1 client|Trova" "txtTesto text|Testo"; do
  grep -qxF "$line" "$work/accessible" || fail "a screen reader is not told \"$line\": $(cat "$work/accessible")"
done
echo "ok: a screen reader is told the window's and each control's name: $(tr '\n' ';' <"$work/accessible")"

# --- by mouse: a click on Trova searches again, the folder pasted as
# Explorer copies it, in quotes; a double-click on the first row starts
# Notepad with exactly its path.
enter_text txtPercorso "\"$(windows_path "$tree")\""
enter_text txtTesto beta
click Command1
wait_for rows_are "$(windows_path "$tree/altro.txt")" ||
  fail "a click on Trova did not list the one hit: $(probe items)"
enter_text txtTesto alfa
click Command1
wait_for first_row_is "$(windows_path "$odd_name")" ||
  fail "a click on Trova did not list the hits: $(probe items)"
echo "ok: a click on Trova lists the hits"
# The run is over once the window takes keys again: a double-click given
# before would be dropped.
enter_text txtTesto alfa

click row0 --repeat 2 --delay 80
wait_for test -f "$work/notepad.txt" || fail "no Notepad was started by a double-click on the first row"
expected_command="\"C:\\windows\\system32\\notepad.exe\" \"$(windows_path "$odd_name")\""
printf '%s' "$expected_command" >"$work/expected"
cmp -s "$work/expected" "$work/notepad.txt" || {
  printf 'expected: %s\nreceived: %s\n' "$expected_command" "$(cat "$work/notepad.txt")" >&2
  fail "Notepad did not receive exactly the first row's path"
}
echo "ok: Notepad, by its full path, received exactly the first row's path"

# --- a path wider than the list: the row is drawn shortened in the middle,
# but its text (what the keys, a screen reader and a double-click use) is
# the whole path, and so is the tip shown while the pointer rests on it; a
# row shown whole has no tip.
wide="$work/wide/Archivio clienti 2019-2024/Contratti di manutenzione ordinaria/Documentazione tecnica allegata"
mkdir -p "$wide"
printf 'alfa\n' >"$wide/Relazione finale del collaudo.txt"
printf 'alfa\n' >"$work/wide/corto.txt"
wide_row=$(windows_path "$wide/Relazione finale del collaudo.txt")
enter_text txtPercorso "$(windows_path "$work/wide")"
click Command1
wait_for rows_are "$(windows_path "$work/wide/corto.txt")
$wide_row" || fail "the search did not list the long path whole: $(probe items)"
read -r x y < <(probe center row1)
xdotool mousemove $((x - 100)) "$y"
sleep 0.1
xdotool mousemove $((x - 90)) "$y"
wait_for tip_is "$wide_row" || fail "the row's tip is not its whole path: \"$(probe tip 2>&1)\""
read -r x y < <(probe center row0)
xdotool mousemove $((x - 90)) "$y"
tip_tools_are() { [ "$(probe tip-tools)" = "$1" ]; }
wait_for tip_tools_are 0 || fail "a row shown whole has a tip"
xdotool mousemove 1 1
echo "ok: a path wider than the list is the row's whole text, and its tip: $wide_row; a row shown whole has no tip"

# --- a missing folder: the Brenvo1 box, one OK button and no icon.
enter_text txtPercorso "$(windows_path "$work/manca")"
click Command1
timeout 30 xdotool search --sync --onlyvisible --name '^Brenvo1$' >/dev/null ||
  fail "the Brenvo1 box did not appear for a missing folder: $(window_state)"
box=$(probe box | head -n1)
[ "$box" = "buttons=1 ok=1 icon=0 text=Impossibile trovare il percorso" ] || fail "the box is not as it should be: $box"
echo "ok: a missing folder shows the Brenvo1 box: $box"
probe press-ok
wait_for box_gone || fail "OK did not close the box"
running "$app_pid" || fail "the program ended after the box: $(cat "$work/app.log")"
[ -z "$(probe items)" ] || fail "the list was not emptied for a missing folder"
echo "ok: OK closes the box and the program goes on"

# --- two files another program holds open, in a folder whose path is
# over 350 characters long: listed as unreadable in the box's folded
# details, each with why, its file name in sight; unfolded, the details
# have room for five lines. The readable file above them is still found.
locked="$work/locked"
long="$locked/$(printf 'Archivio clienti %s/' {2010..2024})"
long=${long%/}
mkdir -p "$long"
printf 'alfa\n' >"$long/chiuso.txt"
printf 'alfa\n' >"$long/chiuso anche.txt"
printf 'alfa\n' >"$locked/aperto.txt"
wine "$probe_exe" hold "$(windows_path "$long")" </dev/null >"$work/hold.out" 2>&1 &
holder_pid=$!
wait_for grep -qsx "holding 2" "$work/hold.out" || fail "the files could not be held open: $(cat "$work/hold.out")"
enter_text txtPercorso "$(windows_path "$locked")"
enter_text txtTesto alfa
click Command1
timeout 30 xdotool search --sync --onlyvisible --name '^Brenvo1$' >/dev/null ||
  fail "no Brenvo1 box for an unreadable file: $(window_state)"
probe box >"$work/box"
kill "$holder_pid" 2>/dev/null || true
wait "$holder_pid" 2>/dev/null || true
in_use="in uso da un altro programma: Z:\\"
grep -qx "buttons=2 ok=1 icon=0 text=File o cartelle non leggibili: 2" "$work/box" &&
  [[ $(sed -n 2p "$work/box") == "hidden=$in_use"*"…\\chiuso anche.txt" ]] &&
  [[ $(sed -n 3p "$work/box") == "$in_use"*"…\\chiuso.txt" ]] ||
  fail "the box does not count the unreadable files, or say why with each file name in sight: $(cat "$work/box")"
# The details' toggle says the window's own words, as the Linux box does.
toggle_is "Mostra dettagli..." || fail "the details toggle says \"$(probe box-toggle)\", not \"Mostra dettagli...\""
click_box toggle
wait_for toggle_is "Nascondi dettagli..." ||
  fail "the unfolded details' toggle says \"$(probe box-toggle)\", not \"Nascondi dettagli...\""
fits=$(probe box-fits) || fail "the box with its details unfolded does not fit the screen"
[[ $fits =~ ^fits\ lines=2\ shown=([0-9]+)$ ]] && ((BASH_REMATCH[1] >= 5)) ||
  fail "the unfolded details are not the two lines with room for five: $fits"
probe press-ok
wait_for box_gone || fail "OK did not close the box"
[ "$(probe items)" = "$(windows_path "$locked/aperto.txt")" ] || fail "the readable file was not listed: $(probe items)"
echo "ok: unreadable files are counted in the box, each with why and its file name in its folded details ($(sed -n 3p "$work/box")), unfolded by \"Mostra dettagli...\" with room for $fits"

# --- 10,000 files held open: the box lists the first 5,000 and how many
# more; unfolded, its details scroll within the screen and its buttons
# stay on it; Escape closes it.
many="$work/many"
mkdir -p "$many"
for ((i = 0; i < 10000; i++)); do printf 'alfa\n' >"$many/f$i.txt"; done
wine "$probe_exe" hold "$(windows_path "$many")" </dev/null >"$work/hold.out" 2>&1 &
holder_pid=$!
wait_for grep -qsx "holding 10000" "$work/hold.out" || fail "10,000 files could not be held open: $(cat "$work/hold.out")"
enter_text txtPercorso "$(windows_path "$many")"
click Command1
timeout 120 xdotool search --sync --onlyvisible --name '^Brenvo1$' >/dev/null ||
  fail "no Brenvo1 box for 10,000 unreadable files: $(window_state)"
probe box >"$work/box"
box=$(head -n1 "$work/box")
[ "$box" = "buttons=2 ok=1 icon=0 text=File o cartelle non leggibili: 10000" ] || fail "the box for 10,000 is not as it should be: $box"
click_box toggle
wait_for toggle_is "Nascondi dettagli..." || fail "the details of 10,000 did not unfold"
# The caption changes before the box has grown and moved to its new place.
box_fits() { fits=$(probe box-fits 2>&1); }
wait_for box_fits || fail "the box with 10,000 details unfolded does not fit the screen: $fits"
[[ $fits =~ ^fits\ lines=5001\ shown=([0-9]+)$ ]] && ((BASH_REMATCH[1] >= 3 && BASH_REMATCH[1] < 5001)) ||
  fail "the details of 10,000 are not 5,001 lines scrolling in a part of the screen: $fits"
press Escape
wait_for box_gone || fail "Escape did not close the box"
kill "$holder_pid" 2>/dev/null || true
wait "$holder_pid" 2>/dev/null || true
running "$app_pid" || fail "the program ended after the box: $(cat "$work/app.log")"
echo "ok: 10,000 unreadable files: the box and its OK button within the screen, the details $fits, Escape closes it"

# --- a search that lasts until the test ends it.
long="$work/long"
long_search_start "$long" "$work"
enter_text txtPercorso "$(windows_path "$long")"
enter_text txtTesto "$long_search_text"
long_search_arm
click Command1
long_search_wait_reading 1 || fail "the long search did not start: $(window_state)"
# Windows marks a window as not responding after 5 s without a look at its
# queue; the last look here comes over 6 s into the run.
for wait_s in 1 2.5 2.5; do
  sleep "$wait_s"
  probe answers >/dev/null || fault "the window did not answer during a search (${wait_s} s after the last look)"
done
[ "$failures" -eq 0 ] && echo "ok: the window answered and was never marked as not responding during a search"

# Input given during the run is dropped, not replayed as more searches.
click Command1
click Command1
press space
[ -z "$(probe items)" ] || fail "the search was over before the input was given"
long_search_end
wait_for rows_are "$(windows_path "$long/probe.txt")" || fail "the long search did not list probe.txt: $(probe items)"
# Keys that read back show the window takes input again: the run is over.
enter_text txtTesto "$long_search_text"
expect_one_search

# Closing the window during a run ends the program, as at any other time.
long_search_arm
click Command1
long_search_wait_reading 2 || fail "the second long search did not start: $(window_state)"
$x_probe close "$window" || fail "the close request could not be sent"
expect_end_after_close "$app_pid" "during a search"
running "$app_pid" || app_pid=""
long_search_stop

# And while a box is shown (as Task Manager's "End task" asks): the box
# goes with the window.
start_program
enter_text txtPercorso "$(windows_path "$work/manca")"
click Command1
timeout 30 xdotool search --sync --onlyvisible --name '^Brenvo1$' >/dev/null ||
  fail "the Brenvo1 box did not appear for a missing folder: $(window_state)"
probe close
expect_end_after_close "$app_pid" "while a box was shown"
running "$app_pid" || app_pid=""

# The user logging off with a box on screen: the box, then the program, go.
start_program
enter_text txtPercorso "$(windows_path "$work/manca")"
click Command1
timeout 30 xdotool search --sync --onlyvisible --name '^Brenvo1$' >/dev/null ||
  fail "the Brenvo1 box did not appear for a missing folder: $(window_state)"
probe end-session
expect_end_after_close "$app_pid" "at the end of the session, a box shown"
running "$app_pid" || app_pid=""

[ "$failures" -eq 0 ] || exit 1
