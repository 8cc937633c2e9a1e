# Sourced by the benchmark scripts: the tools compared, how their
# file-system requests are counted, and the median of a column of times.
#
# A request is a system call that a file server would have to answer or
# that asks it for work: opening, stat-ing, closing, listing a folder,
# asking for a file ahead. Reads are not counted: every tool reads the same
# bytes. Counted with `strace -f -c`, so a program's start-up (its libraries)
# is in the figures too; request_baseline shows that part on an empty folder.

# The program's one list of extensions (search/extension.h), without dots.
mapfile -t extensions < <(grep -o '"\.[a-z0-9]\+"' "$(dirname "${BASH_SOURCE[0]}")/../search/extension.h" | tr -d '".')
# find's test for a candidate file: the extensions, any case.
find_candidates=()
for extension in "${extensions[@]}"; do find_candidates+=(${find_candidates:+-o} -iname "*.$extension"); done
rg_glob="*.{$(IFS=,; echo "${extensions[*]}")}"
# grep's --include is case-sensitive; a bracket per letter makes it match
# .TXT and .Bas as the other tools do.
grep_includes=()
for extension in "${extensions[@]}"; do
  pattern="*."
  for ((i = 0; i < ${#extension}; i++)); do
    letter=${extension:i:1}
    pattern+="[${letter}${letter^^}]"
  done
  grep_includes+=("--include=$pattern")
done

# The middle value of the numbers on stdin, one a line (the mean of the two
# middle ones for an even count).
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The command lines, each searching FOLDER for TEXT; the hits on stdout.
tool_command() {
  local tool=$1 folder=$2 text=$3
  case "$tool" in
    scan) printf '%s\0' "$scan" "$folder" "$text" ;;
    other) printf '%s\0' "$other_scan" "$folder" "$text" ;;
    rg1) printf '%s\0' env -u RIPGREP_CONFIG_PATH rg -j1 -uuu -a -i -F -l --iglob "$rg_glob" -- "$text" "$folder" ;;
    rg8) printf '%s\0' env -u RIPGREP_CONFIG_PATH rg -j8 -uuu -a -i -F -l --iglob "$rg_glob" -- "$text" "$folder" ;;
    rg) printf '%s\0' env -u RIPGREP_CONFIG_PATH rg -uuu -a -i -F -l --iglob "$rg_glob" -- "$text" "$folder" ;;
    # A function of network_share.sh's.
    wine) printf '%s\0' wine_scan "$scan_exe" "$folder" "$text" ;;
    grep) printf '%s\0' env LC_ALL=C grep -rilF "${grep_includes[@]}" -- "$text" "$folder" ;;
    *) echo "request_count: unknown tool $tool" >&2; return 2 ;;
  esac
}

declare -A tool_label=([scan]="brenvo1-scan" [other]="other brenvo1-scan" [rg1]="rg -j1" [rg]="rg (all threads)" [grep]="grep -r --include")

# Candidate files under a folder: the ten extensions, any case.
candidate_count() {
  find "$1" -type f \( "${find_candidates[@]}" \) | wc -l
}

# Runs a tool under strace and prints one table row: opens, stats, closes,
# the other requests by name, total and requests per candidate file.
#   request_row LABEL CANDIDATES TOOL FOLDER TEXT
request_row() {
  local label=$1 candidates=$2 tool=$3 folder=$4 text=$5 summary
  summary=$(mktemp)
  local -a command
  mapfile -d '' command < <(tool_command "$tool" "$folder" "$text")
  strace -f -c -o "$summary" "${command[@]}" >/dev/null 2>&1 || true
  awk -v label="$label" -v candidates="$candidates" '
    # strace -c rows: % time, seconds, usecs/call, calls, [errors,] syscall
    NF >= 5 && $NF != "total" && $NF != "syscall" && $4 ~ /^[0-9]+$/ {
      calls = $4; name = $NF
      if (name ~ /^(open|openat|openat2|creat)$/) opens += calls
      else if (name ~ /^(stat|fstat|lstat|newfstatat|statx|fstatat64)$/) stats += calls
      else if (name ~ /^(close|close_range)$/) closes += calls
      else if (name ~ /^(fadvise64|readahead|getdents|getdents64|readlink|readlinkat|access|faccessat|faccessat2|statfs|fstatfs)$/) {
        other[name] += calls; others += calls
      }
    }
    END {
      text = ""
      n = split("fadvise64 readahead getdents getdents64 readlink readlinkat access faccessat faccessat2 statfs fstatfs", names)
      for (i = 1; i <= n; ++i) {
        if (other[names[i]] > 0) text = text (text == "" ? "" : ", ") names[i] " " other[names[i]]
      }
      total = opens + stats + closes + others
      if (text == "") text = "-"
      printf "| %s | %d | %d | %d | %s | %d | %.2f |\n", label, opens, stats, closes, text, total, total / candidates
    }' "$summary"
  rm -f "$summary"
}

request_header() {
  echo "| program | opens | stats | closes | other | requests | requests per candidate |"
  echo "|---|---:|---:|---:|---|---:|---:|"
}

# The same count on an empty folder: what the tool costs before it reads
# any tree.
request_baseline() {
  local tool=$1 empty
  empty=$(mktemp -d)
  request_row "${tool_label[$tool]}, empty folder" 1 "$tool" "$empty" x
  rmdir "$empty"
}
