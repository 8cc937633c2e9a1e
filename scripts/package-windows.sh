#!/usr/bin/env bash
# Cross-builds the window brenvo1.exe and brenvo1-scan.exe for 64-bit
# Windows with MinGW-w64, runs the engine's tests and the Windows tests
# under Wine (the window driven in an Xvfb server of its own, the installer
# installed and removed), and writes out/brenvo1-<version>-win64.zip (both
# programs, README, LICENSE, the third-party notices) and the installer
# out/brenvo1-<version>-win64-setup.exe. Prints the zip's path, then the
# installer's, on standard output; build and test messages go to standard
# error, so
#   { read -r zip; read -r setup; } < <(scripts/package-windows.sh)
# works. Installs missing Debian packages.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh windows >&2

BUILD_DIR=${BUILD_DIR:-build-windows}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
# A Wine prefix of the build's own: tests never touch the user's ~/.wine.
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Setting up the Wine prefix $WINEPREFIX" >&2
  wineboot -i >&2 2>/dev/null
  wineserver -w
fi

cmake -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DBRENVO1_WERROR=ON -DBRENVO1_WINDOW=ON >&2
cmake --build "$BUILD_DIR" -j2 >&2
# The window tests need an X server, and so does Wine's desktop process,
# which starts with the prefix's services below and stays for all the
# tests: a private Xvfb comes first.
source tests/x_session.sh
x_work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; x_session_stop; rm -rf "$x_work"' EXIT
x_session_start "$x_work"
# Wine's server and services start with the first program of the prefix and
# would hold that program's output open after it ends, so that each test
# waited for them. Started here with nothing to hold, and kept up for all
# the tests, they are ended with the prefix's own server afterwards.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
status=0
(cd "$BUILD_DIR" && ctest --output-on-failure -j2 >&2) || status=$?
wineserver -k || true
x_session_stop
[ "$status" -eq 0 ] || exit "$status"

# Nothing but Windows' own libraries may be needed next to the programs.
for exe in "$BUILD_DIR/search/brenvo1-scan.exe" "$BUILD_DIR/window/win32/brenvo1.exe"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll|ntdll.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-*.dll|advapi32.dll|user32.dll|shell32.dll) ;;
      gdi32.dll|comctl32.dll) ;;
      *) echo "package-windows.sh: $(basename "$exe") needs $dll, which Windows does not ship" >&2; exit 1 ;;
    esac
  done
done

# The build staged the stripped programs and the texts for the installer;
# the zip holds the same files. The GCC runtime and winpthreads are linked
# into the programs: the notices cover them.
version=$(sed -n 's/^project(brenvo1 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="brenvo1-$version-win64"
stage="$BUILD_DIR/zip/$name"
rm -rf "$BUILD_DIR/zip"
mkdir -p "$stage" out
for file in brenvo1.exe brenvo1-scan.exe README.md LICENSE THIRD-PARTY-NOTICES.txt; do
  cp "$BUILD_DIR/packaging/windows/stage/$file" "$stage/"
done
rm -f "out/$name.zip"
(cd "$BUILD_DIR/zip" && zip -qr -X "$OLDPWD/out/$name.zip" "$name")
cp "$BUILD_DIR/packaging/windows/$name-setup.exe" out/
echo "$PWD/out/$name.zip"
echo "$PWD/out/$name-setup.exe"
