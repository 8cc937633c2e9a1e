#!/usr/bin/env bash
# Cross-builds brenvo1-scan.exe for 64-bit Windows with MinGW-w64, runs the
# engine's tests and the Windows tests under Wine, and writes
# out/brenvo1-<version>-win64.zip (brenvo1-scan.exe, README, LICENSE, the
# third-party notices). Prints
# the zip's path on standard output; build and test messages go to standard
# error, so
#   zip=$(scripts/package-windows.sh)
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
  -DCMAKE_BUILD_TYPE=Release -DBRENVO1_WERROR=ON >&2
cmake --build "$BUILD_DIR" -j2 >&2
# Wine's server and services start with the first program of the prefix and
# would hold that program's output open after it ends, so that each test
# waited for them. Started here with nothing to hold, and kept up for all
# the tests, they are ended with the prefix's own server afterwards.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
status=0
(cd "$BUILD_DIR" && ctest --output-on-failure -j2 >&2) || status=$?
wineserver -k || true
[ "$status" -eq 0 ] || exit "$status"

# Nothing but Windows' own libraries may be needed next to the program.
exe="$BUILD_DIR/search/brenvo1-scan.exe"
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|ntdll.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-*.dll|advapi32.dll|user32.dll|shell32.dll) ;;
    *) echo "package-windows.sh: brenvo1-scan.exe needs $dll, which Windows does not ship" >&2; exit 1 ;;
  esac
done

version=$(sed -n 's/^project(brenvo1 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="brenvo1-$version-win64"
stage="$BUILD_DIR/zip/$name"
rm -rf "$BUILD_DIR/zip"
mkdir -p "$stage" out
x86_64-w64-mingw32-strip -o "$stage/brenvo1-scan.exe" "$exe"
cp README.md "$stage/"
[ -f LICENSE ] && cp LICENSE "$stage/"
# The GCC runtime and winpthreads are linked into the program.
cp packaging/windows/THIRD-PARTY-NOTICES.txt "$stage/"
rm -f "out/$name.zip"
(cd "$BUILD_DIR/zip" && zip -qr -X "$OLDPWD/out/$name.zip" "$name")
echo "$PWD/out/$name.zip"
