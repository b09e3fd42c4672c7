#!/bin/sh
# Screenshots of the installed Windows program under Wine, as a clerk sees it:
# the main window, the administration window, the register on a demo month
# and the application editor. Xvfb with openbox stands in for the desktop;
# xdotool presses what a clerk presses.
#   sh bench/windows/windows-shots.sh [OUT_FOLDER]
# Needs scripts/build-windows first (the installer) and the Linux build (the
# demo database). Writes PNGs into OUT_FOLDER (default: shots-windows/).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/shots-windows}
winbuild=${HESTAVO_WINDOWS_PROGRAM_BUILD_DIR:-$root/build-windows-program}
linbuild=${HESTAVO_BUILD_DIR:-$root/build}
wine=/usr/lib/wine/wine64
export WINEPREFIX="$winbuild/wine-shots-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
export DISPLAY=:97
mkdir -p "$out"
Xvfb "$DISPLAY" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
wm=
trap 'kill $wm $xvfb 2>/dev/null || true; "${wine%/*}/wineserver" -k 2>/dev/null || true' EXIT
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
"$wine" "$(ls "$winbuild"/hestavo-setup-*.exe | head -n1)" /S
app=$WINEPREFIX/drive_c/Hestavo
rm -rf "$app/Data"
"$linbuild/tools/demo-db/hestavo-demo-db" "$app/Data" --households 300 --months 2 --seed 5 >/dev/null
"$wine" 'C:\Hestavo\hestavo.exe' >/dev/null 2>&1 &
shot() { sleep "$1"; import -window root "$out/$2.png"; echo "$out/$2.png"; }
shot 25 01-main-window
xdotool mousemove 65 62 click 1          # Administrare: no password yet
sleep 3; xdotool key Return              # "Nu aveti nicio parola!"
shot 5 02-settings
xdotool key Escape                       # Renunta
sleep 2; xdotool key F2                  # Cereri
shot 8 03-register
xdotool mousemove 1150 112 click 1       # Modifica cerere
shot 6 04-editor
xdotool key Escape; sleep 1; xdotool key Escape; sleep 1; xdotool key F12; sleep 3
