#!/bin/sh
# The Windows program under Wine, as a town hall's IT person installs it and a
# clerk uses it, in a Wine folder (prefix) of its own:
#   - the installer installs silently (/S) into C:\Hestavo, with the Qt DLLs,
#     the "windows" platform plugin, a Start-menu shortcut and an uninstaller;
#   - the installed program starts on an empty data folder and lays out its
#     tables there;
#   - hestavo-cli.exe on a copy of a demo data folder made on Linux, in a
#     folder whose name has diacritics, gives the same recalculated tables,
#     AJPIS annexes (cell by cell) and archive entries as the Linux build;
#   - an archive saved on Windows opens on Linux, and one saved on Linux opens
#     on Windows, giving back the same tables;
#   - the uninstaller removes the program and leaves the data folder.
# Arguments: Windows build folder, Linux build folder, source folder.
set -u
winbuild=$(cd "$1" && pwd) linbuild=$(cd "$2" && pwd) src=$(cd "$3" && pwd)
wine=/usr/lib/wine/wine64
python=/usr/bin/python3
compare="$python $src/tests/windows/compare_outputs.py"
lister="$python $src/tests/backup/archive_reference.py"
export WINEPREFIX="$winbuild/wine-program-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
d=$(mktemp -d)
trap '"${wine%/*}/wineserver" -k 2>/dev/null; rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
step() { echo "== $*"; }
# A Unix path as the Windows program sees it (Wine's Z: drive is /).
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
drive_c=$WINEPREFIX/drive_c

[ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot --init >/dev/null 2>&1

step "silent install"
installer=$(ls "$winbuild"/hestavo-setup-*.exe 2>/dev/null | head -n1)
[ -n "$installer" ] || fail "no installer in $winbuild"
rm -rf "$drive_c/Hestavo"
"$wine" "$installer" /S >"$d/install.log" 2>&1 || fail "the installer failed: $(cat "$d/install.log")"
app=$drive_c/Hestavo
for f in hestavo.exe hestavo-cli.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll \
         platforms/qwindows.dll Dezinstalare.exe; do
  [ -f "$app/$f" ] || fail "not installed: $f"
done
[ -d "$app/Data" ] || fail "no data folder made"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Hestavo"
[ -f "$menu/Hestavo.lnk" ] || fail "no Start-menu shortcut in $menu"

step "the installed program on an empty data folder"
# The program runs until the clerk closes it: it is stopped once its tables
# are laid out. Qt's offscreen platform needs no display.
QT_QPA_PLATFORM=offscreen "$wine" 'C:\Hestavo\hestavo.exe' >"$d/program.log" 2>&1 &
program=$!
for _ in $(seq 1 120); do
  [ -f "$app/Data/Cereri.dbf" ] && [ -f "$app/Data/Oameni.dbf" ] && break
  sleep 1
done
sleep 2
kill "$program" 2>/dev/null
"${wine%/*}/wineserver" -k 2>/dev/null
for t in Cereri.dbf Oameni.dbf; do
  [ -f "$app/Data/$t" ] || fail "the program did not lay out $t: $(ls "$app/Data") $(cat "$d/program.log")"
done
$python -c "import dbfread,sys; [list(dbfread.DBF(p)) for p in sys.argv[1:]]" "$app/Data/Cereri.dbf" "$app/Data/Oameni.dbf" \
  || fail "the tables laid out on Windows do not read"

step "the same commands on Linux and on Windows"
"$linbuild/tools/demo-db/hestavo-demo-db" "$d/demo/Data" --households 300 --months 1 --seed 5 >/dev/null \
  || fail "demo database"
linux="$d/Linux" windows="$d/Asistență socială Râșnov"
cp -r "$d/demo" "$linux"
cp -r "$d/demo" "$windows"
lin() { "$linbuild/tools/hestavo-cli/hestavo-cli" --program-dir "$linux" "$@"; }
win() { "$wine" "$app/hestavo-cli.exe" --program-dir "$(winpath "$windows")" "$@"; }
month=$(lin months | head -n1)
[ -n "$month" ] || fail "no month in the demo database"
mkdir -p "$d/out-linux" "$d/out-windows"
lin --month "$month" recalc >"$d/lin-recalc" 2>&1 || fail "Linux recalc: $(cat "$d/lin-recalc")"
win --month "$month" recalc >"$d/win-recalc" 2>&1 || fail "Windows recalc: $(cat "$d/win-recalc")"
tr -d '\r' <"$d/win-recalc" | cmp -s - "$d/lin-recalc" || fail "recalc said $(cat "$d/win-recalc") on Windows, $(cat "$d/lin-recalc") on Linux"
# The log names the computer and the time of each action: compared apart.
$compare "$linux/Data" "$windows/Data" --skip LOG.DBF || fail "recalculated tables differ"

first=01.$month last=$(date -d "$(echo "$month" | awk -F. '{print $2"-"$1"-01"}') +1 month -1 day" +%d.%m.%Y)
lin --month "$month" ajpis --from "$first" --to "$last" --out "$d/out-linux" >"$d/lin-ajpis" 2>&1 \
  || fail "Linux AJPIS: $(cat "$d/lin-ajpis")"
win --month "$month" ajpis --from "$first" --to "$last" --out "$(winpath "$d/out-windows")" >"$d/win-ajpis" 2>&1 \
  || fail "Windows AJPIS: $(cat "$d/win-ajpis")"
$compare "$d/out-linux" "$d/out-windows" || fail "AJPIS annexes differ"

lin backup save "$d/linux.L21" >/dev/null 2>&1 || fail "Linux archive"
win backup save "$(winpath "$d/windows.L21")" >"$d/win-save" 2>&1 || fail "Windows archive: $(cat "$d/win-save")"
# Entries follow the folder's listing order, which is each system's own.
$lister list "$d/linux.L21" >"$d/linux.all" || fail "the Linux archive does not list"
$lister list "$d/windows.L21" >"$d/windows.all" || fail "the Windows archive does not list"
grep -iv '^log\.dbf' "$d/linux.all" | sort >"$d/linux.list"
grep -iv '^log\.dbf' "$d/windows.all" | sort >"$d/windows.list"
cmp -s "$d/linux.list" "$d/windows.list" || fail "archives differ: $(diff "$d/linux.list" "$d/windows.list")"

step "archives across the two systems"
mkdir "$d/opened-on-linux" "$d/opened-on-windows"
lin backup open "$d/windows.L21" "$d/opened-on-linux" >/dev/null 2>&1 || fail "the Windows archive does not open on Linux"
win backup open "$(winpath "$d/linux.L21")" "$(winpath "$d/opened-on-windows")" >"$d/win-open" 2>&1 \
  || fail "the Linux archive does not open on Windows: $(cat "$d/win-open")"
$compare "$windows/Data" "$d/opened-on-linux" || fail "the Windows archive opened on Linux differs"
$compare "$linux/Data" "$d/opened-on-windows" || fail "the Linux archive opened on Windows differs"

step "uninstall"
touch "$app/Data/lucrul oficiului.txt"
"$wine" "$app/Dezinstalare.exe" /S _?="C:\\Hestavo" >/dev/null 2>&1 || fail "the uninstaller failed"
[ ! -f "$app/hestavo.exe" ] && [ ! -f "$app/Qt6Core.dll" ] || fail "the program is still installed"
[ -f "$app/Data/Cereri.dbf" ] && [ -f "$app/Data/lucrul oficiului.txt" ] || fail "the uninstaller touched the data folder"
[ ! -d "$menu" ] || fail "the Start-menu folder is left"
echo "PASS"
