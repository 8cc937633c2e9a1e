#!/usr/bin/env bash
# Builds the Debian package of the program into out/, with its SHA-256 in
# out/SHA256SUMS, and prints its path on standard output (build messages go
# to standard error), so
#   deb=$(scripts/package.sh)
# works. Installs missing Debian packages. The package is reproducible: the
# same commit gives the same bytes wherever and whenever it is built
# (scripts/check-reproducible.sh checks it).
#
# Install the package, with its dependencies, and remove it again:
#   sudo apt install ./out/brenvo1_*.deb
#   sudo apt remove brenvo1
# Then "Scandilo" is in the desktop's menu (Accessori / Utility), and
# brenvo1-scan CARTELLA TESTO runs the same search in a terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
# The install and CPack make the package's folders, and CPack its archive
# members, with the umask's modes: with this one they have the modes Debian
# expects (0755, 0644), whatever the umask of the user who builds.
umask 022

# The build group brings dpkg-dev: dpkg-buildflags gives the hardening
# flags, dpkg-shlibdeps works out the package's dependencies.
scripts/deps.sh build >&2
# The time of every file in the package (CPack reads it).
source scripts/release_time.sh

BUILD_DIR=${BUILD_DIR:-build-package}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBRENVO1_TESTS=OFF -DBRENVO1_BENCH=OFF -DBRENVO1_FUZZ=OFF >&2
cmake --build "$BUILD_DIR" -j"$(nproc)" --target brenvo1 brenvo1-scan brenvo1_documents >&2

rm -rf "$BUILD_DIR/cpack"
cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$BUILD_DIR/cpack" >&2

debs=("$BUILD_DIR"/cpack/brenvo1_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "package.sh: expected one brenvo1_*.deb in $BUILD_DIR/cpack" >&2
  exit 1
fi
mkdir -p out
# One package in out/, so that ./out/brenvo1_*.deb names just this one.
rm -f out/brenvo1_*.deb
mv "${debs[0]}" out/
scripts/write_checksums.sh
echo "$PWD/out/$(basename "${debs[0]}")"
