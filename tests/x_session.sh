# Sourced by the tests that drive a real window in a private X server
# (Xvfb) with xdotool: the Linux window and the Windows one under Wine.
#   x_session_require TOOL...   exits 77 (skipped) when a tool is missing
#   x_session_start WORKDIR     starts Xvfb on a free display, exports DISPLAY
#   x_session_stop              ends it (also from an EXIT trap)
#   wait_for COMMAND...         polls COMMAND for up to 15 seconds
#   running PID                 whether a process is alive and not a zombie
#   fail MESSAGE                prints FAIL: MESSAGE and exits 1
#   fault MESSAGE               prints FAIL: MESSAGE, counts it in failures
#   expect_end_after_close PID  faults unless PID ends with status 0 within 4 s
#   expect_one_open PID FILE    waits for the open counter PID, faults unless
#                               the count it wrote last in FILE is 1

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

# After a close request sent during a search: the program must end promptly
# and cleanly, as closing it ends it at any other time.
expect_end_after_close() {
  local pid=$1 i status=0
  for ((i = 0; i < 40; i++)); do
    running "$pid" || break
    sleep 0.1
  done
  if running "$pid"; then
    fault "the program was still running 4 s after a close request during a search"
    return
  fi
  wait "$pid" || status=$?
  echo "ok: a close request during a search ended the program within 4 s"
  [ "$status" -eq 0 ] || fault "the program ended with status $status after a close during a search"
}

# After clicks and keys given during a search: the searched file was opened
# by that one run, so the input was dropped, not replayed as more searches.
expect_one_open() {
  local opens
  wait "$1" || fail "the open counter failed"
  opens=$(tail -n1 "$2")
  if [ "$opens" -eq 1 ]; then
    echo "ok: two clicks and a key given during a search started nothing"
  else
    fault "probe.txt was opened $opens times, not once: input given during a search was replayed"
  fi
}

x_session_require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is not installed"
      exit 77
    fi
  done
}

wait_for() {
  local i
  for ((i = 0; i < 150; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
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
  Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  x_server_pid=$!
  exec {display_fd}>&-
  wait_for test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY
}

x_session_stop() {
  if [ -n "$x_server_pid" ]; then
    kill "$x_server_pid" 2>/dev/null || true
    wait "$x_server_pid" 2>/dev/null || true
    x_server_pid=""
  fi
}
