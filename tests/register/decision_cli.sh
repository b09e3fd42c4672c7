#!/bin/sh
# The numbering and decision commands of hestavo-cli on a small demo database:
# decision numbers follow the application numbers, a refused interval changes
# no byte, and the decisions and reports documents are written.
# Arguments: hestavo-cli, hestavo-demo-db, python3.
set -u
cli=$1 demo=$2 python=$3
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$demo" "$d/Data" --households 60 --months 2 --seed 3 >/dev/null || fail "demo database"
cp "$d/Data/Cereri.dbf" "$d/before"
"$cli" --program-dir "$d" --month 11.2024 number decisions --from 5 --to 3 --first 1 >"$d/out" 2>"$d/err"
[ $? -eq 1 ] || fail "a reversed interval must exit 1"
grep -q "Intervalul ales este incorect!" "$d/err" || fail "refusal: $(cat "$d/err")"
cmp -s "$d/Data/Cereri.dbf" "$d/before" || fail "Cereri changed by a refused numbering"

"$cli" --program-dir "$d" --month 11.2024 number decisions --from 1 --to 100000 --first 100 --date 28.11.2024 \
    >"$d/out" 2>"$d/err" || fail "numbering: $(cat "$d/err")"
"$python" -c "
import sys, dbfread
rows = [r for r in dbfread.DBF(sys.argv[1] + '/Cereri.dbf', encoding='cp1250') if int(r['LUNACRT']) == 2024 * 12 + 10]
rows.sort(key=lambda r: int(r['NR_CERE']))
got = [int(r['NR_DISP']) for r in rows]
assert got == list(range(100, 100 + len(rows))), got
assert all(str(r['DATADISP']) == '2024-11-28' for r in rows)
" "$d/Data" || fail "decision numbers read back by dbfread"

"$cli" --program-dir "$d" --month 11.2024 decisions APROBAT --from 100 --to 1000 --out "$d/d.rtf" >"$d/out" 2>"$d/err" \
    || fail "decisions: $(cat "$d/err")"
grep -q "^dispozitii: [1-9]" "$d/out" || fail "decision count: $(cat "$d/out")"
[ -s "$d/d.rtf" ] || fail "no decisions document"
"$cli" --program-dir "$d" --month 11.2024 number reports --same-as-application >"$d/out" 2>"$d/err" || fail "reports numbering"
"$cli" --program-dir "$d" --month 11.2024 reports --from 1 --to 100000 --out "$d/r.rtf" >"$d/out" 2>"$d/err" \
    || fail "reports: $(cat "$d/err")"
grep -q "^referate: [1-9]" "$d/out" || fail "report count: $(cat "$d/out")"
"$cli" --program-dir "$d" --month 11.2024 decisions RESPINS --from 90000 --to 90001 --out "$d/x.rtf" >"$d/out" 2>"$d/err"
[ $? -eq 1 ] || fail "no decision in the interval must exit 1"
[ ! -e "$d/x.rtf" ] || fail "an empty document was written"
echo ok
