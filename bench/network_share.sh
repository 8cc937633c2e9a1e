#!/usr/bin/env bash
# network_share.sh TREE TEXT [ROUNDS]
#
# The search on a network file system: serves TREE over SSH on 127.0.0.1
# (Debian's openssh-server, started here on a free port with throwaway host
# and user keys and a configuration of its own; the system's SSH setup is
# not touched) and mounts it with sshfs (FUSE), through latency_proxy.py,
# which holds each byte back so that a round trip to the server costs what
# it costs on a farther server: ROUND_TRIPS milliseconds (default "0 2 10").
# Every run gets a fresh mount, so the client has nothing cached: each
# open, first read, listing and close waits for the server, as on a file
# server.
#
# First checks that each tool lists the same hits on the mount as on the
# local tree, and measures the round trip each proxy really adds (a stat of
# a name the client has not seen is one round trip). Then times the tools
# interleaved, the order turning each round, a fresh mount for each run,
# and prints for each round trip the medians, and for each tool the fitted
# line time = a + b x round trip: b is how many round trips the tool waits
# for one after another. Last, each tool's requests per candidate file
# (request_count.sh, strace -c, and the SFTP requests sshfs logs), with no
# delay. sshd, the proxies and the mounts go on every way out.
#
# The tools: brenvo1-scan, `rg -j1`, `rg -j8` (what an 8-core desktop runs)
# and `rg` on this machine's threads; OTHER_SCAN=PATH adds another
# brenvo1-scan (an earlier build, say); SCAN_EXE=PATH adds brenvo1-scan.exe
# under Wine on the same mount (drive Z:), in the prefix WINEPREFIX.
#
# Needs root (sshd's privilege separation, dropping nothing else) and the
# packages openssh-server, sshfs, strace and ripgrep: scripts/deps.sh bench.
# Environment: BRENVO1_BUILD (default: the repository's build-bench),
# BRENVO1_SCAN, OTHER_SCAN, SCAN_EXE, ROUND_TRIPS.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 TREE TEXT [ROUNDS]" >&2
  exit 2
