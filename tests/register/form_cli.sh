#!/bin/sh
# The application documents' commands of hestavo-cli on a small demo
# database: a form is filled once into the data folder and afterwards only
# reported; the inquiry is added, deleted, and refused when gone; the
# verification sheet carries its period, and a reversed period writes nothing.
# Arguments: hestavo-cli, hestavo-demo-db, python3.
set -u
cli=$1 demo=$2 python=$3
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$demo" "$d/Data" --households 20 --months 1 --seed 5 >/dev/null || fail "demo database"
set -- $("$python" -c "
import sys, dbfread
r = next(iter(dbfread.DBF(sys.argv[1] + '/Cereri.dbf', encoding='cp1250')))
print(int(r['NRCRT']), r['CNP'], '%02d.%d' % (int(r['LUNACRT']) % 12 + 1, int(r['LUNACRT']) // 12))
" "$d/Data") || fail "reader"
key=$1 cnp=$2 month=$3
run() { "$cli" --program-dir "$d" --month "$month" "$@" >"$d/out" 2>"$d/err"; }

run form full --application "$key" --out "$d/c.rtf" || fail "form full: $(cat "$d/err")"
grep -q "^completat: da" "$d/out" || fail "first fill: $(cat "$d/out")"
[ -f "$d/Data/C$key.rtf" ] || fail "no C$key.rtf in the data folder"
grep -q "$cnp" "$d/c.rtf" || fail "the CNP is not on the form"
echo "{\\par EDITAT}" >>"$d/Data/C$key.rtf"
cp "$d/Data/C$key.rtf" "$d/edited"
run form full --application "$key" || fail "form again: $(cat "$d/err")"
grep -q "^completat: nu" "$d/out" || fail "second call refilled: $(cat "$d/out")"
cmp -s "$d/Data/C$key.rtf" "$d/edited" || fail "the edited form was written over"
run form short --application "$key" && [ -f "$d/Data/CS$key.rtf" ] || fail "form short: $(cat "$d/err")"
echo "deschis" >"$d/open.rtf" && touch "$d/.~lock.open.rtf#"
run form short --application "$key" --out "$d/open.rtf"
[ $? -eq 1 ] && [ "$(cat "$d/open.rtf")" = "deschis" ] || fail "a copy over a file open in LibreOffice: $(cat "$d/err")"

run inquiry add --application "$key" && [ -f "$d/Data/A$key.rtf" ] || fail "inquiry add: $(cat "$d/err")"
run inquiry delete --application "$key" && [ ! -e "$d/Data/A$key.rtf" ] || fail "inquiry delete: $(cat "$d/err")"
run inquiry delete --application "$key"
[ $? -eq 1 ] && grep -q "La aceasta Cerere nu aveti Ancheta!" "$d/err" || fail "delete of a missing inquiry: $(cat "$d/err")"

run sheet --application "$key" --from 02.11.2024 --to 01.11.2024 --out "$d/bad.rtf"
[ $? -eq 1 ] && grep -q "Interval incorect!" "$d/err" || fail "reversed period: $(cat "$d/err")"
[ ! -e "$d/bad.rtf" ] || fail "a sheet was written for a reversed period"
run sheet --application "$key" --from 01.11.2024 --to 30.11.2024 --out "$d/f.rtf" || fail "sheet: $(cat "$d/err")"
grep -q "01.11.2024 - 30.11.2024" "$d/f.rtf" || fail "the period is not on the sheet"
run sheet --application 999999 --out "$d/none.rtf"
[ $? -eq 1 ] && [ ! -e "$d/none.rtf" ] || fail "a sheet for a missing application"
echo ok
