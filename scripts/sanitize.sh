#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and UndefinedBehavior-
# Sanitizer, with no recovery, and runs every test on that build: a memory
# fault or undefined behaviour anywhere the tests reach fails the run.
# Usage: scripts/sanitize.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/deps.sh build test sanitize

BUILD_DIR=${BUILD_DIR:-build-sanitize}
JOBS=${JOBS:-$(nproc)}
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

# The sanitizers' options also apply while the build runs the test programs
# to list their tests.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Without Debian's hardening flags: AddressSanitizer checks every access
# itself, and _FORTIFY_SOURCE's wrappers would keep some from its view.
cmake -S . -B "$BUILD_DIR" \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRENVO1_WERROR=ON \
  -DBRENVO1_HARDENING=OFF \
  -DCMAKE_CXX_FLAGS="$sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
  -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers" \
  -DCMAKE_MODULE_LINKER_FLAGS="$sanitizers" \
  "$@"
cmake --build "$BUILD_DIR" -j"$JOBS"

# Tells tests that start the programs themselves that these run sanitized:
# AddressSanitizer reserves terabytes of address space, so a limit on it
# (RLIMIT_AS) stops the program at start, and LeakSanitizer needs /proc, so
# it cannot run in a chroot without one.
export BRENVO1_SANITIZED=1

cd "$BUILD_DIR"
echo "== Every test under AddressSanitizer and UndefinedBehaviorSanitizer"
# Not the two tests that fill the process's descriptor table on purpose:
# UndefinedBehaviorSanitizer probes memory through a pipe before it checks a
# virtual call, and with no descriptor free it reports every such call as
# made on a broken object. test.sh runs them on the unsanitized build.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$JOBS" \
  -E 'DescriptorsRunShort|UnderADescriptorLimit'
