#!/usr/bin/env bash
# count_requests.sh TREE TEXT
#
# Counts the file-system requests (opens, stats, closes, listings, files
# asked for ahead; not reads) that brenvo1-scan, `rg -j1` and
# `grep -r --include` make to search TREE for TEXT, with `strace -f -c`,
# warm and, as root, with the page cache dropped before each run. On a file
# server each request is a round trip: their number, not the bytes, sets the
# time there. See request_count.sh for what is counted.
#
# Environment: BRENVO1_BUILD (default: the repository's build-bench),
# BRENVO1_SCAN.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 TREE TEXT" >&2
  exit 2
fi
tree=$(realpath -s -- "$1")
text=$2
[ -d "$tree" ] || { echo "count_requests: no folder $tree" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scan=${BRENVO1_SCAN:-${BRENVO1_BUILD:-$here/../build-bench}/cli/brenvo1-scan}
[ -x "$scan" ] || { echo "count_requests: no brenvo1-scan at $scan" >&2; exit 2; }
for tool in strace rg grep; do
  command -v "$tool" >/dev/null || { echo "count_requests: $tool is not installed (scripts/deps.sh bench)" >&2; exit 2; }
done
# shellcheck source=request_count.sh
. "$here/request_count.sh"

candidates=$(candidate_count "$tree")
echo "tree: $tree: $(find "$tree" -type f | wc -l) files, $candidates candidates, $(find "$tree" -type d | wc -l) folders"
echo "brenvo1-scan: $scan"

can_drop=0
if [ "$(id -u)" -eq 0 ] && sync && echo 3 > /proc/sys/vm/drop_caches 2>/dev/null; then can_drop=1; fi
drop() { sync; echo 3 > /proc/sys/vm/drop_caches; }

echo
request_header
for tool in scan rg1 grep; do
  if [ "$can_drop" -eq 1 ]; then
    drop
    request_row "${tool_label[$tool]}, cold" "$candidates" "$tool" "$tree" "$text"
  fi
  tool_command "$tool" "$tree" "$text" | xargs -0 sh -c '"$0" "$@" > /dev/null 2>&1' || true  # warms the cache
  request_row "${tool_label[$tool]}, warm" "$candidates" "$tool" "$tree" "$text"
done
for tool in scan rg1 grep; do request_baseline "$tool"; done
[ "$can_drop" -eq 1 ] || echo "cold runs skipped: dropping the page cache needs root"