fi
tree=$(realpath -- "$1")
text=$2
rounds=${3:-5}
[ -d "$tree" ] || { echo "network_share: no folder $tree" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scan=${BRENVO1_SCAN:-${BRENVO1_BUILD:-$here/../build-bench}/cli/brenvo1-scan}
[ -x "$scan" ] || { echo "network_share: no brenvo1-scan at $scan" >&2; exit 2; }
for program in /usr/sbin/sshd sshfs ssh-keygen strace rg python3; do
  command -v "$program" >/dev/null || { echo "network_share: $program is missing (scripts/deps.sh bench)" >&2; exit 2; }
done
unmount_program=$(command -v fusermount3 || command -v fusermount) ||
  { echo "network_share: fusermount is missing" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "network_share: run as root (sshd needs it to log a user in)" >&2; exit 2; }
# shellcheck source=request_count.sh
. "$here/request_count.sh"

work=$(mktemp -d)
chmod 700 "$work"
mount_point=$work/mnt
mkdir "$mount_point"
sshd_pid=
proxy_pid=

stop_proxy() {
  if [ -n "$proxy_pid" ] && kill -0 "$proxy_pid" 2>/dev/null; then
    kill "$proxy_pid" 2>/dev/null || true
    wait "$proxy_pid" 2>/dev/null || true
  fi
  proxy_pid=
}

cleanup() {
  if mountpoint -q "$mount_point" 2>/dev/null; then
    "$unmount_program" -u "$mount_point" 2>/dev/null || "$unmount_program" -u -z "$mount_point" 2>/dev/null || true
  fi
  stop_proxy
  if [ -n "$sshd_pid" ] && kill -0 "$sshd_pid" 2>/dev/null; then
    kill "$sshd_pid" 2>/dev/null || true
    wait "$sshd_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Ports no one listens on now; sshd and the proxy fail at once if one is
# taken meanwhile.
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
proxy_port=$(free_port)
ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$work/user_key"
cp "$work/user_key.pub" "$work/authorized_keys"
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/host_key.pub")" > "$work/known_hosts"
cat > "$work/sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $port
HostKey $work/host_key
PidFile none
AuthorizedKeysFile $work/authorized_keys
StrictModes no
PermitRootLogin prohibit-password
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
X11Forwarding no
AllowTcpForwarding no
Subsystem sftp internal-sftp
LogLevel ERROR
EOF
cat > "$work/ssh_config" <<EOF
Host share
  HostName 127.0.0.1
  Port $proxy_port
  User $(id -un)
  IdentityFile $work/user_key
  IdentitiesOnly yes
  UserKnownHostsFile $work/known_hosts
  HostKeyAlias [127.0.0.1]:$port
  StrictHostKeyChecking yes
  BatchMode yes
  ConnectTimeout 10
EOF
mkdir -p /run/sshd  # sshd's privilege-separation folder, made by its service otherwise
/usr/sbin/sshd -D -f "$work/sshd_config" -E "$work/sshd.log" &
sshd_pid=$!
# The proxy between sshfs and sshd, holding each byte back half of
# round_trip milliseconds each way.
start_proxy() {
  stop_proxy
  python3 "$here/latency_proxy.py" serve "$proxy_port" "$port" "$1" > "$work/proxy.out" 2>&1 &
  proxy_pid=$!
  for _ in $(seq 100); do grep -qx ready "$work/proxy.out" && return 0; sleep 0.05; done
  echo "network_share: the proxy did not start: $(cat "$work/proxy.out")" >&2
  exit 1
}
start_proxy 0
for attempt in $(seq 50); do
  if ssh -F "$work/ssh_config" share true 2>/dev/null; then break; fi
  kill -0 "$sshd_pid" 2>/dev/null || { echo "network_share: sshd ended:" >&2; cat "$work/sshd.log" >&2; exit 1; }
  [ "$attempt" -lt 50 ] || { echo "network_share: sshd does not answer on port $port" >&2; exit 1; }
  sleep 0.2
done

# Once more if the connection drops while it is made (rarely, through the
# proxy, on a busy machine): a benchmark, not a test of sshfs.
mount_share() {
  sshfs -F "$work/ssh_config" "share:$tree" "$mount_point" 2>>"$work/mount.log" ||
    sshfs -F "$work/ssh_config" "share:$tree" "$mount_point"
  mountpoint -q "$mount_point" || { echo "network_share: the mount did not come up" >&2; exit 1; }
}
unmount_share() { "$unmount_program" -u "$mount_point"; }

# The median time, in milliseconds, of a stat of a name the client has not
# seen: one round trip to the server.
round_trip() {
  python3 - "$mount_point" <<'PYTHON'
import os, statistics, sys, time
times = []
for i in range(25):
    start = time.monotonic()
    try:
        os.stat(os.path.join(sys.argv[1], f"nessuno-{i}-{time.time_ns()}"))
    except FileNotFoundError:
        pass
    times.append((time.monotonic() - start) * 1000)
print(f"{statistics.median(times):.2f}")
PYTHON
}

# brenvo1-scan.exe under Wine: the folder on drive Z:, its hits back as
# POSIX paths.
wine_scan() {
  local folder=$2 text=$3
  WINEDEBUG=-all wine "$1" "Z:${folder//\//\\}" "$text" | tr -d '\r' | sed 's|\\|/|g; s|^Z:||'
}

# Runs a tool on a folder, its hits as paths relative to that folder, sorted.
hits() {
  local tool=$1 folder=$2 out=$3 status=0
  local -a command
  mapfile -d '' command < <(tool_command "$tool" "$folder" "$text")
  "${command[@]}" > "$out.raw" 2> "$out.err" || status=$?
  case "$tool:$status" in
    scan:0 | other:0 | wine:0 | rg*:0 | rg*:1) ;;
    *) echo "network_share: ${tool_label[$tool]} failed with status $status on $folder:" >&2; head -5 "$out.err" >&2; exit 1 ;;
  esac
  sed "s|^$folder/||" "$out.raw" | LC_ALL=C sort > "$out"
}

tool_label[rg8]="rg -j8"
tool_label[wine]="brenvo1-scan.exe (Wine)"
tools=(scan rg1 rg8 rg)
other_scan=${OTHER_SCAN:-}
if [ -n "$other_scan" ]; then
  [ -x "$other_scan" ] || { echo "network_share: no brenvo1-scan at $other_scan" >&2; exit 2; }
  tools+=(other)
fi
scan_exe=${SCAN_EXE:-}
if [ -n "$scan_exe" ]; then
  [ -f "$scan_exe" ] || { echo "network_share: no brenvo1-scan.exe at $scan_exe" >&2; exit 2; }
  [ -n "${WINEPREFIX:-}" ] || { echo "network_share: SCAN_EXE needs WINEPREFIX" >&2; exit 2; }
  # The prefix's server and services up before anything is timed.
  wineserver -p </dev/null >/dev/null 2>&1 || true  # already up, maybe
  WINEDEBUG=-all wine cmd /c exit </dev/null >/dev/null 2>&1
  tools+=(wine)
fi
round_trips=(${ROUND_TRIPS:-0 2 10})
candidates=$(candidate_count "$tree")
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(nproc) cores, $(uname -sr)"
echo "tools: $(rg --version | sed -n 1p), $(sshfs --version 2>&1 | grep -m1 -i "sshfs version"), $(ssh -V 2>&1)"
echo "tree: $tree ($(find "$tree" -type f | wc -l) files, $candidates candidates, $(find "$tree" -type d | wc -l) folders), served on 127.0.0.1:$port"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

