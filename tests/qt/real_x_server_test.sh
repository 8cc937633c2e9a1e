#!/usr/bin/env bash
# Drives the real program in an Xvfb server as a person would, with xdotool,
# and reads back what it shows through AT-SPI, as a screen reader does:
# types a folder and a text, clicks "Trova", double-clicks the first result
# and checks what a stand-in text editor received, byte for byte. Also
# checks the "Brenvo1" box for a missing folder, and, during a search that
# lasts until the test ends it, what a window manager sees: pings answered,
# input dropped, and a close request that ends the program; and a close
# request while a box is shown.
#
# Every step waits for what the program shows, never for a guessed time,
# so that a busy machine only makes it slower.
# Usage: real_x_server_test.sh PATH-TO-brenvo1 PATH-TO-brenvo1-scan
# Exit status 77 (skipped) when Xvfb, xdotool, xclip, dbus, python3-xlib or
# python3-pyatspi is not installed.
set -euo pipefail
# A command that fails outside a check still says which, for whoever reads the failure.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR

here=$(dirname "$(realpath "$0")")
source "$here/../x_session.sh"
x_session_require Xvfb xdotool xclip dbus-run-session
for module in Xlib pyatspi; do
  if ! /usr/bin/python3 -c "import $module" 2>/dev/null; then
    echo "skipped: the Python module $module (python3-xlib, python3-pyatspi) is not installed"
    exit 77
  fi
done
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "skipped: at-spi2-core is not installed"; exit 77; }
# The accessibility bus belongs to a D-Bus session of the test's own.
if [ -z "${BRENVO1_TEST_DBUS:-}" ]; then
  BRENVO1_TEST_DBUS=1 exec dbus-run-session -- "$0" "$@"
fi
program=$(realpath "$1")
probe="/usr/bin/python3 $here/../x_probe.py"
a11y() { /usr/bin/python3 "$here/atspi_probe.py" "$@"; }

