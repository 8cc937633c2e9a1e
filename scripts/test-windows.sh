#!/usr/bin/env bash
# Cross-builds the Windows programs (brenvo1.exe, brenvo1-scan.exe), their
# tests and the installer for 64-bit Windows with MinGW-w64, and runs the
# tests under Wine: the engine's tests, the Windows file-system tests, the
# comparison with the reference, the window driven in an Xvfb server of its
# own, the installer installed and removed. Build and test messages go to
# standard error. Installs missing Debian packages.
# Usage: scripts/test-windows.sh [--build-only]   (BUILD_DIR, default build-windows)
#   --build-only  builds the programs and the installer without their tests
#                 and runs nothing (package-windows.sh --no-tests)
set -euo pipefail
cd "$(dirname "$0")/.."

tests=ON
case "${1:-}" in
  "") ;;
  --build-only) tests=OFF ;;
  *) echo "usage: $0 [--build-only]" >&2; exit 2 ;;
esac

scripts/deps.sh windows >&2

BUILD_DIR=${BUILD_DIR:-build-windows}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
configure() {
  cmake -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DBRENVO1_WERROR=ON -DBRENVO1_WINDOW=ON -DBRENVO1_TESTS=$tests >&2
}
if [ "$tests" = OFF ]; then
  configure
  cmake --build "$BUILD_DIR" -j2 >&2
  exit 0
fi

# A Wine prefix of the build's own: tests never touch the user's ~/.wine.
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
source scripts/wine_prefix.sh
wine_prefix_ready

configure
cmake --build "$BUILD_DIR" -j2 >&2
# The window tests need an X server, and so does Wine's desktop process,
# which starts with the prefix's services below and stays for all the
# tests: a private Xvfb comes first.
source tests/x_session.sh
x_work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; x_session_stop; rm -rf "$x_work"' EXIT
x_session_start "$x_work"
# Wine's server, its services and its desktop process (explorer.exe
# /desktop) start with the first program of the prefix that needs them and
# take that program's output along: the desktop keeps it for as long as any
# program of the prefix runs, so that CTest waited for a test that had ended
# until the other tests ended too. Started here with nothing to hold, and
# kept up for all the tests, they are ended with the prefix's own server
# afterwards.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &
desktop_up() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
wait_for desktop_up || { echo "test-windows.sh: Wine's desktop process did not start" >&2; exit 1; }
status=0
(cd "$BUILD_DIR" && ctest --output-on-failure -j2 >&2) || status=$?
wineserver -k || true
x_session_stop
exit "$status"
