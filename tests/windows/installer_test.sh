#!/usr/bin/env bash
# Installs the Windows setup silently under Wine, in the build's own Wine
# prefix, checks the programs, the Start-menu shortcut and the entry in the
# list of installed programs, then uninstalls silently and checks that all
# of it is gone.
# Usage: installer_test.sh SETUP.exe VERSION
# Exit status 77 (skipped) when Wine is not installed.
set -euo pipefail

setup=$(realpath "$1")
version=$2
if ! command -v wine >/dev/null 2>&1; then
  echo "skipped: wine is not installed"
  exit 77
fi
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/system.reg" ] || fail "WINEPREFIX must name the build's own Wine prefix"
export WINEDEBUG=-all

folder="$WINEPREFIX/drive_c/Program Files/Brenvo1"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Scandilo.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brenvo1'
files=(brenvo1.exe brenvo1-scan.exe README.md LICENSE THIRD-PARTY-NOTICES.txt uninstall.exe)
# The 64-bit view of the registry, where a 64-bit installer writes.
registry_value() { wine reg query "$key" /v "$1" /reg:64 </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }
registry_key_exists() { wine reg query "$key" /reg:64 </dev/null >/dev/null 2>&1; }

# Leftovers of an earlier run would prove nothing.
[ -e "$folder" ] && fail "Brenvo1 is already installed in the test prefix"

wine "$setup" /S </dev/null || fail "the silent install failed"
for file in "${files[@]}"; do
  [ -f "$folder/$file" ] || fail "the install did not put $file in Program Files\\Brenvo1"
done
cmp -s "$folder/LICENSE" "$(dirname "$0")/../../LICENSE" || fail "the installed LICENSE is not the project's"
[ -f "$shortcut" ] || fail "the install made no Start-menu shortcut Scandilo"
grep -qa 'brenvo1.exe' "$shortcut" || fail "the shortcut does not point at brenvo1.exe"
echo "ok: the silent install put the programs, the texts and the shortcut in place"

[ "$(registry_value DisplayName)" = "Brenvo1 (Scandilo)" ] || fail "DisplayName is '$(registry_value DisplayName)'"
[ "$(registry_value DisplayVersion)" = "$version" ] || fail "DisplayVersion is '$(registry_value DisplayVersion)', not $version"
[ -n "$(registry_value Publisher)" ] || fail "no Publisher"
[ "$(registry_value DisplayIcon)" = '"C:\Program Files\Brenvo1\brenvo1.exe",0' ] ||
  fail "DisplayIcon is '$(registry_value DisplayIcon)'"
uninstall_string=$(registry_value UninstallString)
[ "$uninstall_string" = '"C:\Program Files\Brenvo1\uninstall.exe"' ] || fail "UninstallString is '$uninstall_string'"
quiet=$(registry_value QuietUninstallString)
[ "$quiet" = "$uninstall_string /S" ] || fail "QuietUninstallString is '$quiet'"
echo "ok: the uninstaller is in the list of installed programs"

# The quiet command line's program, with its /S. The uninstaller copies
# itself away and returns at once; its copy removes the rest.
uninstaller=${uninstall_string#\"}
uninstaller=${uninstaller%\"}
wine "$uninstaller" /S </dev/null || fail "the silent uninstall failed to start"
gone() { [ ! -e "$folder" ] && [ ! -e "$shortcut" ] && ! registry_key_exists; }
for ((i = 0; i < 60; i++)); do
  gone && break
  sleep 0.5
done
[ ! -e "$shortcut" ] || fail "the uninstall left the shortcut"
[ ! -e "$folder" ] || fail "the uninstall left $(ls "$folder" | tr '\n' ' ')in Program Files\\Brenvo1"
! registry_key_exists || fail "the uninstall left the entry in the list of installed programs"
echo "ok: the silent uninstall removed the programs, the shortcut and the entry"
