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

BUILD_DIR=${BUILD_DIR:-build-windows}
BUILD_DIR="$BUILD_DIR" scripts/test-windows.sh
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)

# Nothing but Windows' own libraries may be needed next to the programs.
for exe in "$BUILD_DIR/scan/brenvo1-scan.exe" "$BUILD_DIR/window/win32/brenvo1.exe"; do
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
