#!/usr/bin/env bash
# The first search of the day: brenvo1-scan with nothing of the tree in
# memory, against reading the same candidate files with 16 readers at once
# (what the disk gives when asked for many files together), and warm.
# Usage: bench/cold_cache.sh TREE TEXT [ROUNDS]
# Dropping the page cache needs root; without it only warm runs are timed.
# OTHER_SCAN=PATH times another brenvo1-scan (an earlier build, say) in the
# same rounds, each run right after this one's, so that both meet the same
# disk and the same load.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/request_count.sh"
tree=${1:?usage: cold_cache.sh TREE TEXT [ROUNDS]}
text=${2:?usage: cold_cache.sh TREE TEXT [ROUNDS]}
rounds=${3:-5}
scan=${BRENVO1_SCAN:-${BRENVO1_BUILD:-$here/../build-bench}/cli/brenvo1-scan}
[ -x "$scan" ] || { echo "cold_cache.sh: no brenvo1-scan at $scan" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$tree" -type f \( "${find_candidates[@]}" \) -print0 > "$work/list"

can_drop=0
if [ "$(id -u)" -eq 0 ] && sync && echo 3 > /proc/sys/vm/drop_caches 2>/dev/null; then can_drop=1; fi
drop() { sync; echo 3 > /proc/sys/vm/drop_caches; }
seconds() { local start=$(date +%s.%N); "$@" > /dev/null 2>&1 || true; echo "$(date +%s.%N) - $start" | bc; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
parallel_read() { xargs -0 -n 50 -P 16 cat < "$work/list" > /dev/null; }
scan_to_file() { "$scan" "$tree" "$text" > "$work/hits"; }
other=${OTHER_SCAN:-}
[ -z "$other" ] || [ -x "$other" ] || { echo "cold_cache.sh: no brenvo1-scan at $other" >&2; exit 2; }
other_to_file() { "$other" "$tree" "$text" > "$work/other-hits"; }

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$can_drop" -eq 1 ]; then
  for _ in $(seq "$rounds"); do
    drop; seconds scan_to_file >> "$work/cold"
    [ -z "$other" ] || { drop; seconds other_to_file >> "$work/other-cold"; }
    drop; seconds parallel_read >> "$work/floor"
  done
  cold=$(median < "$work/cold"); floor=$(median < "$work/floor")
  printf 'cold brenvo1-scan      %.3f s (median of %d)\n' "$cold" "$rounds"
  printf 'cold 16 readers (cat)  %.3f s\n' "$floor"
  printf 'cold scan/floor        %.2f\n' "$(echo "$cold / $floor" | bc -l)"
  if [ -n "$other" ]; then
    other_cold=$(median < "$work/other-cold")
    printf 'cold other scan        %.3f s (%s)\n' "$other_cold" "$other"
    printf 'cold other/floor       %.2f\n' "$(echo "$other_cold / $floor" | bc -l)"
  fi
else
  echo "cold runs skipped: dropping the page cache needs root (echo 3 > /proc/sys/vm/drop_caches)"
fi
scan_to_file
[ -z "$other" ] || other_to_file
for _ in $(seq "$rounds"); do
  seconds scan_to_file >> "$work/warm"
  [ -z "$other" ] || seconds other_to_file >> "$work/other-warm"
done
printf 'warm brenvo1-scan      %.3f s\n' "$(median < "$work/warm")"
[ -z "$other" ] || printf 'warm other scan        %.3f s\n' "$(median < "$work/other-warm")"
echo "hits: $(wc -l < "$work/hits")"
if [ -n "$other" ]; then
  cmp -s "$work/hits" "$work/other-hits" && echo "the other scan lists the same hits" || echo "THE OTHER SCAN LISTS OTHER HITS"
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
