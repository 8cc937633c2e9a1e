#!/usr/bin/env bash
# Installs the Windows setup silently under Wine, in the build's own Wine
# prefix, checks the programs, the texts, the Start-menu shortcut and the
# entry in the list of installed programs, and the installed
# brenvo1-scan.exe as a Windows user meets it; then, with Scandilo running
# from the install folder, that neither the uninstaller nor the installer
# touches anything and both fail; once it is closed, installs over the
# install, uninstalls silently and checks that all of it is gone.
# Uses the X server named by DISPLAY, or starts one.
# Usage: installer_test.sh SETUP.exe VERSION window_probe.exe
# Exit status 77 (skipped) when Wine, Xvfb, xdotool or icoutils is missing.
set -euo pipefail

setup=$(realpath "$1")
version=$2
probe_exe=$(realpath "$3")
source "$(dirname "$0")/../x_session.sh"
x_session_require wine Xvfb xdotool wrestool
[ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/system.reg" ] || fail "WINEPREFIX must name the build's own Wine prefix"
export WINEDEBUG=-all

work=$(mktemp -d)
app_pid=""
holder_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null || true
  x_session_stop
  rm -rf "$work"
}
trap cleanup EXIT
[ -n "${DISPLAY:-}" ] || x_session_start "$work"

folder="$WINEPREFIX/drive_c/Program Files/Brenvo1"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Scandilo.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brenvo1'
files=(brenvo1.exe brenvo1-scan.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt uninstall.exe)
texts=(README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)
windows_folder='C:\Program Files\Brenvo1'

# The 64-bit view of the registry, where a 64-bit installer writes.
registry_value() { wine reg query "$key" /v "$1" /reg:64 </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }
registry_key_exists() { wine reg query "$key" /reg:64 </dev/null >/dev/null 2>&1; }

# Leftovers of an earlier run would prove nothing.
[ -e "$folder" ] && fail "Brenvo1 is already installed in the test prefix"

wine "$setup" /S </dev/null || fail "the silent install failed"
# Every file of the install is in its folder; WHY names the step, which a
# missing file fails.
expect_installed() {
  local file
  for file in "${files[@]}"; do
    [ -f "$folder/$file" ] || fail "$1: $file is missing from Program Files\\Brenvo1"
  done
}
expect_installed "the install"
for text in "${texts[@]}"; do
  lines=$(wc -l <"$folder/$text")
  crlf=$(grep -c $'\r$' "$folder/$text" || true)
  [ "$lines" -gt 0 ] && [ "$crlf" = "$lines" ] || fail "$text has $crlf CRLF line ends in $lines lines"
done
tr -d '\r' <"$folder/LICENSE.txt" | cmp -s - "$(dirname "$0")/../../LICENSE" ||
  fail "the installed LICENSE.txt is not the project's LICENSE"
# The README for the programs' users, as plain text: no Markdown marks.
grep -q 'Scandilo' "$folder/README.txt" && grep -q 'brenvo1-scan' "$folder/README.txt" ||
  fail "README.txt does not tell about Scandilo and brenvo1-scan"