work=$(mktemp -d)
app_pid=""
bus_pid=""
cleanup() {
  long_search_stop
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null || true
  x_session_stop
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- the searched tree: names a shell would misread, and bytes that are not
# UTF-8 (these can only reach the window through the folder's contents).
tree="$work/tree"
mkdir -p "$tree/cartella con spazi, città & co" "$work/cwd" "$work/bin" "$work/records"
spaced_name="$tree/cartella con spazi, città & co/nota \$(touch pwned) 'a' \"b\" \`touch pwned2\`.txt"
latin1_name=$(printf '%s/\351t\351 \377.txt' "$tree")
printf 'alfa\n' >"$spaced_name"
printf 'beta\n' >"$latin1_name"
printf 'gamma\n' >"$tree/piano.txt"

# The stand-in editor: the first name the program looks for, first on PATH.
cat >"$work/bin/gnome-text-editor" <<SCRIPT
#!/bin/sh
record="$work/records/\$\$"
printf '%s\\0' "\$@" > "\$record.new" && mv "\$record.new" "\$record"
SCRIPT
chmod +x "$work/bin/gnome-text-editor"

# --- a private X server on a free display, and the accessibility bus.
x_session_start "$work"
unset QT_QPA_PLATFORM
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
bus_pid=$!
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# The program's exit status is checked after a close. Under the sanitizers,
# the leak checker would fail it for a buffer the system's D-Bus library
# keeps until exit; any other fault the sanitizers find still fails it.
if [ -n "${BRENVO1_SANITIZED:-}" ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi
no_window_left() { ! xdotool search --onlyvisible --name '^Scandilo$' >/dev/null 2>&1; }
start_program() {
  # The window of a program that has just ended may still be on the
  # server for a moment: it must not be taken for the new one.
  wait_for no_window_left || fail "an earlier window stays on the screen"
  (cd "$work/cwd" && PATH="$work/bin:$PATH" exec "$program") >"$work/app.log" 2>&1 &
  app_pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Scandilo$' | head -n1) ||
    fail "the window did not appear: $(cat "$work/app.log")"
  wait_for a11y text Percorso >/dev/null || fail "the window is not in the accessibility tree"
}

# Positions inside the window, from its fixed layout.
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
text_is() { [ "$(a11y text "$1")" = "$2" ]; }
rows_are() { [ "$(a11y rows)" = "$1" ]; }
row_count_is() { [ "$(a11y rows | wc -l)" -eq "$1" ]; }
no_box() { ! a11y box >/dev/null; }
# Replaces a text box's text and reads it back. Keys given while a search
# runs are dropped: they are typed again once it is over. A box that reads
# back right also shows that the window takes input again.
enter_text() {
  local name=$1 x=$2 y=$3 text=$4 attempt
  for attempt in 1 2 3 4; do
    click_at "$x" "$y"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 10 -- "$text"
    WAIT_FOR_SECONDS=10 wait_for text_is "$name" "$text" && return 0
  done
  fail "$name holds \"$(a11y text "$name")\", not \"$text\""
}
set_folder() { enter_text Percorso 100 20 "$1"; }
set_text() { enter_text Testo 100 52 "$1"; }
press_trova() { click_at 412 52; }
# Waits until the run is over and the window takes input again.
settle() { set_text "$1"; }
record_count() { find "$work/records" -type f ! -name '*.new' | wc -l; }
records_beyond() { [ "$(record_count)" -gt "$1" ]; }

open_first_result_and_check() {
  local expected=$1 before
  before=$(record_count)
  xdotool mousemove --window "$window" 60 90 click --repeat 2 --delay 60 1
  wait_for records_beyond "$before" || fail "no editor was started for $expected"
  check_last_record "$expected"
}
# The one editor started since the last check got exactly EXPECTED.
check_last_record() {
  local expected=$1 record
  [ "$(find "$work/records" -type f ! -name '*.new' -newer "$work/display" | wc -l)" -eq 1 ] ||
    fail "more than one editor was started"
  record=$(find "$work/records" -type f ! -name '*.new' -newer "$work/display" -printf '%T@ %p\n' | sort -n | tail -n1 | cut -d' ' -f2-)
  printf '%s\0' "$expected" >"$work/expected"
  cmp -s "$work/expected" "$record" || {
    od -c "$record" | head -n 20 >&2
    fail "the editor did not receive exactly $(printf '%q' "$expected")"
  }
  touch "$work/display"
}

start_program

# --- what a screen reader is told: the window as a frame, each control by
# its role and name, the focus in txtPercorso.
expected_controls="frame|Scandilo
text|Percorso
push button|Trova
text|Testo
list|Risultati"
[ "$(a11y controls)" = "$expected_controls" ] ||
  fail "a screen reader is not told the window and its controls as it should be: $(a11y controls | tr '\n' ';')"
# Xvfb has no window manager to give a new window the focus: the test does.
xdotool windowfocus --sync "$window"
focus_is() { [ "$(a11y focus)" = "$1" ]; }
wait_for focus_is "text|Percorso" || fail "the focus does not start in txtPercorso: $(a11y focus)"
echo "ok: a screen reader is told: $(a11y controls | tr '\n' ';') focus on $(a11y focus)"

# --- by keyboard alone: Tab goes from txtPercorso to Trova, txtTesto and
# the list; Enter on Trova searches; Space selects the list's current row
# and Enter opens it, as a double-click does. A key given while a search
# ends is dropped: Tab is then given again, but not one only slow to come.
tab_to() {
  local attempt
  for attempt in 1 2 3; do
    xdotool key --clearmodifiers "${2:-Tab}"
    wait_for focus_is "$1" && return 0
  done
  fail "Tab did not bring the focus to $1 but to $(a11y focus)"
}
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 10 -- "$tree"
tab_to "push button|Trova"
tab_to "text|Testo"
xdotool type --delay 10 -- alfa
wait_for text_is Testo alfa && text_is Percorso "$tree" || fail "the keys did not reach txtPercorso and txtTesto"
xdotool key --clearmodifiers Return
all_taken() { xdotool type x; wait_for text_is Testo alfax && xdotool key BackSpace && wait_for text_is Testo alfa; }
all_taken || fail "txtTesto took no keys after Enter"
[ -z "$(a11y rows)" ] || fail "Enter in a text box started a search"
tab_to "push button|Trova" shift+Tab
xdotool key --clearmodifiers Return
wait_for rows_are "$spaced_name" || fail "Enter on Trova did not list $spaced_name: $(a11y rows)"
tab_to "text|Testo"
tab_to "list|Risultati"
only_first_marked() { [ "$(a11y selected)" = "0 current" ]; }
wait_for only_first_marked || fail "the list took the focus not with its first row marked alone: $(a11y selected)"
before=$(record_count)
xdotool key --clearmodifiers Return
wait_for records_beyond "$before" ||
  fail "Enter on the list's marked row started no editor: focus $(a11y focus), rows $(a11y selected | tr '\n' ';')"
check_last_record "$spaced_name"
echo "ok: by keyboard alone, a search and Enter on its marked first row: the editor received $(printf '%q' "$spaced_name")"

# Ctrl+C copies the selected row's path, and so does the list's menu.
printf '%s' "$spaced_name" >"$work/expected"
clipboard_is_row() { xclip -o -selection clipboard 2>/dev/null | cmp -s - "$work/expected"; }
xdotool key --clearmodifiers space ctrl+c
wait_for clipboard_is_row || fail "Ctrl+C did not copy the selected path: $(xclip -o -selection clipboard | od -c | head -n 5)"
printf 'x' | xclip -selection clipboard
# The menu is a window of the program's own beside Scandilo; its
# "&Copia percorso" is picked by c.
menu_shown() { [ "$(xdotool search --onlyvisible --class '^brenvo1$' | wc -l)" -ge 2 ]; }
xdotool key --clearmodifiers Menu
wait_for menu_shown || fail "the Menu key showed no menu"
xdotool key --clearmodifiers c
wait_for clipboard_is_row || fail "\"Copia percorso\" did not copy the selected path"
echo "ok: Ctrl+C and the menu's \"Copia percorso\" put $(printf '%q' "$spaced_name") on the clipboard, byte for byte"

# --- by mouse.
set_text alfa
press_trova
wait_for rows_are "$spaced_name" || fail "the search for alfa did not list $spaced_name: $(a11y rows)"
settle alfa
open_first_result_and_check "$spaced_name"
echo "ok: a path with spaces, quotes and shell syntax reached the editor unchanged"

# A screen reader's "press" on Trova searches too.
set_text BETA
a11y press Trova || fail "Trova could not be pressed through AT-SPI"
settle BETA
# Shown with replacement characters, opened with its real bytes.
row_count_is 1 && ! rows_are "$spaced_name" || fail "the search for BETA did not list one other file: $(a11y rows)"
open_first_result_and_check "$latin1_name"
echo "ok: a name that is not UTF-8 reached the editor unchanged"

set_text gamma
press_trova
wait_for rows_are "$tree/piano.txt" || fail "the search for gamma did not list piano.txt: $(a11y rows)"
settle gamma
open_first_result_and_check "$tree/piano.txt"
echo "ok: a plain path reached the editor"

if [ -n "$(find "$work" -name 'pwned*' -print -quit)" ]; then
  fail "a shell ran a command hidden in a file name"
fi
echo "ok: nothing of the names was run"

set_folder "$work/manca"
press_trova
wait_for a11y box >/dev/null || fail "the Brenvo1 box did not appear for a missing folder"
box=$(a11y box)
case "$box" in
  *"|Brenvo1|Impossibile trovare il percorso|OK") echo "ok: the Brenvo1 box appeared for a missing folder: $box" ;;
  *) fail "the box for a missing folder is not as it should be: $box" ;;
