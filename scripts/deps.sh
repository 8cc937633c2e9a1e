#!/usr/bin/env bash
# Installs the Debian packages a build needs, only when some are missing.
# Usage: scripts/deps.sh [group...]   groups: build (default), test, package, windows, sanitize, screenshot, bench, reproducible
set -euo pipefail

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(build)

packages=()
for group in "${groups[@]}"; do
  case "$group" in
    # dpkg-dev: dpkg-buildflags, whose hardening flags every Linux build takes.
    build) packages+=(cmake g++ make pkg-config python3 unicode-data qt6-base-dev qt6-translations-l10n dpkg-dev) ;;
    test)  packages+=(cmake g++ make pkg-config qt6-base-dev libicu-dev libgtest-dev
                      python3 python3-xlib python3-pyatspi at-spi2-core dbus-daemon unicode-data xvfb xdotool xclip
                      dpkg-dev desktop-file-utils
                      lintian appstream mandoc man-db) ;;
    package) packages+=(cmake g++ make pkg-config python3 unicode-data qt6-base-dev dpkg-dev) ;;
    # Cross-built with MinGW-w64, tested under Wine (64-bit programs only),
    # the window in Xvfb; the icon drawn from the SVG with rsvg-convert and
    # icotool; the installer built with NSIS, the MSI with wixl (from
    # msitools, whose msiinfo the installer test reads the MSI with; wixl
    # run with its clock held by faketime, for the same bytes). Debian
    # ships Wine's own fonts apart (fonts-wine): without them Wine has no
    # Tahoma, the message font, and no Marlett, whose symbols draw the
    # caption buttons.
    windows) packages+=(cmake make python3 unicode-data g++-mingw-w64-x86-64-posix
                        googletest wine wine64 fonts-wine zip xvfb xdotool python3-xlib
                        librsvg2-bin icoutils nsis wixl msitools faketime) ;;
    screenshot) packages+=(xvfb xdotool imagemagick) ;;
    # clang and the sanitizer and libFuzzer runtimes, which clang only recommends.
    sanitize) packages+=(clang libclang-rt-dev) ;;
    # openssh-server and sshfs serve a tree over SSH on 127.0.0.1 and mount it
    # (FUSE) for the network-share benchmark; strace counts the requests.
    bench) packages+=(libbenchmark-dev ripgrep grep time python3 bc strace openssh-server sshfs) ;;
    # The second build of the reproducibility check runs with its clock
    # moved on (diffoscope, which shows where two builds differ, is used
    # when installed, not installed here: it is large).
    reproducible) packages+=(git faketime) ;;
    *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
