#!/usr/bin/env bash
# Times the window's search run (offscreen, list painting included) against
# the engine alone (brenvo1-scan) on the same generated tree, with few hits
# and with every file a hit (empty search text).
# Usage: bench/window/run.sh [BUILD_DIR] [FILES] [ROUNDS]
#   BUILD_DIR  a build configured with -DBRENVO1_BENCH=ON (default: build-bench)
#   FILES      candidate files in the tree (default: 20000)
#   ROUNDS     runs of each, the best counts (default: 5)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
files=${2:-20000}
rounds=${3:-5}
scan="$build/cli/brenvo1-scan"
window="$build/bench/window/brenvo1-window-bench"
for program in "$scan" "$window"; do
  [ -x "$program" ] || { echo "missing $program: build with -DBRENVO1_BENCH=ON" >&2; exit 2; }
done

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# 100 candidate files per folder, about 2 KB of text each; one file in a
# thousand holds the rare word. A few files of other kinds are never read.
folders=$(((files + 99) / 100))
line="Il gatto dorme sul divano mentre fuori piove e la citta aspetta il sole."
body=""
for ((i = 0; i < 28; i++)); do body+="$line"$'\n'; done
n=0
for ((d = 0; d < folders; d++)); do
  dir="$tree/cartella$((d / 10))/sotto$d"
  mkdir -p "$dir"
  for ((f = 0; f < 100 && n < files; f++, n++)); do
    if ((n % 1000 == 500)); then
      printf '%s%s\n' "$body" "trovami" >"$dir/file$f.txt"
    else
      printf '%s' "$body" >"$dir/file$f.bas"
    fi
  done
  printf 'binario' >"$dir/immagine.png"
done

# Wall time of one run of brenvo1-scan, in milliseconds.
time_scan() {
  local start end
  start=$(date +%s%N)
  "$scan" "$tree" "$1" >/dev/null
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.1f", ns / 1e6 }'
}

# The engine and the window take turns, so that a busy machine slows both
# alike; the best run of each counts.
measure() {
  local text=$1 engineBest="" windowBest="" engineMs windowMs listed
  coproc WINDOW { "$window" "$tree" "$text" 2>/dev/null; }
  "$scan" "$tree" "$text" >/dev/null  # warms the page cache
  echo run >&"${WINDOW[1]}"
  read -r windowMs listed <&"${WINDOW[0]}"
  for ((r = 0; r < rounds; r++)); do
    engineMs=$(time_scan "$text")
    echo run >&"${WINDOW[1]}"
    read -r windowMs listed <&"${WINDOW[0]}"
    engineBest=$(awk -v a="$engineMs" -v b="$engineBest" 'BEGIN { print (b == "" || a < b) ? a : b }')
    windowBest=$(awk -v a="$windowMs" -v b="$windowBest" 'BEGIN { print (b == "" || a < b) ? a : b }')
  done
  exec {WINDOW[1]}>&-
  wait "$WINDOW_PID" 2>/dev/null || true
  echo "$engineBest $windowBest $listed"
}

echo "tree: $files candidate files in $folders folders; best of $rounds runs; load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-12s %7s %12s %12s %7s %7s\n' "case" "hits" "engine ms" "window ms" "ratio" "target"
status=0
for case in "few:trovami:1.25" "every:'':2.00"; do
  IFS=: read -r name text target <<<"$case"
  [ "$text" = "''" ] && text=""
  hits=$("$scan" "$tree" "$text" | wc -l)
  read -r engine windowMs listed < <(measure "$text")
  [ "$listed" = "$hits" ] || { echo "the window listed $listed items, the engine $hits" >&2; exit 1; }
  windowMs=$(awk -v w="$windowMs" 'BEGIN { printf "%.1f", w }')
  ratio=$(awk -v w="$windowMs" -v e="$engine" 'BEGIN { printf "%.2f", w / e }')
  verdict=$(awk -v r="$ratio" -v t="$target" 'BEGIN { print (r <= t) ? "ok" : "OVER" }')
  [ "$verdict" = ok ] || status=1
  label=$([ "$name" = few ] && echo "few hits" || echo "every file")
  printf '%-12s %7d %12s %12s %7s %7s %s\n' "$label" "$hits" "$engine" "$windowMs" "$ratio" "<= $target" "$verdict"
done
exit $status
