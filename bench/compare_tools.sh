#!/usr/bin/env bash
# compare_tools.sh TREE TEXT [ROUNDS]
#
# Times brenvo1-scan against ripgrep and GNU grep, each on one thread, and
# against the read-only floor, on the same tree with a warm cache. Before
# timing anything it checks that the tools list the same hit files where
# their rules agree: for an ASCII text, on every file that is not UTF-16
# (grep reads UTF-16 as bytes; ripgrep transcodes it), the three sets must be
# equal; for any other text, every file ripgrep or grep lists must be listed
# by brenvo1-scan too (it also decodes Windows-1252, which they do not). When
# the tree has a manifest from make_tree (TREE.manifest, or $MANIFEST), the
# planted files for the text must be exactly what brenvo1-scan lists.
#
# The tools run interleaved, one after the other in each round, the order
# turning by one every round, so that a slow patch of the machine hits all.
#
# Environment: BRENVO1_BUILD (default: the repository's build-bench),
# BRENVO1_SCAN, READ_FLOOR (paths of the programs), MANIFEST, and
# BASELINE_SCAN: another brenvo1-scan (an older build, say), which must list
# the same hits and is timed in the same rounds, so that two builds are
# compared under the same load.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 TREE TEXT [ROUNDS]" >&2
  exit 2
fi
tree=$(realpath -s -- "$1")
text=$2
rounds=${3:-5}
[ -d "$tree" ] || { echo "compare_tools: no folder $tree" >&2; exit 2; }

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${BRENVO1_BUILD:-$here/../build-bench}
scan=${BRENVO1_SCAN:-$build/cli/brenvo1-scan}
floor=${READ_FLOOR:-$build/bench/read_floor}
manifest=${MANIFEST:-${tree}.manifest}
baseline=${BASELINE_SCAN:-}
for program in "$scan" "$floor" ${baseline:+"$baseline"}; do
  [ -x "$program" ] || { echo "compare_tools: $program is missing; build with -DBRENVO1_BENCH=ON" >&2; exit 2; }
done
for tool in rg grep perl; do
  command -v "$tool" >/dev/null || { echo "compare_tools: $tool is not installed" >&2; exit 2; }
done

# The extensions as each tool is told them (rg_glob, grep_includes) and median.
# shellcheck source=request_count.sh
. "$here/request_count.sh"

if perl -e 'exit($ARGV[0] =~ /[^\x00-\x7f]/ ? 0 : 1)' -- "$text"; then
  ascii_text=false
  grep_locale=C.UTF-8   # so that -i folds accented letters
else
  ascii_text=true
  grep_locale=C
fi

run_scan() { "$scan" "$tree" "$text"; }
run_rg() { env -u RIPGREP_CONFIG_PATH rg -j1 -uuu -a -i -F -l --iglob "$rg_glob" -- "$text" "$tree"; }
run_grep() { LC_ALL=$grep_locale grep -rilF "${grep_includes[@]}" -- "$text" "$tree"; }
run_floor() { "$floor" "$tree"; }
run_baseline() { "$baseline" "$tree" "$text"; }

