#!/bin/sh
# hestavo-cli's supplier reports on a demo database: the refusals (a folder
# that is not empty, a missing postal code named by its locality, a SIRUTA code
# too short), then every file written, whose printed row count and total equal
# both what an independent dBase reader computes from the tables and what
# xlrd (.xls) or python's zip and XML readers (.xlsx) read back from the file.
# Arguments: hestavo-cli, hestavo-demo-db, python3.
set -u
cli=$1 demo=$2 python=$3
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { "$cli" --program-dir "$d" --month 11.2024 suppliers "$@"; }

"$demo" "$d/Data" --households 400 --months 1 --seed 5 >/dev/null || fail "demo database"
printf '[SETARI]\nPRIMARIA=Comuna Demo\nJUDET=BACAU\nCODJUD=04\nSIRUES=4562443\nPRIMAR=ION POP\nCu1=320\n' >"$d/Data/Hestavo.set"

mkdir "$d/full" && touch "$d/full/earlier.txt"
run ajpis --out "$d/full" >/dev/null 2>"$d/err" && fail "a folder that is not empty was accepted"
grep -q "nu este gol" "$d/err" || fail "refusal of the full folder: $(cat "$d/err")"

run eon --supplier "E.ON ENERGIE ROMANIA SA" --out "$d/eon" >/dev/null 2>"$d/err" && fail "missing postal codes accepted"
grep -q "Nu ati scris Codul postal pentru localitatea " "$d/err" || fail "postal code refusal: $(cat "$d/err")"
[ -e "$d/eon" ] && fail "the refused report created its folder"

run cez --supplier "CEZ VANZARE SA" --siruta 0 --out "$d/cez" >/dev/null 2>"$d/err" && fail "SIRUTA 0 accepted"
grep -q "Nu ati scris SIRUTA!" "$d/err" || fail "SIRUTA refusal: $(cat "$d/err")"

# Postal codes for every locality of the month, as the E-ON dialog stores them.
"$python" - "$d" <<'PY' || fail "postal codes"
import sys, dbfread
d = sys.argv[1]
names = sorted({r['LOCALIT'].strip() for r in dbfread.DBF(d + '/Data/Cereri.dbf', encoding='cp1250')
                if int(r['LUNACRT'] or 0) == 2024 * 12 + 10 and r['LOCALIT'].strip()})
with open(d + '/Data/Hestavo.set', 'a') as f:
    f.write('[CODURIP]\n' + ''.join('%s=%d\n' % (n, 600100 + i) for i, n in enumerate(names)))
PY

run ajpis --out "$d/ajpis" >"$d/ajpis.txt" 2>"$d/err" || fail "ajpis: $(cat "$d/err")"
run eon --supplier "E.ON ENERGIE ROMANIA SA" --out "$d/eon" >"$d/eon.txt" 2>"$d/err" || fail "eon: $(cat "$d/err")"
run cez --supplier "CEZ VANZARE SA" --siruta 20297 --out "$d/cez" >"$d/cez.txt" 2>"$d/err" || fail "cez: $(cat "$d/err")"
grep -q "^SIRUTA=20297" "$d/Data/Hestavo.set" || fail "SIRUTA not stored"

"$python" - "$d" <<'PY' || fail "files differ"
import sys, os, zipfile, xlrd, dbfread, xml.etree.ElementTree as ET
d = sys.argv[1]
rows = [r for r in dbfread.DBF(d + '/Data/Cereri.dbf', encoding='cp1250')
        if int(r['LUNACRT'] or 0) == 2024 * 12 + 10 and r['STATUT'].strip() in ('APROBAT', 'MODIFICAT')]

def printed(name):
    out = {}
    for line in open(d + '/' + name, encoding='utf-8').read().splitlines():
        f, n, t = line.split('; ')
        out[f[len('fisier: '):]] = (int(n[len('randuri: '):]), float(t[len('total: '):]))
    return out

def expected(supplier, amount, name=None):
    got = {}
    for r in rows:
        if (r[amount] or 0) > 0 and (name is None or r[supplier].strip() == name):
            n, t = got.get(r[supplier].strip(), (0, 0.0))
            got[r[supplier].strip()] = (n + 1, t + float(r[amount]))
    return got

def same(a, b, what):
    assert a[0] == b[0] and abs(a[1] - b[1]) < 0.005, (what, a, b)

def annex(path):
    s = xlrd.open_workbook(path).sheet_by_index(0)
    end = next(r for r in range(9, s.nrows) if s.cell_value(r, 0) == 'TOTAL')
    data = range(9, end)
    assert [s.cell_value(r, 0) for r in data] == list(range(1, len(data) + 1)), path
    return len(data), sum(s.cell_value(r, 9) for r in data)

out = printed('ajpis.txt')
want = {}
for supplier, amount, file in (('FURNE', 'SUMAE', 'Anexa16.xls'), ('FURNG', 'SUMAG', 'Anexa15.xls')):
    for name, value in expected(supplier, amount).items():
        want[name + '/' + file] = value
assert sorted(out) == sorted(want), (sorted(out), sorted(want))
for f, value in want.items():
    same(out[f], value, f)
    same(annex(d + '/ajpis/' + f), value, f + ' read back')

m = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
def xlsx(path):
    z = zipfile.ZipFile(path)
    sheet = ET.fromstring(z.read('xl/worksheets/sheet1.xml'))
    amounts = [float(c.find(m + 'v').text) for c in sheet.iter(m + 'c')
               if c.get('r').startswith('D') and c.get('r') != 'D1']
    return len(amounts), sum(amounts)
out = printed('eon.txt')
eon = 'E.ON ENERGIE ROMANIA SA'
for file, supplier, amount in (('Suplimente_Electrica.xlsx', 'FURNE', 'SUMAE'), ('Suplimente_Gaz.xlsx', 'FURNG', 'SUMAG')):
    value = expected(supplier, amount, eon).get(eon, (0, 0.0))
    same(out[file], value, file)
    same(xlsx(d + '/eon/' + file), value, file + ' read back')

out = printed('cez.txt')
value = expected('FURNE', 'SUMAE', 'CEZ VANZARE SA')['CEZ VANZARE SA']
assert list(out) == ['S_EE_04_20297_11_2024.xls'], out
same(out['S_EE_04_20297_11_2024.xls'], value, 'cez')
s = xlrd.open_workbook(d + '/cez/S_EE_04_20297_11_2024.xls').sheet_by_index(0)
same((s.nrows - 1, sum(s.cell_value(r, 14) for r in range(1, s.nrows))), value, 'cez read back')
print(len(rows), len(want), value)
PY