agree=true
for tool in "${tools[@]}"; do
  hits "$tool" "$tree" "$work/$tool.local"
  mount_share
  hits "$tool" "$mount_point" "$work/$tool.share"
  unmount_share
  if cmp -s "$work/$tool.local" "$work/$tool.share"; then
    echo "check: ${tool_label[$tool]} lists the same $(wc -l < "$work/$tool.local") files on the mount as on the local tree"
  else
    echo "CHECK FAILED: ${tool_label[$tool]} lists other files on the mount than on the local tree" >&2
    diff "$work/$tool.local" "$work/$tool.share" | head -10 >&2
    agree=false
  fi
done
[ "$agree" = true ] || { echo "Hits differ: nothing timed." >&2; exit 1; }

# The round trip each proxy adds, measured on the mount in every round, a
# median over the rounds: one measure on a busy machine can be far off.
declare -A added=() round_trip_samples=()
declare -A times=()
for ((round = 0; round < rounds; round++)); do
  for delay in "${round_trips[@]}"; do
    start_proxy "$delay"
    mount_share
    round_trip_samples[$delay]+="$(round_trip)"$'\n'
    unmount_share
    for ((k = 0; k < ${#tools[@]}; k++)); do
      tool=${tools[(round + k) % ${#tools[@]}]}
      mapfile -d '' command < <(tool_command "$tool" "$mount_point" "$text")
      mount_share
      start=$EPOCHREALTIME
      "${command[@]}" > "$work/timed" 2>&1 || true
      end=$EPOCHREALTIME
      unmount_share
      times[$tool:$delay]+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }')"$'\n'
    done
  done
done
start_proxy 0
for delay in "${round_trips[@]}"; do
  added[$delay]=$(awk -v a="$(printf '%s' "${round_trip_samples[$delay]}" | median)" \
    -v z="$(printf '%s' "${round_trip_samples[${round_trips[0]}]}" | median)" 'BEGIN { printf "%.2f", a - z }')
  echo "round trip ${delay} ms asked of the proxy: ${added[$delay]} ms added, measured (median over the rounds)"
done

echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "wall time in seconds, medians over $rounds interleaved rounds, a fresh sshfs mount for each run"
printf '| %-24s |' "round trip added"
for delay in "${round_trips[@]}"; do printf ' %8s ms |' "${added[$delay]}"; done
printf ' %18s |\n' "round trips waited"
printf '|---|'; for _ in "${round_trips[@]}"; do printf -- '---:|'; done; printf -- '---:|\n'
for tool in "${tools[@]}"; do
  printf '| %-24s |' "${tool_label[$tool]}"
  points=""
  for delay in "${round_trips[@]}"; do
    median_time=$(printf '%s' "${times[$tool:$delay]}" | median)
    printf ' %11.3f |' "$median_time"
    points+="${added[$delay]} $median_time"$'\n'
  done
  # The least-squares slope of time over round trip: seconds per second.
  printf ' %18.0f |\n' "$(printf '%s' "$points" | awk '{ x = $1 / 1000; sx += x; sy += $2; sxx += x * x; sxy += x * $2; n++ }
    END { d = n * sxx - sx * sx; print (d > 0 ? (n * sxy - sx * sy) / d : 0) }')"
done

echo
echo "requests on a fresh mount (strace -f -c; $candidates candidate files)"
request_header
for tool in "${tools[@]}"; do
  [ "$tool" = wine ] && continue  # strace would count Wine's own requests
  mount_share
  request_row "${tool_label[$tool]}" "$candidates" "$tool" "$mount_point" "$text"
  unmount_share
done

# What the server is asked, as sshfs logs it: the SFTP requests of each run.
# The system calls above that the client answers from its own caches (a
# stat of an open file, a read at the end) never reach it.
echo
echo "SFTP requests on the wire, a fresh mount each (sshfs -o sshfs_debug)"
for tool in "${tools[@]}"; do
  mapfile -d '' command < <(tool_command "$tool" "$mount_point" "$text")
  sshfs -F "$work/ssh_config" -o sshfs_debug -f "share:$tree" "$mount_point" > "$work/sftp.log" 2>&1 &
  sshfs_pid=$!
  for _ in $(seq 100); do mountpoint -q "$mount_point" && break; sleep 0.1; done
  mountpoint -q "$mount_point" || { echo "network_share: the logged mount did not come up" >&2; exit 1; }
  "${command[@]}" > /dev/null 2>&1 || true
  unmount_share
  wait "$sshfs_pid" || true
  grep -oE '^\[[0-9]+\] [A-Z]+' "$work/sftp.log" | awk -v label="${tool_label[$tool]}" -v candidates="$candidates" '
    { count[$2]++; total++ }
    END {
      line = ""
      n = split("OPEN LSTAT STAT FSTAT CLOSE OPENDIR READDIR READ", names)
      for (i = 1; i <= n; ++i) if (count[names[i]] > 0) line = line " " names[i] " " count[names[i]]
      printf "%-18s%s; without READ %.2f per candidate\n", label, line, (total - count["READ"]) / candidates
    }'
done
