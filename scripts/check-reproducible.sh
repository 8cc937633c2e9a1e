#!/usr/bin/env bash
# Checks that the packages are reproducible: builds the last commit twice,
# from two clones in two differently named temporary folders, the second
# with another umask and (with faketime) a clock 400 days on, each with
# scripts/package.sh and scripts/package-windows.sh --no-tests, and compares
# the Debian package, the Windows zip, the Windows installer and the MSI
# byte for byte with cmp. Where they differ, it shows diffoscope's report if
# diffoscope is installed, else the first differing bytes. Prints each
# file's SHA-256 from both builds. Uncommitted changes are not built.
#
# Usage: scripts/check-reproducible.sh
# Exit status: 0 the same bytes, 1 a package differs or a build failed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh reproducible build windows >&2

commit=$(git rev-parse HEAD)
git diff --quiet HEAD -- || echo "check-reproducible.sh: uncommitted changes are not built; checking $commit" >&2
version=$(sed -n 's/^project(brenvo1 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
packages=("brenvo1_${version}_$(dpkg --print-architecture).deb" "brenvo1-$version-win64.zip"
          "brenvo1-$version-win64-setup.exe" "brenvo1-$version-win64.msi")

work=$(mktemp -d "${TMPDIR:-/tmp}/brenvo1-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT

# build NAME FOLDER UMASK [CLOCK]: clones the commit into FOLDER and builds
# the packages there with UMASK, under faketime CLOCK if given.
build() {
  local name=$1 folder=$2 mask=$3 clock=${4:-}
  local run=() started
  [ -n "$clock" ] && run=(faketime -f "$clock")
  started=$("${run[@]}" date -u '+%F %T')
  echo "== $name build: $folder, umask $mask, clock $started UTC" >&2
  (
    umask "$mask"
    mkdir -p "$(dirname "$folder")"
    git clone -q --no-hardlinks . "$folder"
    git -C "$folder" checkout -q --detach "$commit"
    cd "$folder"
    BUILD_DIR=build-package "${run[@]}" scripts/package.sh >/dev/null
    BUILD_DIR=build-windows "${run[@]}" scripts/package-windows.sh --no-tests >/dev/null
  ) >"$work/$name.log" 2>&1 || {
    tail -n 40 "$work/$name.log" >&2
    echo "check-reproducible.sh: the $name build failed (its log is above)" >&2
    exit 1
  }
  echo "$name build: $folder, umask $mask, clock $started to $("${run[@]}" date -u '+%T') UTC"
}

start=$SECONDS
build first "$work/a/brenvo1" 0022
build second "$work/second-place/deeper/brenvo1-copy" 0077 "+400d"

status=0
for package in "${packages[@]}"; do
  first="$work/a/brenvo1/out/$package" second="$work/second-place/deeper/brenvo1-copy/out/$package"
  for file in "$first" "$second"; do
    [ -f "$file" ] || { echo "check-reproducible.sh: $file was not built" >&2; exit 1; }
  done
  sums=$(sha256sum "$first" "$second" | cut -d' ' -f1 | tr '\n' ' ')
  if cmp -s "$first" "$second"; then
    echo "same:   $package  sha256 ${sums%% *}"
  else
    status=1
    echo "DIFFER: $package  sha256 $sums"
    if command -v diffoscope >/dev/null 2>&1; then
      diffoscope --text - "$first" "$second" || true
    else
      echo "(diffoscope is not installed; the first differing bytes, offset and octal values:)"
      cmp -l "$first" "$second" | head -n 20 || true
    fi
  fi
done
# Each build's own list of checksums must say the same.
if ! cmp -s "$work/a/brenvo1/out/SHA256SUMS" "$work/second-place/deeper/brenvo1-copy/out/SHA256SUMS"; then
  echo "DIFFER: SHA256SUMS"
  diff "$work/a/brenvo1/out/SHA256SUMS" "$work/second-place/deeper/brenvo1-copy/out/SHA256SUMS" || true
  status=1
fi
echo "two builds in $((SECONDS - start)) s"
if [ "$status" -eq 0 ]; then
  echo "reproducible: ${#packages[@]} packages byte for byte the same"
fi
exit "$status"