esac
box_window=$(xdotool search --onlyvisible --name '^Brenvo1$' | head -n1)
xdotool windowfocus --sync "$box_window"
xdotool key --clearmodifiers Return
wait_for no_box || fail "the box did not close on Enter"
running "$app_pid" || fail "the program ended: $(cat "$work/app.log")"
[ -z "$(a11y rows)" ] || fail "the list was not emptied for a missing folder"
echo "ok: the box closed and the program goes on"

# --- a search that lasts until the test ends it.
long="$work/long"
long_search_start "$long" "$work"
$probe ping "$window" 5 >/dev/null || fail "the idle window did not answer a ping"
long_search_arm
set_folder "$long"
set_text "$long_search_text"
press_trova
long_search_wait_reading 1 || fail "the long search did not start"
for i in 1 2 3; do
  if answered=$($probe ping "$window" 5); then
    echo "ping $i during the search answered in $answered s"
  else
    fault "ping $i during a search was not answered within 5 s"
  fi
done
[ "$failures" -eq 0 ] && echo "ok: the window answered pings during a search"

# Input given during the run is dropped, not replayed as more searches;
# a screen reader's "press" starts nothing either.
press_trova
press_trova
xdotool key --clearmodifiers space  # on the focused "Trova"
a11y press Trova || fault "Trova could not be pressed through AT-SPI during a search"
[ -z "$(a11y rows)" ] || fail "the search was over before the input was given"
long_search_end
wait_for rows_are "$long/probe.txt" || fail "the long search did not list probe.txt: $(a11y rows)"
settle "$long_search_text"
expect_one_search

# Closing the window during a run ends the program, as at any other time.
long_search_arm
press_trova
long_search_wait_reading 2 || fail "the second long search did not start"
$probe close "$window" || fail "the close request could not be sent"
expect_end_after_close "$app_pid" "during a search"
running "$app_pid" || app_pid=""
long_search_stop

# And while a box is shown: the box goes with the window.
start_program
set_folder "$work/manca"
press_trova
wait_for a11y box >/dev/null || fail "the Brenvo1 box did not appear for a missing folder"
$probe close "$window" || fail "the close request could not be sent"
expect_end_after_close "$app_pid" "while a box was shown"
running "$app_pid" || app_pid=""

[ "$failures" -eq 0 ] || exit 1
