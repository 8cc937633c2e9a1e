#!/usr/bin/env bash
# Drives the real program in an Xvfb server as a person would, with xdotool:
# types a folder and a text, clicks "Trova", double-clicks the first result
# and checks what a stand-in text editor received, byte for byte. Also checks
# the "Brenvo1" box for a missing folder, and, during a search of several
# seconds, what a window manager sees: pings answered, input dropped, and a
# close request that ends the program.
# Usage: real_x_server_test.sh PATH-TO-brenvo1 PATH-TO-brenvo1-scan
# Exit status 77 (skipped) when Xvfb, xdotool or python3-xlib is not installed.
set -euo pipefail

source "$(dirname "$(realpath "$0")")/../x_session.sh"
x_session_require Xvfb xdotool
if ! /usr/bin/python3 -c 'import Xlib' 2>/dev/null; then
  echo "skipped: python3-xlib is not installed"
  exit 77
fi
program=$(realpath "$1")
scan=$(realpath "$2")
probe="/usr/bin/python3 $(dirname "$(realpath "$0")")/x_probe.py"

work=$(mktemp -d)
app_pid=""
counter_pid=""
cleanup() {
  [ -n "$counter_pid" ] && kill "$counter_pid" 2>/dev/null || true
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  x_session_stop
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- the searched tree: names a shell would misread, and bytes that are not
# UTF-8 (these can only reach the window through the folder's contents).
tree="$work/tree"
mkdir -p "$tree/cartella con spazi" "$work/cwd" "$work/bin" "$work/records"
spaced_name="$tree/cartella con spazi/nota \$(touch pwned) 'a' \"b\" \`touch pwned2\`.txt"
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

# --- a private X server on a free display.
x_session_start "$work"
unset QT_QPA_PLATFORM

# The program's exit status is checked after a close. Under the sanitizers,
# the leak checker would fail it for a buffer the system's D-Bus library
# keeps until exit; any other fault the sanitizers find still fails it.
if [ -n "${BRENVO1_SANITIZED:-}" ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi
(cd "$work/cwd" && PATH="$work/bin:$PATH" exec "$program") >"$work/app.log" 2>&1 &
app_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Scandilo$' | head -n1) ||
  fail "the window did not appear: $(cat "$work/app.log")"

# Positions inside the window, from its fixed layout.
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
type_into() {
  click_at "$1" "$2"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 10 -- "$3"
}
search() {
  type_into 100 20 "$1"   # txtPercorso
  type_into 100 52 "$2"   # txtTesto
  click_at 412 52         # Command1, "Trova"
}
record_count() { find "$work/records" -type f ! -name '*.new' | wc -l; }

# A double-click waits in the X queue until the run is over: the window
# takes no input while it searches.
open_first_result_and_check() {
  local expected=$1 before
  before=$(record_count)
  xdotool mousemove --window "$window" 60 90 click --repeat 2 --delay 60 1
  wait_for test "$(record_count)" -gt "$before" || fail "no editor was started for $expected"
  [ "$(record_count)" -eq $((before + 1)) ] || fail "more than one editor was started"
  local record
  record=$(find "$work/records" -type f ! -name '*.new' -newer "$work/display" -printf '%T@ %p\n' | sort -n | tail -n1 | cut -d' ' -f2-)
  printf '%s\0' "$expected" >"$work/expected"
  cmp -s "$work/expected" "$record" || {
    od -c "$record" | head -n 20 >&2
    fail "the editor did not receive exactly $(printf '%q' "$expected")"
  }
  touch "$work/display"
}

search "$tree" "alfa"
open_first_result_and_check "$spaced_name"
echo "ok: a path with spaces, quotes and shell syntax reached the editor unchanged"

search "$tree" "BETA"
open_first_result_and_check "$latin1_name"
echo "ok: a name that is not UTF-8 reached the editor unchanged"

search "$tree" "gamma"
open_first_result_and_check "$tree/piano.txt"
echo "ok: a plain path reached the editor"

if [ -n "$(find "$work" -name 'pwned*' -print -quit)" ]; then
  fail "a shell ran a command hidden in a file name"
fi
echo "ok: nothing of the names was run"

search "$work/manca" "alfa"
box=$(timeout 15 xdotool search --sync --onlyvisible --name '^Brenvo1$' | head -n1) ||
  fail "the Brenvo1 box did not appear for a missing folder"
echo "ok: the Brenvo1 box appeared for a missing folder"
xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers Return
wait_for sh -c "! xdotool search --onlyvisible --name '^Brenvo1\$' >/dev/null" || fail "the box did not close on Enter"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended: $(cat "$work/app.log")"
echo "ok: the box closed and the program goes on"

# --- a search of several seconds: one large sparse file, which takes no
# disk, read to its end with a search text long enough to be followed
# character by character; probe.txt is opened once on each run.
long="$work/long"
mkdir -p "$long"
text=$(printf 'zafferano %.0s' 1 2 3 4 5 6 7 8)
printf '%s\n' "$text" >"$long/probe.txt"
# Two files opened in turn on each run: inotify merges only repeated events
# in a row, so every open of probe.txt is counted.
printf 'pagliaio\n' >"$long/zz.txt"

# The engine alone times a small file; the window's search reads one large
# enough to last about 8 seconds.
scan_ms() {
  local start end
  truncate -s "$1" "$long/big.txt"
  start=$(date +%s%N)
  "$scan" "$long" "$text" >"$work/scan.out"
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
size=$((64 << 20))
while :; do
  took=$(scan_ms $size)
  [ "$(cat "$work/scan.out")" = "$long/probe.txt" ] || fail "the long search did not list probe.txt alone"
  [ "$took" -ge 300 ] || [ $size -ge $((64 << 30)) ] && break
  size=$((size * 2))
done
size=$((size * 8000 / (took + 1)))
truncate -s "$size" "$long/big.txt"
echo "a search through $((size >> 20)) MiB, about 8 s for the engine alone"


$probe ping "$window" 1 >/dev/null || fail "the idle window did not answer a ping"

$probe count-opens "$long" probe.txt 12 150 >"$work/opens" &
counter_pid=$!
wait_for grep -q watching "$work/opens" || fail "the open counter did not start"
search "$long" "$text"
sleep 1
for i in 1 2 3; do
  if answered=$($probe ping "$window" 2); then
    echo "ping $i during the search answered in $answered s"
  else
    fault "ping $i during a search was not answered within 2 s"
  fi
  sleep 0.3
done
[ "$failures" -eq 0 ] && echo "ok: the window answered pings during a search"

# Input given during the run is dropped, not replayed as more searches.
click_at 412 52
click_at 412 52
xdotool key --clearmodifiers space  # on the focused "Trova"
expect_one_open "$counter_pid" "$work/opens"
counter_pid=""

# Closing the window during a run ends the program, as at any other time.
search "$long" "$text"
sleep 1
$probe close "$window"
expect_end_after_close "$app_pid"
running "$app_pid" || app_pid=""

[ "$failures" -eq 0 ] || exit 1
