#!/bin/sh
# hestavo-cli ajpis-county on a demo database: the refusals (a folder that is
# not empty, a payment year outside 2010 .. this year) leave nothing behind;
# a run into a missing folder creates it, and the files it prints, their row
# counts and totals equal what the independent checker (csv module, xlrd)
# reads back and what dbfread computes from the tables; LibreOffice shows the
# same total in Annex 13's TOTAL row; a damaged template fails cleanly.
# Arguments: hestavo-cli, hestavo-demo-db, python3, CountyCheck.py.
set -u
cli=$1 demo=$2 python=$3 checker=$4
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$demo" "$d/Data" --households 400 --months 1 --seed 7 >/dev/null || fail "demo database"
printf '[SETARI]\nPRIMARIA=Comuna Demo\nJUDET=BACAU\nCODJUD=BC\nSIRUES=4562443\nPRIMAR=Ion Popa\nCu1=320\n' >"$d/Data/Hestavo.set"
run() { "$cli" --program-dir "$d" --month 11.2024 ajpis-county "$@" >"$d/stdout" 2>"$d/stderr"; }

mkdir "$d/full" && touch "$d/full/earlier.txt"
run --payment-month 12.2024 --out "$d/full" && fail "a folder that is not empty was accepted"
grep -q "nu este gol" "$d/stderr" || fail "not-empty message: $(cat "$d/stderr")"
[ "$(ls "$d/full")" = "earlier.txt" ] || fail "the full folder changed"

next=$(( $(date +%Y) + 1 ))
for month in 12.2009 "01.$next"; do
  run --payment-month "$month" --out "$d/refused" && fail "year of $month accepted"
  grep -q "An incorect!" "$d/stderr" || fail "year message for $month: $(cat "$d/stderr")"
  [ -e "$d/refused" ] && fail "a refused run created its folder"
done

run --payment-month 12.2024 --out "$d/new/out" || fail "ajpis-county: $(cat "$d/stderr")"
"$python" "$checker" "$d/new/out" >"$d/checked" || fail "checker"

"$python" - "$d" <<'PY' || fail "counts differ"
import sys, re, dbfread
from decimal import Decimal
d = sys.argv[1]
serial = 2024 * 12 + 10
rows = [r for r in dbfread.DBF(d + '/Data/Cereri.dbf', encoding='cp1250')
        if int(r['LUNACRT'] or 0) == serial and (r['STATUT'] or '').strip() in ('APROBAT', 'MODIFICAT')]
amount = {13: ('TOTAL', 'CUANTUM'), 14: ('SUMAT', 'SUMAT'), 15: ('SUMAG', 'SUMAG'), 16: ('SUMAE', 'SUMAE'), 17: ('SUMAL', 'SUMAL')}
want = {}
for annex, (cond, col) in amount.items():
    chosen = [r for r in rows if (r[cond] or 0) > 0]
    if chosen:
        total = sum(Decimal(repr(float(r[col] or 0))).quantize(Decimal('0.01')) for r in chosen)
        want[annex] = '%d %d %s' % (annex, len(chosen), total)
checked = dict((int(l.split()[0]), l) for l in open(d + '/checked').read().split('\n') if l)
assert checked == want, (checked, want)
printed = {}
empty = set()
for line in open(d + '/stdout').read().split('\n'):
    m = re.match(r'fisier: (.*ANEXA_(\d+)_COMUNADEMO_DECEMBRIE_2024\.(xls|csv)): (\d+) randuri, total (\S+)$', line)
    if m:
        printed.setdefault(int(m.group(2)), []).append((m.group(3), '%s %s %s' % (m.group(2), m.group(4), m.group(5))))
        if m.group(3) == 'csv':
            assert m.group(1).startswith(d + '/new/out/Comuna Demo AJUTOARE INCALZIRE DECEMBRIE 2024/'), line
        else:
            assert m.group(1).startswith(d + '/new/out/ANEXA_'), line
    elif line.startswith('fara date: Anexa '):
        empty.add(int(line.split()[-1]))
    else:
        assert line == '', line
assert {a: [w for k, w in v] for a, v in printed.items()} == {a: [w, w] for a, w in want.items()}, printed
assert empty == set(amount) - set(want), empty
assert len(want) >= 4, want
print(' | '.join(want[a] for a in sorted(want)))
PY
# LibreOffice opens Annex 13 and shows, in its TOTAL row, the sum the checker read.
if command -v soffice >/dev/null; then
  mkdir "$d/lo" && cp "$d/new/out/ANEXA_13_COMUNADEMO_DECEMBRIE_2024.xls" "$d/lo/a13.xls"
  (cd "$d/lo" && soffice -env:UserInstallation="file://$d/lo/profile" --headless --convert-to csv a13.xls \
     >/dev/null 2>&1) || fail "LibreOffice"
  "$python" - "$d" <<'PY' || fail "LibreOffice total"
import csv, sys
from decimal import Decimal
d = sys.argv[1]
want = [l.split()[2] for l in open(d + '/checked') if l.startswith('13 ')][0]
rows = [r for r in csv.reader(open(d + '/lo/a13.csv', encoding='utf-8', errors='replace')) if 'TOTAL' in r]
assert len(rows) == 1, rows
shown = [c for c in rows[0] if c.strip()][-1].replace(',', '')
assert Decimal(shown) == Decimal(want), (shown, want)
PY
fi

# A damaged template half-way: the command fails with its name and leaves
# neither files nor the folder it created.
cp "$d/Data/Anexa16.xls" "$d/Anexa16.bak"
head -c 4096 /dev/zero | tr '\0' x >"$d/Data/Anexa16.xls"
run --payment-month 12.2024 --out "$d/broken" && fail "a damaged template was accepted"
grep -q "Anexa16.xls" "$d/stderr" || fail "damaged template message: $(cat "$d/stderr")"
[ -e "$d/broken" ] && fail "a failed run left its folder: $(find "$d/broken")"
cp "$d/Anexa16.bak" "$d/Data/Anexa16.xls"
echo ok
