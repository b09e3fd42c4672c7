#!/bin/sh
# The payment commands of hestavo-cli on a demo database: refused without the
# town hall's settings and for an empty month; the treasury report's files
# and the payment list agree with sums an independent dBase reader computes
# over the month; the payment list prints without "###".
# Arguments: hestavo-cli, hestavo-demo-db, python3.
set -u
cli=$1 demo=$2 python=$3
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$demo" "$d/Data" --households 300 --months 1 --first-month 11.2024 --seed 5 >/dev/null || fail "demo database"
mkdir "$d/out"
# The demo database comes with a complete town hall (given the county code and
# fiscal code the file names below carry); take its name away first.
sed -e 's/^CODJUD=[^\r]*/CODJUD=1/' -e 's/^SIRUES=[^\r]*/SIRUES=1234567890/' "$d/Data/Hestavo.set" >"$d/complete.set"
sed 's/^PRIMARIA=[^\r]*/PRIMARIA=/' "$d/complete.set" >"$d/Data/Hestavo.set"

"$cli" --program-dir "$d" --month 11.2024 treasury --date 05.03.2025 --out "$d/out" >"$d/stdout" 2>"$d/err"
[ $? -eq 1 ] || fail "treasury without settings must exit 1"
[ -z "$(ls "$d/out")" ] || fail "a refused report wrote files"

cp "$d/complete.set" "$d/Data/Hestavo.set"

"$cli" --program-dir "$d" --month 01.2030 treasury --date 05.03.2025 --out "$d/out" >"$d/stdout" 2>"$d/err"
[ $? -eq 1 ] && grep -q "Nu exista sume de plata" "$d/err" || fail "empty month: $(cat "$d/err")"

"$cli" --program-dir "$d" --month 11.2024 treasury --date 05.03.2025 --out "$d/out" >"$d/stdout" 2>"$d/err" \
  || fail "treasury: $(cat "$d/err")"
"$cli" --program-dir "$d" --month 11.2024 payment-list --out "$d/stat.xls" >"$d/list" 2>"$d/err" \
  || fail "payment-list: $(cat "$d/err")"

"$python" - "$d" <<'PY' || fail "outputs disagree with the month"
import sys, re, dbfread, xlrd
d = sys.argv[1]
month = 2024 * 12 + 10
rows = [r for r in dbfread.DBF(d + '/Data/Cereri.dbf', encoding='cp1250')
        if r['LUNACRT'] == month and (r['STATUT'] or '').strip() in ('APROBAT', 'MODIFICAT')]
want = {}
for code, col in (('073', 'TOTAL'), ('074', 'SUMAL')):
    v = [round((r[col] or 0) * 100) for r in rows if (r[col] or 0) > 0]
    want[code] = (len(v), sum(v))
assert want['073'][0] > 0 and want['074'][0] > 0, want
out = open(d + '/stdout').read()
def printed(name):
    m = re.search(re.escape(name) + r': (\d+) inregistrari, total (\d+)\.(\d\d)', out)
    assert m, (name, out)
    return int(m.group(1)), int(m.group(2)) * 100 + int(m.group(3))
folder = d + '/out/Lemne_Trezorerie/'
dbf = dbfread.DBF(folder + '011234567890_05-03-2025.dbf', encoding='cp1252')
assert (dbf.header.dbversion, dbf.header.headerlen, dbf.header.recordlen) == (0x30, 584, 117)
for code, annex in (('073', 'Ajutor'), ('074', 'Supliment')):
    v = [round(r['SUMA'] * 100) for r in dbf if r['CODAJUT'] == code]
    assert (len(v), sum(v)) == want[code], (code, len(v), sum(v), want[code])
    assert printed('Anexa2_%s_Lemne.xls' % annex) == want[code]
    assert printed('Anexa3_%s_Lemne.rtf' % annex) == want[code]
    s = xlrd.open_workbook(folder + 'Anexa2_%s_Lemne.xls' % annex).sheet_by_index(0)
    data = [r for r in range(9, s.nrows) if isinstance(s.cell_value(r, 0), float)]
    assert (len(data), sum(round(s.cell_value(r, 4) * 100) for r in data)) == want[code], annex
total = (want['073'][0] + want['074'][0], want['073'][1] + want['074'][1])
assert printed('011234567890_05-03-2025.dbf') == total
summary = open(folder + 'StatTo_011234567890_05-03-2025.txt', encoding='cp1250', newline='').read().split('\r\n')
assert summary[10].split() == ['Total:', str(total[0]), '%d.%02d' % divmod(total[1], 100)], summary[10]
book = xlrd.open_workbook(d + '/stat.xls')
listed = [len([r for r in range(9, s.nrows) if isinstance(s.cell_value(r, 0), float)]) for s in book.sheets()]
assert listed == [len(rows), want['073'][0], want['074'][0]], listed
PY

# The payment list as it prints: no column too narrow for its values ("###"),
# every decision date of the first sheet readable.
(cd "$d" && HOME="$d" soffice -env:UserInstallation=file://"$d"/lo --headless --convert-to pdf stat.xls >/dev/null 2>&1) \
  || fail "LibreOffice could not print the payment list"
pdftotext -layout "$d/stat.pdf" "$d/stat.txt" || fail "pdftotext"
! grep -q '###' "$d/stat.txt" || fail "a column prints ###: $(grep -m3 '###' "$d/stat.txt")"
grep -Eq '[0-9]{2}\.[0-9]{2}\.20[0-9]{2}' "$d/stat.txt" || fail "no decision date on the printed list"
echo ok