! grep -qE '\*\*|\]\(|^#|!\[' "$folder/README.txt" || fail "README.txt holds Markdown: $(grep -m1 -E '\*\*|\]\(|^#|!\[' "$folder/README.txt")"
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
# What the list of installed programs shows as the size: the installed
# files, in KiB.
size=$(registry_value EstimatedSize)
[ -n "$size" ] || fail "no EstimatedSize"
bytes=$(cat "${files[@]/#/$folder/}" | wc -c)
[ $((size)) = $((bytes / 1024)) ] || fail "EstimatedSize is $((size)) KiB, the files take $((bytes / 1024)) KiB"
uninstaller=${uninstall_string#\"}
uninstaller=${uninstaller%\"}
echo "ok: the uninstaller is in the list of installed programs, with the size of the install ($((size)) KiB)"

# A command line as typed at a prompt: cmd hands it to the program as it
# stands, where wine would quote each argument anew. Its exit status is the
# program's.
at_prompt() {
  printf '@%s\r\n@exit %%errorlevel%%\r\n' "$1" >"$work/line.bat"
  (cd "$work" && wine cmd /c line.bat </dev/null 2>&1 | tr -d '\r')
}

# --- brenvo1-scan.exe as installed, typed at a prompt.
scan() { at_prompt "\"$windows_folder\\brenvo1-scan.exe\" $1"; }
usage=$(scan '/?') || fail "brenvo1-scan /? ended with status $?"
[ "$usage" = "uso: brenvo1-scan CARTELLA TESTO" ] || fail "brenvo1-scan /? printed \"$usage\""
mkdir -p "$WINEPREFIX/drive_c/Prove/sotto"
printf 'alfa\n' >"$WINEPREFIX/drive_c/Prove/sotto/uno.txt"
for line in '"C:\Prove\" alfa' '"C:\Prove\\" alfa' 'C:\Prove\ alfa' '"C:\Prove\" "alfa"'; do
  hits=$(scan "$line")
  [ "$hits" = 'C:\Prove\sotto\uno.txt' ] || fail "brenvo1-scan $line printed \"$hits\""
done
rm -r "$WINEPREFIX/drive_c/Prove"
echo "ok: brenvo1-scan /? prints its usage; \"C:\\Prove\\\" alfa searches the folder C:\\Prove"
# Its Properties: the version resource names it and its version.
wrestool -x --raw -t 16 "$folder/brenvo1-scan.exe" | iconv -c -f UTF-16LE -t UTF-8 | tr '\0' '\n' >"$work/version"
for value in "brenvo1-scan.exe" "$version" "Brenvo1"; do
  grep -qxF "$value" "$work/version" || fail "brenvo1-scan.exe's version resource lacks $value: $(tr '\n' ' ' <"$work/version")"
done
echo "ok: brenvo1-scan.exe carries its name and version $version in its Properties"

# --- Scandilo running from the install folder: neither the uninstaller nor
# the installer may touch anything, and neither may end as a success.
probe() { wine "$probe_exe" "$@" </dev/null | tr -d '\r'; }
wine "$windows_folder\\brenvo1.exe" </dev/null >"$work/app.log" 2>&1 &
app_pid=$!
timeout 60 xdotool search --sync --onlyvisible --name '^Scandilo$' >/dev/null ||
  fail "Scandilo did not appear: $(cat "$work/app.log")"
wait_for probe client-size >/dev/null 2>&1 || fail "the probe did not find Scandilo"
install_state() {
  (cd "$folder" && stat -c '%n %s %y %i' "${files[@]}")
  stat -c '%n %y' "$shortcut"
  wine reg query "$key" /reg:64 </dev/null | tr -d '\r'
}
install_state >"$work/before"
status=0
# Run in place (_?=, followed by the folder as it stands), the
# uninstaller's exit status is its own; the quiet command copies it away
# and returns at once.
at_prompt "\"$uninstaller\" /S _?=$windows_folder" || status=$?
[ "$status" -ne 0 ] || fail "the silent uninstall ended as a success while Scandilo ran"
install_state | cmp -s "$work/before" - || fail "the uninstall changed the install while Scandilo ran: $(install_state | diff "$work/before" -)"
echo "ok: with Scandilo running, the silent uninstall failed (status $status) and left the install as it was"
status=0
wine "$setup" /S </dev/null || status=$?
[ "$status" -ne 0 ] || fail "the silent install over a running Scandilo ended as a success"
install_state | cmp -s "$work/before" - || fail "the install over a running Scandilo changed files: $(install_state | diff "$work/before" -)"
echo "ok: with Scandilo running, the silent install failed (status $status) and changed nothing"

probe close
app_ended() { ! running "$app_pid"; }
wait_for app_ended || fail "Scandilo did not end after a close request"
wait "$app_pid" || true
app_pid=""
wine "$setup" /S </dev/null || fail "the silent install over the closed Scandilo failed"
expect_installed "the install over the install"
echo "ok: once Scandilo was closed, the install over it succeeded"

# A text held open by another program, which the look for running programs
# does not see: the install must stop rather than skip it, and the
# uninstall must fail and keep what lets it be run again.
wine "$probe_exe" hold "$windows_folder\\README.txt" </dev/null >"$work/hold" 2>&1 &
holder_pid=$!
wait_for grep -qs holding "$work/hold" || fail "the probe did not hold README.txt: $(cat "$work/hold")"
status=0
wine "$setup" /S </dev/null || status=$?
[ "$status" -ne 0 ] || fail "the silent install ended as a success though README.txt could not be written"
status=0
at_prompt "\"$uninstaller\" /S _?=$windows_folder" || status=$?
[ "$status" -ne 0 ] || fail "the silent uninstall ended as a success though README.txt stayed"
[ -f "$folder/README.txt" ] && [ -f "$folder/uninstall.exe" ] && [ -e "$shortcut" ] && registry_key_exists ||
  fail "the failed uninstall did not keep README.txt, the uninstaller, the shortcut and the entry"
echo "ok: with README.txt held open, the install and the uninstall (status $status) failed, and the uninstaller stays"
kill "$holder_pid"
wait "$holder_pid" || true
holder_pid=""
wine "$setup" /S </dev/null || fail "the silent install failed once README.txt was let go"
expect_installed "the install after the failed uninstall"

# The quiet command line's program, with its /S. The uninstaller copies
# itself away and returns at once; its copy removes the rest.
wine "$uninstaller" /S </dev/null || fail "the silent uninstall failed to start"
gone() { [ ! -e "$folder" ] && [ ! -e "$shortcut" ] && ! registry_key_exists; }
wait_for gone || true
[ ! -e "$shortcut" ] || fail "the uninstall left the shortcut"
[ ! -e "$folder" ] || fail "the uninstall left $(ls "$folder" | tr '\n' ' ')in Program Files\\Brenvo1"
! registry_key_exists || fail "the uninstall left the entry in the list of installed programs"
echo "ok: the silent uninstall removed the programs, the shortcut and the entry"
