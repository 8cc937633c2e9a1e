#!/usr/bin/env bash
# Pictures of uninstalling Brenvo1 while Scandilo runs, taken from the real
# installer under Wine, in a Wine prefix and a Wine desktop of their own
# inside an Xvfb server (where Wine draws frames and boxes in the Windows
# style): the setup installs silently, Scandilo is started from the install
# folder, the uninstaller is started and its "Disinstalla" pressed.
#   PREFIX-1-confirm.png   the uninstaller's first page, Scandilo behind it
#   PREFIX-2-running.png   what the uninstaller shows then: the box asking
#                          to close Scandilo, or, from an uninstaller that
#                          does not look, its last page
#   PREFIX-3-cancelled.png after "Annulla" in that box, the last page
# and, first, the setup's own pages and the guide it installs:
#   PREFIX-setup-kind.png  the choice between every user and the current one
#   PREFIX-setup-user.png  the folder page of an install for the current user
#   PREFIX-leggimi.png     LEGGIMI.txt in Notepad
# Needs xvfb, xdotool and imagemagick, and Wine.
# Usage: scripts/screenshot-windows-uninstall.sh SETUP.exe OUTPUT-PREFIX
set -euo pipefail
cd "$(dirname "$0")/.."

[ $# -eq 2 ] || { echo "usage: $0 SETUP.exe OUTPUT-PREFIX" >&2; exit 2; }
setup=$(realpath "$1")
output=$2
scripts/deps.sh windows screenshot
source tests/x_session.sh

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  x_session_stop
  rm -rf "$work"
}
trap cleanup EXIT
x_session_start "$work"
wineboot -i >/dev/null 2>&1
wineserver -w
# Every window of the prefix in one Wine desktop, read when the desktop
# process starts: the one reg started goes first.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
wineserver -k
wineserver -w

mkdir -p "$(dirname "$output")"
# Wine paints a window a moment after it is mapped; the pointer goes out
# of the picture, over the desktop, whose windows then take the keys.
shoot() {
  xdotool mousemove 790 590
  sleep 1
  import -window root -crop 800x600+0+0 +repage "$1"
  echo "screenshot-windows-uninstall.sh: wrote $1"
}
# Its pages all carry the same caption: each is given time to show after
# its key.
setup_shown() { xdotool search --onlyvisible --name '^Installazione di Brenvo1' >/dev/null 2>&1; }
no_setup() { ! setup_shown; }
# Through the license page to the choice of kind, on to the folder page,
# then cancelled.
for kind in "" /CURRENTUSER; do
  wine "$setup" $kind </dev/null >/dev/null 2>&1 &
  wait_for setup_shown
  sleep 2
  xdotool key Return
  sleep 2
  [ -n "$kind" ] || shoot "$output-setup-kind.png"
  xdotool key Return
  sleep 2
  [ -z "$kind" ] || shoot "$output-setup-user.png"
  xdotool key Escape
  sleep 2
  xdotool key Return
  wait_for no_setup
done

wine "$setup" /S </dev/null
folder='C:\Program Files\Brenvo1'
wine notepad "$folder\\LEGGIMI.txt" </dev/null >/dev/null 2>&1 &
wait_for xdotool search --onlyvisible --name 'LEGGIMI' >/dev/null
shoot "$output-leggimi.png"
xdotool search --onlyvisible --name 'LEGGIMI' windowclose
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Scandilo.lnk"
wine "$folder\\brenvo1.exe" </dev/null >/dev/null 2>&1 &
timeout 60 xdotool search --sync --onlyvisible --name '^Scandilo$' >/dev/null
wine "$folder\\uninstall.exe" </dev/null >/dev/null 2>&1 &

# The uninstaller's windows, its boxes included, carry its caption.
uninstaller_windows() { xdotool search --onlyvisible --name '^Disinstallazione di Brenvo1' 2>/dev/null | wc -l; }
windows_are() { [ "$(uninstaller_windows)" -eq "$1" ]; }
box_or_done() { windows_are 2 || [ ! -e "$shortcut" ]; }

wait_for windows_are 1
shoot "$output-1-confirm.png"
xdotool key Return
wait_for box_or_done
shoot "$output-2-running.png"
if windows_are 2; then
  xdotool key Escape
  wait_for windows_are 1
  shoot "$output-3-cancelled.png"
fi
