#!/usr/bin/env bash
# Checks what a user gets from a built tree: `cmake --install` into a scratch
# root, the desktop entry and icon it installs, the Debian package CPack makes
# from the same install rules (control data, file list, lintian), its
# documents (copyright file, changelog, manual pages, AppStream metadata), and
# the packaged programs themselves: the window starts offscreen and stays up,
# the search run finds hits in a small folder and tells its version.
#
# Usage: check_package.sh BUILD_DIR VERSION HARDENED
# HARDENED is ON when the build has Debian's hardening (BRENVO1_HARDENING):
# then the programs are checked for it too, and lintian may name no
# hardening tag.
# Exit status: 0 all good, 1 a check failed, 77 a Debian tool it needs is
# missing (packages dpkg-dev, desktop-file-utils, lintian, appstream, mandoc,
# man-db).
set -euo pipefail

build_dir=$(cd "$1" && pwd)
version=$2
hardened=${3:-ON}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

missing=()
for tool in dpkg-deb dpkg-shlibdeps dpkg-parsechangelog desktop-file-validate python3 \
  lintian appstreamcli mandoc man readelf; do
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
usr/share/doc/brenvo1/changelog.gz
usr/share/doc/brenvo1/copyright
usr/share/icons/hicolor/scalable/apps/brenvo1.svg
usr/share/lintian/overrides/brenvo1
usr/share/man/man1/brenvo1-scan.1.gz
usr/share/man/man1/brenvo1.1.gz
usr/share/metainfo/org.brenvo1.scandilo.metainfo.xml'

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
for package in libc6 'libstdc\+\+6' libqt6core6 libqt6gui6 libqt6widgets6; do
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

echo "== hardening"
# What Debian's hardening flags leave in a program: immediate binding with
# read-only relocations (full RELRO), a position-independent executable,
# the stack protector's check and the fortified forms of glibc functions
# (__*_chk, and __open_2 and kin for open with its flags checked).
if [ "$hardened" = ON ]; then
  for program in "$unpacked"/usr/bin/*; do
    name=$(basename "$program")
    dynamic=$(readelf -d "$program")
    imports=$(nm -D --undefined-only "$program" | awk '{ print $2 }' | sed 's/@.*//')
    fortified=$(grep -E '^__[a-z0-9_]+_(chk|2)$' <<<"$imports" | grep -vx __stack_chk_fail | sort -u | tr '\n' ' ' || true)
    echo "$name: $(grep -oE 'BIND_NOW|Flags: .*' <<<"$dynamic" | tr '\n' ' ')," \
      "$(readelf -lW "$program" | grep -c GNU_RELRO) GNU_RELRO segment," \
      "$(readelf -h "$program" | sed -n 's/^ *Type: *//p')," \
      "stack protector: $(grep -cx __stack_chk_fail <<<"$imports"), fortified: ${fortified:-none}"
    grep -qw BIND_NOW <<<"$dynamic" || fail "$name is not bound at load time (no BIND_NOW)"
    readelf -lW "$program" | grep -q GNU_RELRO || fail "$name has no read-only relocations (no GNU_RELRO)"
    readelf -h "$program" | grep -q 'Type: *DYN' || fail "$name is not position-independent"
    grep -qx __stack_chk_fail <<<"$imports" || fail "$name has no stack protector (no __stack_chk_fail)"
    [ -n "$fortified" ] || fail "$name calls no fortified glibc function (built without _FORTIFY_SOURCE?)"
  done
else
  echo "skipped: this build is not hardened (BRENVO1_HARDENING=OFF)"
fi

echo "== lintian"
# Errors and warnings fail; informational tags (I:) are shown and allowed,
# except a hardening tag in a hardened build. Overrides are the package's
# own (packaging/lintian-overrides), each with its reason.
status=0
report=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || status=$?
echo "$report"
if [ "$status" -ne 0 ] || grep -q '^[EW]: ' <<<"$report"; then
  fail "lintian found errors or warnings (status $status)"
fi
if [ "$hardened" = ON ] && grep -q 'hardening-' <<<"$report"; then
  fail "lintian names a hardening tag for a hardened build"
fi

echo "== changelog"
doc=$unpacked/usr/share/doc/brenvo1
gzip -dc "$doc/changelog.gz" >"$scratch/changelog"
changelog_version=$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)
[ "$changelog_version" = "$version" ] ||
  fail "the changelog's top entry is $changelog_version, project() says $version"
changelog_date=$(date -u -d "$(dpkg-parsechangelog -l "$scratch/changelog" -S Date)" +%F)

