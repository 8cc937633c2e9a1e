#!/usr/bin/env bash
# Checks what a user gets from a built tree: `cmake --install` into a scratch
# root, the desktop entry and icon it installs, the Debian package CPack makes
# from the same install rules (control data, file list), and the packaged
# programs themselves: the window starts offscreen and stays up, the search
# run finds hits in a small folder.
#
# Usage: check_package.sh BUILD_DIR VERSION
# Exit status: 0 all good, 1 a check failed, 77 a Debian tool it needs is
# missing (packages dpkg-dev and desktop-file-utils).
set -euo pipefail

build_dir=$(cd "$1" && pwd)
version=$2

missing=()
for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate python3; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIP: not installed: ${missing[*]}"
  exit 77
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

expected_files='usr/bin/brenvo1
usr/bin/brenvo1-scan
usr/share/applications/brenvo1.desktop
usr/share/icons/hicolor/scalable/apps/brenvo1.svg'

# Files and links below a root, one relative path a line, sorted.
files_under() {
  (cd "$1" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort)
}

# The value of key in the [Desktop Entry] group of a desktop file.
desktop_value() {
  local key
  key=$(printf '%s' "$2" | sed 's/[][]/\\&/g')
  sed -n "/^\[Desktop Entry\]/,/^\[/s/^$key=//p" "$1" | head -n 1
}

check_desktop_entry() {
  local root=$1 entry=$1/usr/share/applications/brenvo1.desktop
  local report
  # Warnings and hints count too: menus treat some of them as errors.
  if ! report=$(desktop-file-validate "$entry" 2>&1) || [ -n "$report" ]; then
    fail "desktop-file-validate: $report"
  fi
  [ "$(desktop_value "$entry" Name)" = Scandilo ] || fail "Name is not Scandilo"
  [ "$(desktop_value "$entry" Comment[it])" = "Trova testo nei file" ] || fail "Comment[it] is not 'Trova testo nei file'"
  local exec icon
  exec=$(desktop_value "$entry" Exec)
  exec=${exec%% *}
  [ -x "$root/usr/bin/$exec" ] || fail "Exec=$exec names no installed program"
  icon=$(desktop_value "$entry" Icon)
  compgen -G "$root/usr/share/icons/hicolor/*/apps/$icon.*" >/dev/null || fail "Icon=$icon names no installed icon"
  python3 - "$root/usr/share/icons/hicolor/scalable/apps/brenvo1.svg" <<'EOF' || fail "the icon is not an SVG document"
import sys, xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
sys.exit(0 if root.tag == "{http://www.w3.org/2000/svg}svg" and root.get("viewBox") else 1)
EOF
}

echo "== cmake --install into a scratch root"
installed=$scratch/installed
if ! DESTDIR=$installed cmake --install "$build_dir" --prefix /usr >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log" >&2
  fail "cmake --install failed"
  exit 1
fi
if [ "$(files_under "$installed")" != "$expected_files" ]; then
  fail "installed files differ from the expected list:"
  diff <(echo "$expected_files") <(files_under "$installed") >&2 || true
fi
check_desktop_entry "$installed"

echo "== cpack -G DEB"
# cpack installs through the project's own install step, which also puts
# the package's prefix (/usr) in place of the build's. The tests run after
# the build, so that step finds nothing to rebuild.
if ! cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$scratch/cpack" \
  >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  fail "cpack failed"
  exit 1
fi
architecture=$(dpkg --print-architecture)
deb=$scratch/cpack/brenvo1_${version}_${architecture}.deb
if [ ! -f "$deb" ]; then
  fail "no package named $(basename "$deb"); made: $(cd "$scratch/cpack" && echo *.deb)"
  exit 1
fi

echo "== control data"
control() { dpkg-deb -f "$deb" "$1"; }
[ "$(control Package)" = brenvo1 ] || fail "Package: $(control Package)"
[ "$(control Version)" = "$version" ] || fail "Version: $(control Version), expected $version"
[ "$(control Architecture)" = "$architecture" ] || fail "Architecture: $(control Architecture)"
[ "$(control Section)" = utils ] || fail "Section: $(control Section)"
[[ "$(control Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer is not 'Name <address>': $(control Maintainer)"
[ -n "$(dpkg-deb -f "$deb" Description | sed -n 2p)" ] || fail "Description has no long text"
depends=$(control Depends)
echo "Depends: $depends"
# dpkg-shlibdeps names a package for each library the programs link; these
# are the ones the window and the search run cannot start without.
for package in libc6 'libstdc\+\+6' 'libicu[0-9]+' libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ ", $depends," =~ [\ ,]${package}\ \( ]] || fail "Depends lacks $package (with a version)"
done

echo "== file list"
packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | LC_ALL=C sort)
if [ "$packaged" != "$expected_files" ]; then
  fail "packaged files differ from the expected list:"
  diff <(echo "$expected_files") <(echo "$packaged") >&2 || true
fi
# Owned by root, programs executable by everyone, data read-only.
dpkg-deb -c "$deb" | awk '
  $2 != "root/root" { print "not owned by root: " $6; bad = 1 }
  $6 ~ /^\.\/usr\/bin\/./ && $1 != "-rwxr-xr-x" { print "mode " $1 ": " $6; bad = 1 }
  $6 ~ /^\.\/usr\/share\/.*[^\/]$/ && $1 != "-rw-r--r--" { print "mode " $1 ": " $6; bad = 1 }
  END { exit bad }' >&2 || fail "ownership or modes in the package"

echo "== the packaged programs"
unpacked=$scratch/unpacked
dpkg-deb -x "$deb" "$unpacked"
check_desktop_entry "$unpacked"
cmp -s "$installed/usr/share/applications/brenvo1.desktop" "$unpacked/usr/share/applications/brenvo1.desktop" ||
  fail "the packaged desktop entry differs from the installed one"

folder=$scratch/folder
mkdir -p "$folder/sotto"
printf 'Riga uno\nCiao a tutti\n' >"$folder/lettera.txt"
printf "Attribute VB_Name = \"Modulo\"\nDebug.Print \"CIAO\"\n" >"$folder/sotto/modulo.bas"
printf 'nulla da vedere\n' >"$folder/vuoto.txt"
printf 'ciao\n' >"$folder/note.md"
status=0
hits=$(env -u LD_LIBRARY_PATH "$unpacked/usr/bin/brenvo1-scan" "$folder" ciao 2>"$scratch/scan.err") || status=$?
[ "$status" -eq 0 ] || fail "packaged brenvo1-scan exited with $status: $(cat "$scratch/scan.err")"
expected_hits=$(printf '%s\n' "$folder/lettera.txt" "$folder/sotto/modulo.bas")
[ "$(echo "$hits" | LC_ALL=C sort)" = "$expected_hits" ] ||
  fail "packaged brenvo1-scan found: [$hits]; expected: [$expected_hits]"

# The window takes no input from the command line, so it can only be shown
# to start: it must still be running when timeout stops it (status 124).
status=0
env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
  timeout 3 "$unpacked/usr/bin/brenvo1" >"$scratch/window.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "packaged brenvo1 ended with status $status before 3 s: $(cat "$scratch/window.log")"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb") checked"
