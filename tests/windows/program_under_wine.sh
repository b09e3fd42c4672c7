#!/bin/sh
# The Windows program under Wine, as a town hall's IT person installs it and a
# clerk uses it, in a Wine folder (prefix) of its own:
#   - the installer installs silently (/S) into C:\Hestavo, with the Qt DLLs,
#     the "windows" platform plugin, a Start-menu shortcut and an uninstaller;
#   - the installed program starts on an empty data folder and lays out its
#     tables there; a second start while it runs ends by itself;
#   - hestavo-cli.exe on a copy of a demo data folder made on Linux, in a
#     folder whose name has diacritics, gives the same recalculated tables,
#     AJPIS annexes (cell by cell) and archive entries as the Linux build;
#   - the .L21 type is registered for the clerk (no administrator rights
#     needed), with the program's path quoted;
#   - with the Windows folder closed to the clerk, the computer's settings go
#     to C:\ProgramData\Hestavo, which every user may write;
#   - a document held open as Word holds it is not written over, and the
#     command says why and fails;
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
fail() { printf "FAIL: %s\n" "$*"; exit 1; }
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
# The type registration of an earlier run in this Wine folder goes first.
for key in 'HKCU\Software\Classes\.L21' 'HKCU\Software\Classes\L21file' \
           'HKLM\Software\Classes\.L21' 'HKLM\Software\Classes\L21file'; do
  "$wine" reg delete "$key" /f >/dev/null 2>&1
done
QT_QPA_PLATFORM=offscreen "$wine" 'C:\Hestavo\hestavo.exe' >"$d/program.log" 2>&1 &
program=$!
for _ in $(seq 1 120); do
  [ -f "$app/Data/Cereri.dbf" ] && [ -f "$app/Data/Oameni.dbf" ] && break
  sleep 1
done
sleep 2
# A second start while the first runs ends at once, leaving the first alone.
QT_QPA_PLATFORM=offscreen timeout 60 "$wine" 'C:\Hestavo\hestavo.exe' >"$d/second.log" 2>&1
second=$?
kill -0 "$program" 2>/dev/null || fail "the first program ended when a second one started: $(cat "$d/program.log")"
kill "$program" 2>/dev/null
"${wine%/*}/wineserver" -k 2>/dev/null
[ "$second" -eq 0 ] || fail "a second start did not end by itself (status $second)"
for t in Cereri.dbf Oameni.dbf; do
  [ -f "$app/Data/$t" ] || fail "the program did not lay out $t: $(ls "$app/Data") $(cat "$d/program.log")"
done
$python -c "import dbfread,sys; [list(dbfread.DBF(p)) for p in sys.argv[1:]]" "$app/Data/Cereri.dbf" "$app/Data/Oameni.dbf" \
  || fail "the tables laid out on Windows do not read"
# The archive type is the clerk's own (no administrator rights needed), and
# its command quotes the program's path.
"$wine" reg query 'HKCU\Software\Classes\.L21' >"$d/reg" 2>&1
grep -q 'L21file' "$d/reg" || fail "the .L21 type is not among the user's classes: $(cat "$d/reg")"
"$wine" reg query 'HKCU\Software\Classes\L21file\shell\open\command' >"$d/reg" 2>&1
grep -q '"C:\\Hestavo\\hestavo.exe" "%1"' "$d/reg" || fail "the open command is not quoted: $(cat "$d/reg")"

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

step "where the computer's settings go when the Windows folder is closed to the clerk"
# The Windows folder (and Program Files) are not writable for a clerk without
# administrator rights; Wine lets everyone write, so the Windows folder is
# named, for this run, as a folder below a file, where nothing can be written.
touch "$d/not-a-folder"
HESTAVO_SYSTEM_DIR="$(winpath "$d/not-a-folder")\\Windows" win network connect "$(winpath "$linux/Data")" >"$d/connect" 2>&1 \
  || fail "network connect: $(cat "$d/connect")"
shared="$drive_c/ProgramData/Hestavo/Hestavo.ini"
grep -qi 'SERVER' "$shared" 2>/dev/null || fail "the computer's settings are not in C:\\ProgramData\\Hestavo: $(find "$drive_c" -iname hestavo.ini)"
rm -rf "$drive_c/ProgramData/Hestavo"

step "a document held open as Word holds it"
lin --month "$month" reports --from 1 --to 5 --out "$d/referate.rtf" >/dev/null 2>&1 || fail "Linux reports"
cp "$d/referate.rtf" "$d/held.rtf"
"$wine" "$winbuild/hold-file.exe" "$(winpath "$d/held.rtf")" 30 >"$d/hold" 2>&1 &
for _ in $(seq 1 30); do grep -q held "$d/hold" && break; sleep 1; done
grep -q held "$d/hold" || fail "the document could not be held"
win --month "$month" reports --from 1 --to 5 --out "$(winpath "$d/held.rtf")" >"$d/held.out" 2>"$d/held.err"
[ $? -ne 0 ] || fail "writing over a document held by another program was reported as done"
[ -s "$d/held.err" ] || fail "no reason given for the held document"
cmp -s "$d/held.rtf" "$d/referate.rtf" || fail "the held document was changed"
"${wine%/*}/wineserver" -k 2>/dev/null

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
