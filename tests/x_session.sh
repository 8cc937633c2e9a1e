# Sourced by the tests that drive a real window in a private X server
# (Xvfb) with xdotool: the Linux window and the Windows one under Wine.
#   x_session_require TOOL...   exits 77 (skipped) when a tool is missing
#   x_session_start WORKDIR     starts Xvfb on a free display, exports DISPLAY;
#                               its screen is X_SCREEN_SIZE (1024x768)
#   x_session_stop              ends it (also from an EXIT trap)
#   wait_for COMMAND...         polls COMMAND until it succeeds, for up to 30 s
#   running PID                 whether a process is alive and not a zombie
#   fail MESSAGE                prints FAIL: MESSAGE and exits 1
#   fault MESSAGE               prints FAIL: MESSAGE, counts it in failures
#   expect_end_after_close PID  faults unless PID ends with status 0 within 20 s
#
# A search that lasts until the test ends it: FOLDER holds a huge sparse
# file, big.txt, read until it is cut short, then probe.txt (the one hit)
# and zz.txt; the files the program opens there are watched:
#   long_search_start FOLDER WORKDIR   makes the files, starts the watcher
#   long_search_arm                    big.txt new and huge again
#   long_search_wait_reading N         waits until big.txt was opened N times
#   long_search_end                    cuts big.txt short: the run goes on to
#                                      its end at once
#   long_search_opens NAME             how often NAME was opened so far
#   expect_one_search                  faults unless probe.txt was opened
#                                      once: by one search, not by input
#                                      given during it and replayed after
#   long_search_stop                   ends the watcher (also from a trap)

x_server_pid=""

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

failures=0
fault() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# After a close request: the program must end promptly and cleanly, as
# closing it ends it at any other time. A long search would take minutes to
# run out: ending in time shows the close did not wait for it. WHEN names
# the moment, for the messages.
expect_end_after_close() {
  local pid=$1 when=$2 i status=0
  for ((i = 0; i < 200; i++)); do
    running "$pid" || break
    sleep 0.1
  done
  if running "$pid"; then
    # Where it is stuck, for whoever reads the failure.
    if command -v gdb >/dev/null 2>&1; then
      gdb -p "$pid" -batch -ex "thread apply all bt" 2>/dev/null | grep "^#" | head -60 >&2 || true
    fi
    fault "the program was still running 20 s after a close request $when"
    return
  fi
  wait "$pid" || status=$?
  echo "ok: a close request $when ended the program"
  [ "$status" -eq 0 ] || fault "the program ended with status $status after a close request $when"
}

long_search_folder=""
long_search_watcher=""

long_search_start() {
  long_search_folder=$1
  mkdir -p "$long_search_folder"
  printf '%s\n' "$long_search_text" >"$long_search_folder/probe.txt"
  printf 'pagliaio\n' >"$long_search_folder/zz.txt"
  : >"$long_search_folder/big.txt"
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/x_probe.py" watch-opens "$long_search_folder" \
    >"$2/opens" &
  long_search_watcher=$!
  wait_for grep -qsx watching "$2/opens" || fail "the open watcher did not start"
  long_search_opens_file="$2/opens"
}

# Truncating to nothing first drops the holes a read before left cached:
# each search reads a file new to the page cache.
long_search_arm() {
  truncate -s 0 "$long_search_folder/big.txt"
  truncate -s 1T "$long_search_folder/big.txt"
}

long_search_opens() { grep -cxF -- "$1" "$long_search_opens_file" || true; }

big_opened_at_least() { [ "$(long_search_opens big.txt)" -ge "$1" ]; }
long_search_wait_reading() { wait_for big_opened_at_least "$1"; }

long_search_end() { truncate -s 0 "$long_search_folder/big.txt"; }

expect_one_search() {
  local opens
  opens=$(long_search_opens probe.txt)
  if [ "$opens" -eq 1 ]; then
    echo "ok: two clicks and a key given during a search started nothing"
  else
    fault "probe.txt was opened $opens times, not once: input given during a search was replayed"
  fi
}

long_search_stop() {
  if [ -n "$long_search_watcher" ]; then
    kill "$long_search_watcher" 2>/dev/null || true
    wait "$long_search_watcher" 2>/dev/null || true
    long_search_watcher=""
  fi
  [ -z "$long_search_folder" ] || truncate -s 0 "$long_search_folder/big.txt" 2>/dev/null || true
}

# Long enough to be followed character by character, not by its anchor:
# the slowest searches, which read the least while the test looks on.
long_search_text=$(printf 'zafferano %.0s' 1 2 3 4 5 6 7 8)

x_session_require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is not installed"
      exit 77
    fi
  done
}

# A deadline in seconds, not a count of tries: on a busy machine each try
# may itself take long.
wait_for() {
  local deadline=$((SECONDS + ${WAIT_FOR_SECONDS:-30}))
  while ((SECONDS < deadline)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  "$@"
}

# One that ended but was not waited for yet still answers kill -0.
running() {
  local state
  state=$(ps -o stat= -p "$1") || return 1
  [[ $state != Z* ]]
}

# Xvfb picks a free display itself and writes its number to a file.
x_session_start() {
  local work=$1 display_fd
  exec {display_fd}>"$work/display"
  Xvfb -displayfd "$display_fd" -screen 0 "${X_SCREEN_SIZE:-1024x768}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  x_server_pid=$!
  exec {display_fd}>&-
  wait_for test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY
  wait_for xdotool getdisplaygeometry >/dev/null 2>&1 ||
    fail "Xvfb on $DISPLAY takes no connection: $(running "$x_server_pid" || echo "it ended: ")$(cat "$work/xvfb.log")"
}

x_session_stop() {
  if [ -n "$x_server_pid" ]; then
    kill "$x_server_pid" 2>/dev/null || true
    wait "$x_server_pid" 2>/dev/null || true
    x_server_pid=""
  fi
}
