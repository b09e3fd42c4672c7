#!/bin/sh
# The single cumulative decision through hestavo-cli on a demo database: the
# workbook read by xlrd against the table read by dbfread (one annex row per
# application, the totals, the counts in the decision's text), the dialog's
# texts kept for the next run, and the refusals that write no file.
# Arguments: hestavo-cli, hestavo-demo-db, python3.
set -u
cli=$1 demo=$2 python=$3
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { "$cli" --program-dir "$d" --month 11.2024 "$@" >"$d/out" 2>"$d/err"; }

"$demo" "$d/Data" --households 300 --months 1 --seed 5 >/dev/null || fail "demo database"
run number decisions --status aprobate --from 1 --to 100000 --first 42 --date 20.11.2024 \
    || fail "numbering: $(cat "$d/err")"
run decisions single --number 42 --date 01.12.2024 --period "noiembrie 2024 - martie 2025" \
    --payment-date "15 ale lunii" --tribunal ALBA --out "$d/u.xls" || fail "single decision: $(cat "$d/err")"
grep -q "^anexa 1: [1-9]" "$d/out" || fail "annex 1 count: $(cat "$d/out")"

"$python" - "$d/Data/Cereri.dbf" "$d/u.xls" "$(sed -n 's/^anexa 1: //p' "$d/out")" <<'PY' || fail "workbook against the table"
import sys, dbfread, xlrd
table, xls, printed = sys.argv[1], sys.argv[2], int(sys.argv[3])

def decided(r):
    try:
        return r['LUNACRT'] == 2024 * 12 + 10 and float(r['NR_DISP'] or 0) == 42 and r['STATUT'] == 'APROBAT'
    except ValueError:
        return False

rows = [r for r in dbfread.DBF(table, encoding='cp1250') if decided(r)]
annex1 = [r for r in rows if r['CUMODIF'] != 'X' and r['CUAJUT'] == 'X']
annex2 = [r for r in rows if sum(float(r[c] or 0) for c in ('SUMAL', 'SUMAG', 'SUMAE', 'SUMAT')) > 0]
assert printed == len(annex1) > 0, (printed, len(annex1))
book = xlrd.open_workbook(xls)
of = lambda n: '%d de' % n if n % 100 == 0 or n % 100 >= 20 else '%d' % n   # "20 de familii"
decision = '\n'.join(str(v) for r in range(book.sheet_by_index(0).nrows) for v in book.sheet_by_index(0).row_values(r))
numbers = [int(r['NR_CERE']) for r in annex1]
for text in ('DISPOZIȚIA nr. 42 din 20.11.2024', 'în număr de %d, înregistrate cu nr. %d - %d;' % (len(annex1), min(numbers), max(numbers)),
             'pentru %s familii și persoane singure' % of(len(annex1)), 'cel mult %d luni' % max(int(r['NR_LUNI']) for r in annex1),
             'suplimentul pentru energie pentru %s familii și persoane singure' % of(len(annex2)), 'la data de 15 ale lunii.',
             'Tribunalul ALBA.', 'începând cu data de 01.12.2024'):
    assert text in decision, text

def annex(sheet, expected, columns, totaled):
    s = book.sheet_by_index(sheet)
    got = []
    r = 7
    while s.cell_value(r, 0) != 'TOTAL':
        values = s.row_values(r)
        assert values[0] == r - 6, ('running number', values)
        got.append((values[2], values[1]) + tuple(float(values[5 + i] or 0) for i in range(len(columns))))
        r += 1
    want = [(e['CNP'], e['TITULAR']) + tuple(float(e[c] or 0) for c in columns) for e in expected]
    assert sorted(got) == sorted(want), (sheet, len(got), len(want))
    totals = s.row_values(r)
    for i in totaled:
        assert abs(float(totals[5 + i] or 0) - sum(w[2 + i] for w in want)) < 0.005, (sheet, columns[i], totals)
    return s, r

s, total = annex(1, annex1, ('CUANTUM', 'NR_LUNI'), (0,))
for r in range(7, total):
    assert s.cell_value(r, 7) == s.cell_value(r, 5) * s.cell_value(r, 6), ('row total', r)
assert abs(s.cell_value(total, 7) - sum(float(e['CUANTUM']) * int(e['NR_LUNI']) for e in annex1)) < 0.005
annex(2, annex2, ('SUMAL', 'SUMAG', 'SUMAE', 'SUMAT'), (0, 1, 2, 3))
PY

# The texts given last time are the choices of the next run.
run decisions single --number 42 --out "$d/v.xls" || fail "second run: $(cat "$d/err")"
"$python" -c "
import sys, xlrd
s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
text = ' '.join(str(v) for r in range(s.nrows) for v in s.row_values(r))
assert 'Tribunalul ALBA.' in text and 'la data de 15 ale lunii.' in text, text
" "$d/v.xls" || fail "the stored texts were not used"

run decisions single --number 999999 --out "$d/x.xls"
[ $? -eq 1 ] || fail "a number without approvals must exit 1"
grep -q "Nu exista Dipozitia Aprobata cu nr.999999 !" "$d/err" || fail "refusal: $(cat "$d/err")"
run decisions single --number 0 --out "$d/x.xls"
[ $? -eq 1 ] || fail "number 0 must exit 1"
grep -q "De emotie, ati uitat sa scrieti numarul de Dispozitie de listat!" "$d/err" || fail "refusal: $(cat "$d/err")"
: >"$d/.~lock.x.xls#"
run decisions single --number 42 --out "$d/x.xls"
[ $? -eq 1 ] || fail "an output held open must exit 1"
grep -q "Nu pot scrie pe harddisk!" "$d/err" || fail "refusal: $(cat "$d/err")"
[ ! -e "$d/x.xls" ] || fail "a refused decision wrote a file"
echo ok
