# Sourced by the tests that drive a real window in a private X server
# (Xvfb) with xdotool: the Linux window and the Windows one under Wine.
#   x_session_require TOOL...   exits 77 (skipped) when a tool is missing
#   x_session_start WORKDIR     starts Xvfb on a free display, exports DISPLAY
#   x_session_stop              ends it (also from an EXIT trap)
#   wait_for COMMAND...         polls COMMAND for up to 15 seconds
#   running PID                 whether a process is alive and not a zombie
#   fail MESSAGE                prints FAIL: MESSAGE and exits 1

x_server_pid=""

fail() {
  echo "FAIL: $*" >&2
  exit 1
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
