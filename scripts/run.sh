#!/usr/bin/env bash
# Builds the program and starts it. Installs missing Debian packages.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build

BUILD_DIR=${BUILD_DIR:-build-run}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBRENVO1_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target brenvo1
exec "$BUILD_DIR/window/qt/brenvo1"