echo "== copyright"
# The programs' own license is the one in LICENSE, word for word; a linked
# library's license is named exactly while the programs link that library.
needed=$(for program in "$unpacked"/usr/bin/*; do readelf -d "$program"; done |
  sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' | sort -u)
python3 - "$doc/copyright" "$source_dir/LICENSE" "$source_dir/packaging/windows/THIRD-PARTY-NOTICES.txt" \
  "$needed" <<'EOF' || fail "copyright file"
import re, sys
copyright_path, license_path, notices_path, needed = sys.argv[1:]
paragraphs = []
for block in open(copyright_path, encoding="utf-8").read().strip().split("\n\n"):
    fields, name = {}, None
    for line in block.split("\n"):
        if line.startswith(" "):
            fields[name] += "\n" + ("" if line == " ." else line[1:])
        else:
            name, value = line.split(":", 1)
            fields[name] = value.strip()
    paragraphs.append(fields)
problems = []
if paragraphs[0].get("Format") != "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/":
    problems.append("the first paragraph does not name copyright-format 1.0")
license_text = open(license_path, encoding="utf-8").read()
# LICENSE: a title, the copyright line, then the permission notice.
notice = license_text.split("\n\n", 2)[2].strip()
own = [p for p in paragraphs if p.get("Files") == "*"]
if len(own) != 1 or "the Brenvo1 authors" not in own[0].get("Copyright", ""):
    problems.append("no single 'Files: *' paragraph with the Brenvo1 authors' copyright")
elif own[0].get("License") != "MIT\n" + notice:
    problems.append("the 'Files: *' license is not MIT with the text of LICENSE")
named = {p["License"].split("\n")[0] for p in paragraphs if "License" in p and "Files" not in p}
for library, pattern, license in (("Qt", r"^libQt6", "LGPL-3"),):
    linked = re.search(pattern, needed, re.M) is not None
    if linked != (license in named):
        state = "link" if linked else "do not link"
        problems.append(f"the programs {state} {library}, yet the license paragraph {license} is "
                        + ("missing" if linked else "there"))
# The case folding table is generated from Unicode data into both programs.
if "Unicode-DFS-2016" not in named:
    problems.append("the programs hold a table made from Unicode data, yet the license paragraph "
                    "Unicode-DFS-2016 is missing")
if license_text.strip() not in open(notices_path, encoding="utf-8").read():
    problems.append("packaging/windows/THIRD-PARTY-NOTICES.txt lacks the text of LICENSE")
for problem in problems:
    print(problem, file=sys.stderr)
sys.exit(1 if problems else 0)
EOF

echo "== AppStream metadata"
metainfo=$(echo "$unpacked"/usr/share/metainfo/*.metainfo.xml)
if ! report=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
  fail "appstreamcli validate: $report"
fi
echo "$report"
python3 - "$metainfo" "$unpacked" "$version" "$changelog_date" <<'EOF' || fail "AppStream metadata"
import os, sys, xml.etree.ElementTree as tree
path, root, version, date = sys.argv[1:]
component = tree.parse(path).getroot()
lang = "{http://www.w3.org/XML/1998/namespace}lang"
problems = []
if os.path.basename(path) != f"{component.findtext('id')}.metainfo.xml":
    problems.append(f"{os.path.basename(path)} is not named after the id {component.findtext('id')}")
desktop = component.findtext("launchable[@type='desktop-id']")
if not desktop or not os.path.isfile(f"{root}/usr/share/applications/{desktop}"):
    problems.append(f"the launchable {desktop} is not an installed desktop entry")
for element in ("summary", "description/p"):
    languages = {e.get(lang) for e in component.findall(element)}
    if not {None, "it"} <= languages:
        problems.append(f"{element} is not in both English and Italian")
if component.find("content_rating[@type='oars-1.1']") is None:
    problems.append("no OARS 1.1 content rating")
release = component.find("releases/release")
if release is None or release.get("version") != version or release.get("date") != date:
    got = None if release is None else (release.get("version"), release.get("date"))
    problems.append(f"the newest release is {got}, the changelog's top entry ({version}, {date})")
for problem in problems:
    print(problem, file=sys.stderr)
sys.exit(1 if problems else 0)
EOF

echo "== manual pages"
for page in brenvo1 brenvo1-scan; do
  file=$unpacked/usr/share/man/man1/$page.1.gz
  if ! report=$(mandoc -T lint -W warning "$file" 2>&1) || [ -n "$report" ]; then
    fail "mandoc -T lint $page.1: $report"
  fi
  status=0
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" >"$scratch/$page.txt" 2>"$scratch/$page.err" || status=$?
  if [ "$status" -ne 0 ] || [ -s "$scratch/$page.err" ]; then
    fail "man -l $page.1 (status $status): $(cat "$scratch/$page.err")"
  fi
  head -n 1 "$scratch/$page.txt"
  # The footer carries the version CMake put in.
  grep -q "^Brenvo1 $version .* Brenvo1 $version\$" "$scratch/$page.txt" ||
    fail "$page.1 does not show version $version: $(tail -n 1 "$scratch/$page.txt")"
done
grep -q '^ *brenvo1-scan --version$' "$scratch/brenvo1-scan.txt" ||
  fail "brenvo1-scan.1 has no synopsis line for --version"

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

status=0
version_line=$(env -u LD_LIBRARY_PATH "$unpacked/usr/bin/brenvo1-scan" --version 2>"$scratch/version.err") || status=$?
if [ "$status" -ne 0 ] || [ "$version_line" != "brenvo1-scan $version" ] || [ -s "$scratch/version.err" ]; then
  fail "brenvo1-scan --version: status $status, printed [$version_line], expected [brenvo1-scan $version]: $(cat "$scratch/version.err")"
fi
# Only the exact option: any other single argument is still a usage error.
status=0
env -u LD_LIBRARY_PATH "$unpacked/usr/bin/brenvo1-scan" --versio >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "brenvo1-scan --versio exited with $status, not 2"

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
