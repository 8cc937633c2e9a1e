#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and Undefined-
# BehaviorSanitizer, and runs each for a bounded time from the seed corpus
# in tests/fuzz/corpus/. Any crash, sanitizer report or failed check fails
# the script; the input that caused it is kept in the build folder.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-60}
case "$seconds" in
  ''|*[!0-9]*) echo "fuzz.sh: seconds must be a whole number" >&2; exit 2 ;;
esac

scripts/deps.sh build test sanitize

BUILD_DIR=${BUILD_DIR:-build-fuzz}
JOBS=${JOBS:-$(nproc)}
targets=(decode_match_fuzzer extension_fuzzer path_fuzzer)
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

# The engine's libraries get coverage instrumentation (fuzzer-no-link); the
# fuzz targets add libFuzzer's main themselves.
# Without Debian's hardening flags: AddressSanitizer checks every access
# itself, and _FORTIFY_SOURCE's wrappers would keep some from its view.
cmake -S . -B "$BUILD_DIR" \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRENVO1_WERROR=ON \
  -DBRENVO1_HARDENING=OFF \
  -DBRENVO1_FUZZ=ON -DBRENVO1_WINDOW=OFF -DBRENVO1_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
for target in "${targets[@]}"; do
  # New inputs go to a scratch folder, so the committed seeds stay as they are.
  work="$BUILD_DIR/fuzz-work/$target"
  artifacts="$BUILD_DIR/fuzz-artifacts/$target/"
  rm -rf "$work"
  mkdir -p "$work" "$artifacts"
  echo "== Fuzzing $target for ${seconds}s"
  if ! "$BUILD_DIR/tests/fuzz/$target" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -print_final_stats=1 -artifact_prefix="$artifacts" \
      "$work" "$root/tests/fuzz/corpus/$target" 2>"$BUILD_DIR/fuzz-work/$target.log"; then
    tail -n 60 "$BUILD_DIR/fuzz-work/$target.log" >&2
    echo "fuzz.sh: $target failed; the input is in $artifacts" >&2
    status=1
    continue
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|INFO: Seed|Done)|#[0-9]+ *DONE' \
    "$BUILD_DIR/fuzz-work/$target.log" || true
  echo "== $target passed"
done
exit $status
