#!/usr/bin/env bash
# peak_memory.sh [--real] [BASE_DIR]
#
# Measures brenvo1-scan's peak resident size on a tree that holds one 2 GiB
# candidate file whose only hit is at its very end, so the whole file must
# be searched. The file is sparse (2 GiB of NUL bytes, no disk used) unless
# --real is given, which writes 2 GiB of Italian text lines instead. The
# tree is kept in BASE_DIR (default /tmp/brenvo1-bench) and reused.
#
# Environment: BRENVO1_BUILD (default: the repository's build-bench),
# BRENVO1_SCAN, READ_FLOOR, LIMIT_MIB (default 64).
set -euo pipefail

kind=sparse
if [ "${1:-}" = "--real" ]; then
  kind=real
  shift
fi
base=${1:-/tmp/brenvo1-bench}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${BRENVO1_BUILD:-$here/../build-bench}
scan=${BRENVO1_SCAN:-$build/cli/brenvo1-scan}
floor=${READ_FLOOR:-$build/bench/read_floor}
limit_mib=${LIMIT_MIB:-64}
[ -x "$scan" ] || { echo "peak_memory: $scan is missing; build with -DBRENVO1_BENCH=ON" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "peak_memory: GNU time is missing (Debian package time)" >&2; exit 2; }

tree=$base/memory-$kind
file=$tree/Archivio_grande.txt
size=$((2 * 1024 * 1024 * 1024))
tail_line=$'\r\n\' vedi la zafferano nella città nel modulo\r\n'
tail_bytes=$(printf '%s' "$tail_line" | wc -c)

if [ ! -f "$file" ] || [ "$(stat -c %s "$file")" -ne "$size" ]; then
  mkdir -p "$tree"
  rm -f "$file"
  if [ "$kind" = sparse ]; then
    truncate -s $((size - tail_bytes)) "$file"
  else
    echo "writing 2 GiB of text to $file ..."
    # yes ends on a broken pipe once head has enough; that is no failure.
    (set +o pipefail; yes $'    MsgBox "più già così: l\'attività è finita", vbOKOnly\r' | head -c $((size - tail_bytes)) >"$file")
  fi
  printf '%s' "$tail_line" >>"$file"
fi
echo "tree: $tree ($kind, $(stat -c %s "$file") bytes, $(du -k "$file" | cut -f1) KiB on disk, hit in the last $tail_bytes bytes)"

measure() {
  local label=$1
  shift
  local out status=0
  out=$(mktemp)
  /usr/bin/time -v -o "$out.time" "$@" >"$out" 2>/dev/null || status=$?
  local kib seconds listed
  kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$out.time")
  seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$out.time")
  listed=$(wc -l <"$out")
  printf 'peak RSS %7d KiB (%6.1f MiB)  wall %8s  lines out %s  status %s  %s\n' \
    "$kib" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" "$seconds" "$listed" "$status" "$label"
  rm -f "$out" "$out.time"
  if [ "$label" != "read floor" ]; then
    [ "$listed" -eq 1 ] || { echo "  FAILED: the hit at the end of the file was not listed" >&2; failed=true; }
    [ "$kib" -le $((limit_mib * 1024)) ] || { echo "  FAILED: above $limit_mib MiB" >&2; failed=true; }
  fi
}

failed=false
echo "command: /usr/bin/time -v $scan $tree TEXT   (Maximum resident set size)"
# The floor goes first: it also brings the file into the page cache, so
# that the wall times that follow are not those of the disk (or, for the
# sparse file, of the kernel zeroing 2 GiB of cache pages).
[ -x "$floor" ] && measure "read floor" "$floor" "$tree"
measure "brenvo1-scan zafferano" "$scan" "$tree" zafferano
measure "brenvo1-scan città" "$scan" "$tree" città
[ "$failed" = false ] && echo "peak resident size within $limit_mib MiB, hit found"
[ "$failed" = false ]
