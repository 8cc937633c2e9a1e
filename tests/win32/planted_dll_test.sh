#!/usr/bin/env bash
# A DLL planted beside brenvo1.exe is never loaded in place of a system
# DLL. brenvo1.exe is copied into a folder of its own, as into a Downloads
# folder, with a harmless DLL named dwmapi.dll beside it, and started from
# there; once its window is up, its process is made to load dwmapi.dll by
# name, the call system DLLs make when they load another one on demand. It
# must get the system folder's copy, and the planted one must never run.
#
# Wine prefers its own builtin copy of a system DLL wherever a native one
# lies; the test asks it for native first (dwmapi=n,b), as Windows, which
# has only native DLLs, always takes the first copy along its search path.
# Wine resolves the imports and delay-loaded imports of its own DLLs along
# its fixed search path whatever the program sets, so the name is one that
# nothing in the window's process loads by itself under Wine.
#
# Runs in the build's own Wine prefix (WINEPREFIX must be set).
# Usage: planted_dll_test.sh brenvo1.exe window_probe.exe planted.dll TESTS-DIR
# Exit status 77 (skipped) when Xvfb, xdotool or Wine is missing.
set -euo pipefail

program=$(realpath "$1")
probe_exe=$(realpath "$2")
planted=$(realpath "$3")
tests_dir=$(realpath "$4")
source "$tests_dir/x_session.sh"
x_session_require Xvfb xdotool wine
[ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/system.reg" ] || fail "WINEPREFIX must name the build's own Wine prefix"
export WINEDEBUG=-all

work=$(mktemp -d)
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  x_session_stop
  rm -rf "$work"
}
trap cleanup EXIT
[ -n "${DISPLAY:-}" ] || x_session_start "$work"

downloads="$work/Downloads"
mkdir -p "$downloads"
cp "$program" "$downloads/brenvo1.exe"
cp "$planted" "$downloads/dwmapi.dll"
marker="$work/planted-dll-was-loaded"
export BRENVO1_PLANTED_MARKER="Z:${marker//\//\\}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}dwmapi=n,b"

probe() { wine "$probe_exe" "$@" </dev/null | tr -d '\r'; }

(cd "$downloads" && exec wine ./brenvo1.exe </dev/null >"$work/app.log" 2>&1) &
app_pid=$!
wait_for probe client-size >/dev/null 2>&1 || fail "the window did not appear: $(cat "$work/app.log")"

loaded=$(probe load dwmapi.dll) || fail "brenvo1.exe could not load dwmapi.dll at all"
[ ! -e "$marker" ] || fail "the dwmapi.dll planted beside brenvo1.exe was loaded (the process got $loaded)"
[ "$loaded" = 'C:\windows\system32\dwmapi.dll' ] || fail "brenvo1.exe loaded dwmapi.dll from $loaded, not the system folder"
echo "ok: brenvo1.exe, started beside a planted dwmapi.dll, loaded $loaded; the planted one never ran"
