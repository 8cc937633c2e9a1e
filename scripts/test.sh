#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build, then the Windows
# build under Wine (scripts/test-windows.sh). Installs missing Debian
# packages.
# Usage: scripts/test.sh [extra cmake arguments for the Linux build]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build test

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRENVO1_WERROR=ON "$@"
cmake --build "$BUILD_DIR" -j"$(nproc)"
echo "== The Linux build's tests"
(cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")

echo "== The Windows build's tests, under Wine"
BUILD_DIR=${WINDOWS_BUILD_DIR:-build-windows} scripts/test-windows.sh 2>&1
