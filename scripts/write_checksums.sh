#!/usr/bin/env bash
# Writes out/SHA256SUMS: the SHA-256 of every package in out/, one a line in
# sha256sum's format, so that `cd out && sha256sum -c SHA256SUMS` checks a
# download against them. Called by package.sh and package-windows.sh, each
# of which leaves the other's packages in place.
set -euo pipefail
cd "$(dirname "$0")/../out"

shopt -s nullglob
packages=(brenvo1_*.deb brenvo1-*-win64.zip brenvo1-*-win64-setup.exe brenvo1-*-win64.msi)
[ ${#packages[@]} -gt 0 ] || { echo "write_checksums.sh: no package in out/" >&2; exit 1; }
# Written whole under another name first: no one reads half a list.
LC_ALL=C sha256sum -- "${packages[@]}" | LC_ALL=C sort -k 2 >SHA256SUMS.partial
mv SHA256SUMS.partial SHA256SUMS
