#!/usr/bin/env bash
# Builds everything and runs every test. Installs missing Debian packages.
# Usage: scripts/test.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build test

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRENVO1_WERROR=ON "$@"
cmake --build "$BUILD_DIR" -j"$(nproc)"
cd "$BUILD_DIR"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
