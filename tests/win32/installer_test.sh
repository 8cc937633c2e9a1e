#!/usr/bin/env bash
# Installs the Windows setup silently under Wine, in the build's own Wine
# prefix, checks the programs, the texts, the Start-menu shortcut and the
# entry in the list of installed programs, and the installed
# brenvo1-scan.exe as a Windows user meets it; then, with Scandilo running
# from the install folder, that neither the uninstaller nor the installer
# touches anything and both fail; once it is closed, installs over the
# install, refuses to put itself over a newer one unless asked,
# uninstalls silently and checks that all of it is gone. Then two installs
# side by side, each removed alone: one for every user in a folder whose
# parents the setup made, one for the current user with Program Files
# closed to it. Last, the MSI over an older one, then removed.
# Uses the X server named by DISPLAY, or starts one.
# Usage: installer_test.sh SETUP.exe VERSION window_probe.exe NEWER-SETUP.exe MSI OLDER-MSI
# Exit status 77 (skipped) when Wine, Xvfb, xdotool, icoutils or msitools is
# missing.
set -euo pipefail

setup=$(realpath "$1")
version=$2
probe_exe=$(realpath "$3")
newer_setup=$(realpath "$4") msi=$(realpath "$5") older_msi=$(realpath "$6")
source "$(dirname "$0")/../x_session.sh"
x_session_require wine Xvfb xdotool wrestool msiinfo
[ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/system.reg" ] || fail "WINEPREFIX must name the build's own Wine prefix"
export WINEDEBUG=-all

work=$(mktemp -d)
app_pid=""
holder_pid=""
program_files="$WINEPREFIX/drive_c/Program Files"
cleanup() {
  chattr -i "$program_files" 2>/dev/null || chmod u+w "$program_files"
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
files=(brenvo1.exe brenvo1-scan.exe LEGGIMI.txt LICENSE.txt THIRD-PARTY-NOTICES.txt uninstall.exe)
texts=(LEGGIMI.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)
windows_folder='C:\Program Files\Brenvo1'

# The 64-bit view of the registry, where a 64-bit installer writes; the
# entry under HKLM unless KEY is given. Wine's reg writes to a pipe in the
# OEM code page.
registry_value() {
  wine reg query "${2:-$key}" /v "$1" /reg:64 </dev/null 2>/dev/null | iconv -f CP437 | tr -d '\r' |
    sed -n "s/^ *$1 *REG_[A-Z]* *//p"
}
registry_key_exists() { wine reg query "${1:-$key}" /reg:64 </dev/null >/dev/null 2>&1; }

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
# The guide for Windows users, not the Linux README.
grep -q 'Notepad' "$folder/LEGGIMI.txt" && grep -q 'brenvo1-scan /?' "$folder/LEGGIMI.txt" &&
  ! grep -qE 'gedit|xdg-open|/proc|\*\*' "$folder/LEGGIMI.txt" || fail "LEGGIMI.txt is not the guide for Windows"
[ -f "$shortcut" ] || fail "the install made no Start-menu shortcut Scandilo"
grep -qa 'brenvo1.exe' "$shortcut" || fail "the shortcut does not point at brenvo1.exe"
echo "ok: the silent install put the programs, the texts and the shortcut in place"

[ "$(registry_value DisplayName)" = "Brenvo1 (Scandilo)" ] || fail "DisplayName is '$(registry_value DisplayName)'"
[ "$(registry_value DisplayVersion)" = "$version" ] || fail "DisplayVersion is '$(registry_value DisplayVersion)', not $version"
[ -n "$(registry_value Publisher)" ] || fail "no Publisher"
[ "$(registry_value DisplayIcon)" = '"C:\Program Files\Brenvo1\brenvo1.exe",0' ] ||
  fail "DisplayIcon is '$(registry_value DisplayIcon)'"
uninstall_string=$(registry_value UninstallString)
[ "$uninstall_string" = '"C:\Program Files\Brenvo1\uninstall.exe" _?=C:\Program Files\Brenvo1' ] ||
  fail "UninstallString is '$uninstall_string'"
quiet=$(registry_value QuietUninstallString)
[ "$quiet" = "${uninstall_string/ _?=/ /S _?=}" ] || fail "QuietUninstallString is '$quiet'"
# What the list of installed programs shows as the size: the installed
# files, in KiB.
size=$(registry_value EstimatedSize)
[ -n "$size" ] || fail "no EstimatedSize"
bytes=$(cat "${files[@]/#/$folder/}" | wc -c)
[ $((size)) = $((bytes / 1024)) ] || fail "EstimatedSize is $((size)) KiB, the files take $((bytes / 1024)) KiB"
echo "ok: the uninstaller is in the list of installed programs, with the size of the install ($((size)) KiB)"

# A command line as typed at a prompt: cmd hands it to the program as it
# stands, where wine would quote each argument anew. Its exit status is the
# program's.
at_prompt() {
  printf '@%s\r\n@exit %%errorlevel%%\r\n' "$1" | iconv -t CP437 >"$work/line.bat"
  (cd "$work" && wine cmd /c line.bat </dev/null 2>&1 | tr -d '\r')
}

# --- brenvo1-scan.exe as installed, typed at a prompt.
scan() { at_prompt "\"$windows_folder\\brenvo1-scan.exe\" $1"; }
usage=$(scan '/?') || fail "brenvo1-scan /? ended with status $?"
[ "${usage%%$'\n'*}" = "uso: brenvo1-scan CARTELLA TESTO" ] || fail "brenvo1-scan /? printed \"$usage\""
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
# The registered command, as deployment tools run it.
at_prompt "$quiet" || status=$?
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
wine "$probe_exe" hold "$windows_folder\\LEGGIMI.txt" </dev/null >"$work/hold" 2>&1 &
holder_pid=$!
wait_for grep -qs holding "$work/hold" || fail "the probe did not hold LEGGIMI.txt: $(cat "$work/hold")"
status=0
wine "$setup" /S </dev/null || status=$?
[ "$status" -ne 0 ] || fail "the silent install ended as a success though LEGGIMI.txt could not be written"
status=0
at_prompt "$quiet" || status=$?
[ "$status" -ne 0 ] || fail "the silent uninstall ended as a success though LEGGIMI.txt stayed"
[ -f "$folder/LEGGIMI.txt" ] && [ -f "$folder/uninstall.exe" ] && [ -e "$shortcut" ] && registry_key_exists ||
  fail "the failed uninstall did not keep LEGGIMI.txt, the uninstaller, the shortcut and the entry"
echo "ok: with LEGGIMI.txt held open, the install and the uninstall (status $status) failed, and the uninstaller stays"
kill "$holder_pid"
wait "$holder_pid" || true
holder_pid=""
wine "$setup" /S </dev/null || fail "the silent install failed once LEGGIMI.txt was let go"
expect_installed "the install after the failed uninstall"

# --- An older setup over a newer install: refused, unless asked.
wine "$newer_setup" /S </dev/null || fail "the newer setup failed"
status=0
wine "$setup" /S </dev/null || status=$?
[ "$status" = 2 ] && [ "$(registry_value DisplayVersion)" = 99.0.0 ] ||
  fail "the setup over a newer install ended with status $status, leaving version $(registry_value DisplayVersion)"
wine "$setup" /S /DOWNGRADE </dev/null && [ "$(registry_value DisplayVersion)" = "$version" ] ||
  fail "the setup with /DOWNGRADE did not put $version back"
echo "ok: the setup refused to replace a newer version (status 2), and replaced it with /DOWNGRADE"

# The registered quiet command ends with the uninstall's status; the copy
# it starts removes the uninstaller and the folder once it has ended.
# WHAT is the install's folder, shortcut and entry.
uninstall() {
  local quiet=$1 folder=$2 shortcut=$3 key=$4
  local place=${quiet#* _?=}
  at_prompt "${quiet%%_?=*}_?=${place//&/^&}" || fail "$quiet ended with status $?"
  gone() { [ ! -e "$folder" ] && [ ! -e "$shortcut" ] && ! registry_key_exists "$key"; }
  wait_for gone || fail "the uninstall left $(ls "$folder" 2>&1 | tr '\n' ' '), $(ls "$shortcut" 2>&1)"
}
uninstall "$quiet" "$folder" "$shortcut" "$key"
echo "ok: the silent uninstall removed the programs, the shortcut and the entry"

# --- Two installs, each its own. For every user in a folder whose parents
# the setup makes, and installed over in it; then for the current user,
# Program Files closed to the setup (as to a user without administrator
# rights) and the other install's kind in the registry.
custom='C:\Programmi d'"'"'ufficio\Città & Co\Brenvo1'
setup_at_prompt="\"$(winepath -w "$setup")\" /S"
at_prompt "$setup_at_prompt /D=${custom//&/^&}" >/dev/null || fail "the install into $custom failed"
at_prompt "$setup_at_prompt" >/dev/null || fail "the install over the install failed"
[ "$(registry_value InstallLocation)" = "$custom" ] && [ ! -e "$folder" ] ||
  fail "the setup run again did not install over the install in $custom"
chattr +i "$program_files" 2>/dev/null || chmod a-w "$program_files"
wine "$setup" /S </dev/null || fail "the install without Program Files failed"
chattr -i "$program_files" 2>/dev/null || chmod u+w "$program_files"
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brenvo1'
user_folder=$(winepath -u "$(registry_value InstallLocation "$user_key")")
user_shortcut=$(winepath -u "$(wine cmd /c echo %APPDATA% </dev/null | tr -d '\r')")'/Microsoft/Windows/Start Menu/Programs/Scandilo.lnk'
[[ $user_folder == */AppData/Local/Programs/Brenvo1 ]] && [ -f "$user_folder/brenvo1.exe" ] && [ -f "$user_shortcut" ] ||
  fail "no install for the current user: '$user_folder'"
uninstall "$(registry_value QuietUninstallString "$user_key")" "$user_folder" "$user_shortcut" "$user_key"
[ -e "$shortcut" ] && [ "$(registry_value InstallLocation)" = "$custom" ] && [ -f "$(winepath -u "$custom")/brenvo1.exe" ] ||
  fail "removing the current user's install touched the install for every user"
uninstall "$(registry_value QuietUninstallString)" "$(winepath -u "$custom")" "$shortcut" "$key"
[ ! -e "$WINEPREFIX/drive_c/Programmi d'ufficio" ] || fail "the uninstall left the folders the setup made"
echo "ok: two installs, for every user in $custom and for the current user, each removed alone"

# --- The MSI, which replaces an older MSI and leaves nothing behind.
msiexec() { wine msiexec "$@" /qn </dev/null || fail "msiexec $* ended with status $?"; }
msiinfo export "$msi" Property | tr -d '\r' | grep -qx "ProductVersion.$version" || fail "the MSI is not version $version"
msiexec /i "$older_msi"
msiexec /i "$msi"
products=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:64 </dev/null |
  grep -c 'DisplayName.*Brenvo1 (Scandilo)' || true)
[ "$products" = 1 ] && [ -f "$folder/brenvo1.exe" ] && [ -f "$folder/LEGGIMI.txt" ] ||
  fail "after the MSI's upgrade, $products entries and $(ls "$folder" 2>&1 | tr '\n' ' ')"
msiexec /x "$msi"
[ ! -e "$folder" ] && [ -z "$(find "$WINEPREFIX/drive_c" -name Scandilo.lnk)" ] && ! registry_key_exists 'HKLM\Software\Brenvo1' ||
  fail "the MSI's removal left something behind"
echo "ok: the MSI replaced an older MSI, and its removal left nothing behind"