# Runs a tool, keeping its output in a file (never /dev/null: GNU grep
# notices that and stops at the first hit); a status that means failure ends the
# script (a search that found nothing is not a failure).
capture() {
  local name=$1 out=$2 status=0
  "run_$name" >"$out" 2>"$work/$name.err" || status=$?
  case "$name:$status" in
    scan:0 | scan:3 | baseline:0 | baseline:3 | rg:0 | rg:1 | grep:0 | grep:1 | floor:0) ;;
    *) echo "compare_tools: $name failed with status $status:" >&2; head -5 "$work/$name.err" >&2; exit 1 ;;
  esac
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Paths relative to the tree, sorted bytewise; the UTF-16 ones (byte-order
# mark first) on their own, since grep cannot match them.
split_hits() {
  local in=$1
  perl -e '
    my ($prefix, $plain, $utf16) = @ARGV;
    open(my $p, ">", $plain) or die; open(my $u, ">", $utf16) or die;
    while (my $path = <STDIN>) {
      chomp $path;
      my $bom = "";
      if (open(my $f, "<:raw", $path)) { read($f, $bom, 2); close $f; }
      (my $relative = $path) =~ s/^\Q$prefix\E\///;
      print { ($bom eq "\xff\xfe" || $bom eq "\xfe\xff") ? $u : $p } "$relative\n";
    }' "$tree" "$in.plain" "$in.utf16" <"$in"
  LC_ALL=C sort -o "$in.plain" "$in.plain"
  LC_ALL=C sort -o "$in.utf16" "$in.utf16"
  LC_ALL=C sort -u "$in.plain" "$in.utf16" >"$in.all"
}

count() { wc -l <"$1" | tr -d ' '; }

show_difference() {
  local left=$1 right=$2 left_name=$3 right_name=$4
  echo "  only in $left_name: $(LC_ALL=C comm -23 "$left" "$right" | wc -l)" >&2
  LC_ALL=C comm -23 "$left" "$right" | head -5 | sed 's/^/    /' >&2
  echo "  only in $right_name: $(LC_ALL=C comm -13 "$left" "$right" | wc -l)" >&2
  LC_ALL=C comm -13 "$left" "$right" | head -5 | sed 's/^/    /' >&2
}

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(nproc) cores, $(uname -sr)"
echo "tools: $(rg --version | sed -n 1p), $(grep --version | sed -n 1p)"
echo "tree: $tree"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "text: $text ($([ "$ascii_text" = true ] && echo ASCII || echo not ASCII); grep runs in LC_ALL=$grep_locale)"

# The checks also warm the cache for the timings.
for name in scan rg grep; do
  capture "$name" "$work/$name"
  split_hits "$work/$name"
done
capture floor "$work/floor"
echo "read floor: $(cat "$work/floor")"
echo "hits: brenvo1-scan $(count "$work/scan.all") (UTF-16 $(count "$work/scan.utf16"))," \
  "rg $(count "$work/rg.all") (UTF-16 $(count "$work/rg.utf16")), grep $(count "$work/grep.all")"

agree=true
if [ "$ascii_text" = true ]; then
  for other in rg grep; do
    if ! cmp -s "$work/scan.plain" "$work/$other.plain"; then
      echo "CHECK FAILED: brenvo1-scan and $other disagree outside UTF-16 files" >&2
      show_difference "$work/scan.plain" "$work/$other.plain" brenvo1-scan "$other"
      agree=false
    fi
  done
  [ "$agree" = true ] &&
    echo "check: brenvo1-scan, rg and grep agree on $(count "$work/scan.plain") hit files outside UTF-16 files"
else
  for other in rg grep; do
    missed=$(LC_ALL=C comm -13 "$work/scan.all" "$work/$other.all" | wc -l)
    if [ "$missed" -ne 0 ]; then
      echo "CHECK FAILED: $missed files listed by $other are missing from brenvo1-scan" >&2
      show_difference "$work/scan.all" "$work/$other.all" brenvo1-scan "$other"
      agree=false
    fi
  done
  [ "$agree" = true ] &&
    echo "check: every file rg or grep lists is listed by brenvo1-scan;" \
      "brenvo1-scan alone finds $(LC_ALL=C comm -23 "$work/scan.all" "$work/rg.all" | wc -l) more than rg" \
      "and $(LC_ALL=C comm -23 "$work/scan.all" "$work/grep.all" | wc -l) more than grep"
fi

if [ -f "$manifest" ]; then
  key=$(perl -CSA -e 'print lc $ARGV[0]' -- "$text")
  awk -F '\t' -v key="$key" '$1 == key { print $2 }' "$manifest" | LC_ALL=C sort -u >"$work/planted"
  if [ -s "$work/planted" ]; then
    if cmp -s "$work/planted" "$work/scan.all"; then
      echo "check: brenvo1-scan lists exactly the $(count "$work/planted") files planted with \"$key\" ($manifest)"
    else
      echo "CHECK FAILED: brenvo1-scan differs from the files planted with \"$key\" ($manifest)" >&2
      show_difference "$work/planted" "$work/scan.all" planted brenvo1-scan
      agree=false
    fi
  else
    echo "manifest: nothing planted for \"$key\"; skipped"
  fi
fi
if [ -n "$baseline" ]; then
  capture baseline "$work/baseline"
  if cmp -s "$work/scan" "$work/baseline"; then
    echo "check: the baseline $baseline lists the same $(count "$work/baseline") hits in the same order"
  else
    echo "CHECK FAILED: the baseline $baseline lists other hits than brenvo1-scan" >&2
    agree=false
  fi
fi
[ "$agree" = true ] || { echo "Hits differ: nothing timed." >&2; exit 1; }

tools=(scan rg grep floor ${baseline:+baseline})
declare -A label=([scan]="brenvo1-scan" [rg]="rg -j1" [grep]="grep -r" [floor]="read floor" [baseline]="baseline scan")
declare -A times=()
for ((round = 0; round < rounds; round++)); do
  for ((k = 0; k < ${#tools[@]}; k++)); do
    name=${tools[(round + k) % ${#tools[@]}]}
    start=$EPOCHREALTIME
    capture "$name" "$work/timed"
    end=$EPOCHREALTIME
    times[$name]+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }')"$'\n'
  done
done

declare -A medians=()
for name in "${tools[@]}"; do medians[$name]=$(printf '%s' "${times[$name]}" | median); done

echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine skews every figure)"
echo "wall time in seconds over $rounds interleaved rounds, warm cache, one thread each"
printf '%-14s %8s %8s %8s %11s %11s\n' tool median min max tool/scan scan/tool
for name in "${tools[@]}"; do
  sorted=$(printf '%s' "${times[$name]}" | sort -g)
  printf '%-14s %8.3f %8.3f %8.3f %11.2f %11.2f\n' "${label[$name]}" "${medians[$name]}" \
    "$(head -1 <<<"$sorted")" "$(tail -1 <<<"$sorted")" \
    "$(awk -v a="${medians[$name]}" -v b="${medians[scan]}" 'BEGIN { print a / b }')" \
    "$(awk -v a="${medians[scan]}" -v b="${medians[$name]}" 'BEGIN { print a / b }')"
done
