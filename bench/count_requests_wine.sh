#!/usr/bin/env bash
# count_requests_wine.sh TREE TEXT
#
# The Windows build's file-system requests: runs brenvo1-scan.exe under Wine
# with a relay log of the ntdll file calls (every call the program or the
# Windows API makes on its behalf) and counts them as request_count.sh
# counts system calls on Linux: opens, queries of a file's or volume's
# information, closes, folder listings and other file controls; reads are
# not counted. NtClose also closes handles that are not files (a constant
# start-up share): the same count on an empty folder is printed too.
#
# Environment: BRENVO1_SCAN_EXE (default: build-windows/cli/brenvo1-scan.exe
# next to bench/), WINEPREFIX (default: a throwaway prefix, set up here).
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 TREE TEXT" >&2
  exit 2
fi
tree=$(realpath -- "$1")
text=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe=${BRENVO1_SCAN_EXE:-$here/../build-windows/cli/brenvo1-scan.exe}
[ -f "$exe" ] || { echo "count_requests_wine: no brenvo1-scan.exe at $exe" >&2; exit 2; }
command -v wine >/dev/null || { echo "count_requests_wine: wine is missing (scripts/deps.sh windows)" >&2; exit 2; }
# shellcheck source=request_count.sh
. "$here/request_count.sh"

work=$(mktemp -d)
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$work/prefix
  WINEDEBUG=-all wineboot -i >/dev/null 2>&1
fi
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEDLLOVERRIDES="mscoree,mshtml="
calls=(NtCreateFile NtOpenFile NtClose NtQueryInformationFile NtQueryVolumeInformationFile NtQueryAttributesFile
       NtQueryFullAttributesFile NtQueryDirectoryFile NtQueryDirectoryFileEx NtFsControlFile NtDeviceIoControlFile
       NtSetInformationFile NtReadFile)
WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
  /d "$(printf 'ntdll.%s;' "${calls[@]}")" /f >/dev/null 2>&1
WINEDEBUG=-all wineserver -w
# Wine's server and services kept up for all the runs, so that none of them
# starts during a counted run and adds its own calls to the log.
WINEDEBUG=-all wineserver -p
WINEDEBUG=-all wine cmd /c exit </dev/null >/dev/null 2>&1

# One table row from a run on FOLDER: request_row's columns.
wine_row() {
  local label=$1 candidates=$2 folder=$3
  WINEDEBUG=-all,+relay wine "$exe" "Z:${folder//\//\\}" "$text" >/dev/null 2>"$work/relay" || true
  grep -o 'Call ntdll\.Nt[A-Za-z]*' "$work/relay" | sed 's/Call ntdll\.//' | sort | uniq -c | awk -v label="$label" \
    -v candidates="$candidates" '
    { calls[$2] = $1 }
    END {
      opens = calls["NtCreateFile"] + calls["NtOpenFile"]
      stats = calls["NtQueryInformationFile"] + calls["NtQueryVolumeInformationFile"] + calls["NtQueryAttributesFile"] \
        + calls["NtQueryFullAttributesFile"]
      closes = calls["NtClose"]
      n = split("NtQueryDirectoryFile NtQueryDirectoryFileEx NtFsControlFile NtDeviceIoControlFile NtSetInformationFile", names)
      text = ""
      for (i = 1; i <= n; ++i) {
        others += calls[names[i]]
        if (calls[names[i]] > 0) text = text (text == "" ? "" : ", ") names[i] " " calls[names[i]]
      }
      if (text == "") text = "-"
      total = opens + stats + closes + others
      printf "| %s | %d | %d | %d | %s | %d | %.2f |\n", label, opens, stats, closes, text, total, total / candidates
    }'
}

candidates=$(candidate_count "$tree")
echo "tree: $tree: $(find "$tree" -type f | wc -l) files, $candidates candidates, $(find "$tree" -type d | wc -l) folders"
echo "brenvo1-scan.exe: $exe ($(wine --version 2>/dev/null))"
echo
request_header
wine "$exe" "Z:${tree//\//\\}" "$text" >/dev/null 2>&1 || true  # warms the cache and the prefix
wine_row "brenvo1-scan.exe, warm" "$candidates" "$tree"
mkdir "$work/empty"
wine_row "brenvo1-scan.exe, empty folder" 1 "$work/empty"
