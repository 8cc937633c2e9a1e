#!/usr/bin/env bash
# Cross-builds the window brenvo1.exe and brenvo1-scan.exe for 64-bit
# Windows with MinGW-w64, runs the engine's tests and the Windows tests
# under Wine (the window driven in an Xvfb server of its own, the installer
# and the MSI installed and removed), and writes
# out/brenvo1-<version>-win64.zip (both programs, LEGGIMI.txt, LICENSE.txt,
# the third-party notices: texts with Windows line ends), the installer
# out/brenvo1-<version>-win64-setup.exe and the MSI
# out/brenvo1-<version>-win64.msi, with their SHA-256 in out/SHA256SUMS.
# Prints the zip's path, then the installer's, then the MSI's, on standard
# output; build and test messages go to standard error, so
#   { read -r zip; read -r setup; read -r msi; } < <(scripts/package-windows.sh)
# works. Installs missing Debian packages. The three files are
# reproducible: the same commit gives the same bytes wherever and whenever
# it is built (scripts/check-reproducible.sh checks it).
# Usage: scripts/package-windows.sh [--no-tests]
#   --no-tests  builds and packs without building or running the tests
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  "") build_only=() ;;
  --no-tests) build_only=(--build-only) ;;
  *) echo "usage: $0 [--no-tests]" >&2; exit 2 ;;
esac

# The time of every file in the zip.
source scripts/release_time.sh

BUILD_DIR=${BUILD_DIR:-build-windows}
BUILD_DIR="$BUILD_DIR" scripts/test-windows.sh "${build_only[@]}"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)

# Nothing but Windows' own libraries may be needed next to the programs
# that ship, and their headers hold no build time.
for exe in "$BUILD_DIR"/packaging/windows/stage/*.exe; do
  header=$(TZ=UTC x86_64-w64-mingw32-objdump -p "$exe")
  stamp=$(sed -n 's/^Time\/Date\s*//p' <<<"$header")
  [ "$(TZ=UTC date -d "$stamp" +%s)" = 0 ] ||
    { echo "package-windows.sh: $(basename "$exe") carries a time stamp: $stamp" >&2; exit 1; }
  dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$header" | tr 'A-Z' 'a-z' | sort -u)
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
files=(LEGGIMI.txt LICENSE.txt THIRD-PARTY-NOTICES.txt brenvo1-scan.exe brenvo1.exe)
for file in "${files[@]}"; do
  cp "$BUILD_DIR/packaging/windows/stage/$file" "$stage/"
done
# The same bytes from every build: entries in a fixed order, each with a
# fixed mode and the release's time (kept in the zip as a local time, so
# taken in UTC), and no owner or other Unix field (-X).
chmod 0755 "$stage" "$stage"/*.exe
chmod 0644 "$stage"/*.txt
touch -d "@$SOURCE_DATE_EPOCH" "$stage" "$stage"/*
# Only this version's packages in out/, so that ./out/brenvo1-*-win64.zip
# names just this one.
rm -f out/brenvo1-*-win64.zip out/brenvo1-*-win64-setup.exe out/brenvo1-*-win64.msi
(cd "$BUILD_DIR/zip" && TZ=UTC zip -q -X "$OLDPWD/out/$name.zip" "$name/" "${files[@]/#/$name/}")
cp "$BUILD_DIR/packaging/windows/$name-setup.exe" "$BUILD_DIR/packaging/windows/$name.msi" out/
scripts/write_checksums.sh
echo "$PWD/out/$name.zip"
echo "$PWD/out/$name-setup.exe"
echo "$PWD/out/$name.msi"
