#!/bin/sh
# The export commands of hestavo-cli on a demo database: the ANPIS file and
# the F2201 files are valid against their schemas, and the counts they print
# (and hold) equal what an independent dBase reader computes from the tables.
# Arguments: hestavo-cli, hestavo-demo-db, python3, schema folder.
set -u
cli=$1 demo=$2 python=$3 schemas=$4
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$demo" "$d/Data" --households 700 --months 1 --seed 11 >/dev/null || fail "demo database"
printf '[SETARI]\nPRIMARIA=Comuna Demo\nJUDET=ALBA\nSIRUES=4562443\nCu1=320\n' >"$d/Data/Hestavo.set"
mkdir "$d/out"

"$cli" --program-dir "$d" --month 11.2024 anpis --out "$d/out" >"$d/anpis" 2>"$d/err" || fail "anpis: $(cat "$d/err")"
xml="$d/out/Date_4562443v2.xml"
xmllint --noout --schema "$schemas/anpis.xsd" "$xml" 2>"$d/err" || fail "anpis schema: $(head -5 "$d/err")"

"$cli" --program-dir "$d" --month 11.2024 f2201 --out "$d/out" >"$d/f2201" 2>"$d/err" || fail "f2201: $(cat "$d/err")"
for f in "$d"/out/F2201_*.xml; do
  xmllint --noout --schema "$schemas/f2201.xsd" "$f" 2>"$d/err" || fail "f2201 schema: $(head -5 "$d/err")"
done

"$python" - "$d" <<'PY' || fail "counts differ"
import sys, glob, datetime, dbfread, xml.etree.ElementTree as ET
d = sys.argv[1]
serial = 2024 * 12 + 10
cereri = [r for r in dbfread.DBF(d + '/Data/Cereri.dbf', encoding='cp1250') if int(r['LUNACRT'] or 0) == serial]
oameni = list(dbfread.DBF(d + '/Data/Oameni.dbf', encoding='cp1250'))
printed = lambda name: dict(l.split(': ', 1) for l in open(d + '/' + name, encoding='utf-8').read().splitlines()
                            if not l.startswith('fisier: '))

aided = {int(r['NRCRT']) for r in cereri if (r['TOTAL'] or 0) > 0}
members = sum(1 for m in oameni if int(m['NRCRT']) in aided)
root = ET.parse(d + '/out/Date_4562443v2.xml').getroot()
got = (int(root.get('nrCereri')), len(root.findall('cereri')), len(root.findall('./cereri/persoane/persoaneM')))
want = (len(aided), len(aided), members)
out = printed('anpis')
assert got == want, ('anpis file', got, want)
assert (int(out['cereri']), int(out['persoane'])) == want[1:], ('anpis printed', out, want)

def born(cnp):
    if len(cnp) <= 6 or not cnp[1:7].isdigit():
        return datetime.date(1899, 12, 30)
    y = (2000 if cnp[0] in '56' else 1900) + int(cnp[1:3])
    try:
        return datetime.date(y, int(cnp[3:5]), int(cnp[5:7]))
    except ValueError:
        return datetime.date(1900, 1, 1)
today = datetime.date.today()
try:
    limit = today.replace(year=today.year - 18)
except ValueError:
    limit = today.replace(year=today.year - 18, day=28)
active = {int(r['NRCRT']): r for r in cereri if r['STATUT'].strip() in ('APROBAT', 'MODIFICAT')}
people = {(r['TITULAR'].strip()[:32], r['CNP'].strip()) for r in active.values()}
people |= {(m['TITULAR'].strip()[:32], m['CNP'].strip()) for m in oameni if int(m['NRCRT']) in active}
adults = sorted(c for n, c in people if born(c) < limit)
ns = '{mfp:anaf:dgti:primarii:formulare:v1}'
files = sorted(glob.glob(d + '/out/F2201_*.xml'))
written = sorted(p.get('cif') for f in files for p in ET.parse(f).getroot().findall(ns + 'persoane'))
assert written == adults, ('f2201 adults', len(written), len(adults))
out = printed('f2201')
assert (int(out['persoane']), int(out['adulti']), int(out['fisiere'])) == (len(people), len(adults), len(files)), out
assert len(files) == (len(people) - 1) // 501 + 1 if len(people) >= 501 else len(files) == 1
print(len(aided), members, len(people), len(adults), len(files))
PY
for kind in persons members control; do
  "$cli" --program-dir "$d" --month 11.2024 list $kind --out "$d/out/$kind.xls" >/dev/null 2>"$d/err" || fail "list $kind: $(cat "$d/err")"
done
"$cli" --program-dir "$d" --month 11.2024 persons-dbf --out "$d/out/p.dbf" >"$d/dbf" 2>"$d/err" || fail "persons-dbf: $(cat "$d/err")"
"$python" - "$d" <<'PY' || fail "lists differ"
import sys, dbfread, xlrd
d = sys.argv[1]
serial = 2024 * 12 + 10
cereri = {int(r['NRCRT']): r for r in dbfread.DBF(d + '/Data/Cereri.dbf', encoding='cp1250') if int(r['LUNACRT'] or 0) == serial}
oameni = [m for m in dbfread.DBF(d + '/Data/Oameni.dbf', encoding='cp1250') if int(m['NRCRT']) in cereri]
active = lambda r: r['STATUT'].strip() in ('APROBAT', 'MODIFICAT')
def listed(name, first, column):
    s = xlrd.open_workbook(d + '/out/' + name).sheet_by_index(0)
    out = []
    for r in range(first - 1, s.nrows):
        if s.cell_value(r, 0) in ('', None) or not isinstance(s.cell_value(r, 0), float):
            break
        out.append(s.cell_value(r, column))
    return out
aided = sorted(m['CNP'].strip() for m in oameni if active(cereri[int(m['NRCRT'])]) and cereri[int(m['NRCRT'])]['CUAJUT'] == 'X')
assert sorted(listed('persons.xls', 6, 2)) == aided, 'persons list'
control = sorted((int(r['NR_CERE']), r['CNP'].strip()) for r in cereri.values() if active(r))
assert [c for n, c in control] == listed('control.xls', 7, 2), 'control list'
pairs = sum(max(1, sum(1 for m in oameni if int(m['NRCRT']) == k)) for k, r in cereri.items() if active(r))
assert len(listed('members.xls', 4, 3)) == pairs, 'members situation'
people = {(m['TITULAR'].strip(), m['CNP'].strip(), int(cereri[int(m['NRCRT'])]['NR_CERE'])) for m in oameni}
rows = [(r['NUME'].strip(), r['CNP'].strip(), int(r['NR_CERE'])) for r in dbfread.DBF(d + '/out/p.dbf', encoding='cp1250')]
assert sorted(rows) == sorted(people), ('persons dbf', len(rows), len(people))
print(len(aided), len(control), pairs, len(rows))
PY
echo ok
