#!/bin/sh
# Every workbook hestavo-cli writes for a demo month, printed as LibreOffice
# prints it (PDF, read back by pdftotext): no column too narrow for its values
# ("###"), and the dates each one should carry are there to read.
# Arguments: hestavo-cli, hestavo-demo-db, python3. Optional fourth argument:
# a folder that keeps the outputs and their PDFs (for looking at the pages).
set -u
cli=$1 demo=$2 python=$3 keep=${4:-}
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Output paths hold spaces (supplier names): split lists at line ends only.
IFS='
'
run() { "$cli" --program-dir "$d" --month 11.2024 "$@" >"$d/stdout" 2>"$d/err" || fail "$*: $(cat "$d/err")"; }

"$demo" "$d/Data" --households 300 --months 1 --first-month 11.2024 --seed 5 >/dev/null || fail "demo database"
# Postal codes of every locality (the E.ON report needs them).
"$python" - "$d" <<'PY' || fail "postal codes"
import sys, dbfread
d = sys.argv[1]
names = sorted({r['LOCALIT'].strip() for r in dbfread.DBF(d + '/Data/Cereri.dbf', encoding='cp1250') if r['LOCALIT'].strip()})
with open(d + '/Data/Hestavo.set', 'a', encoding='cp1250', newline='') as f:
    f.write('[CODURIP]\r\n' + ''.join('%s=%d\r\n' % (n, 600100 + i) for i, n in enumerate(names)))
PY

# The widest values the table holds in the first aided application of the
# month (amounts of seven digits, the longest address), so the printed pages
# show whether every column is wide enough for anything it can receive.
"$python" - "$d/Data/Cereri.dbf" <<'PY' || fail "widening the first application"
import sys, dbf
t = dbf.Table(sys.argv[1], codepage='cp1250')
t.open(dbf.READ_WRITE)
for r in t:
    if r.lunacrt == 2024 * 12 + 10 and r.statut.strip() == 'APROBAT' and r.cuajut.strip() == 'X':
        with r:
            for f in ('TVENIT', 'VENITM', 'CUANTUM', 'TOTAL', 'SUMAL', 'SUMAG', 'SUMAE', 'SUMAT'):
                setattr(r, f.lower(), 9999999.99)
            r.adresa = ('Str. Aleea Trandafirilor Înfloriţi nr. 127A, bl. C12, sc. B, et. 10, ap. 245, '
                        'cartier Bărăţiei Noi')[:t.field_info("adresa").length]
        break
t.close()
PY

o="$d/out"
mkdir -p "$o"
run number decisions --status aprobate --from 1 --to 100000 --first 1 --same-number --date 20.11.2024
run number decisions --status toate --from 1 --to 100000 --first 1 --same-number --date 20.11.2024
run payment-list --out "$o/stat.xls"
mkdir "$o/trez"
run treasury --date 05.03.2025 --out "$o/trez"
run decisions single --number 1 --date 01.12.2024 --period "noiembrie 2024 - martie 2025" --out "$o/unica.xls"
run ajpis --from 01.11.2024 --to 30.11.2024 --out "$o/ajpis"
run ajpis-county --payment-month 12.2024 --out "$o/county"
run suppliers ajpis --out "$o/furn"
run suppliers eon --supplier "E.ON ENERGIE ROMANIA SA" --out "$o/eon"
run suppliers cez --supplier "CEZ VANZARE SA" --siruta 20297 --out "$o/cez"
for kind in persons members control; do run list $kind --out "$o/list-$kind.xls"; done
"$cli" --program-dir "$d" --month 11.2024 check --out "$o/check.xls" >/dev/null 2>&1
[ -s "$o/check.xls" ] || fail "the month check wrote no workbook"
run add-annexes 15 --out "$o/anexa15-adunata.xls" $(find "$o/ajpis" "$o/furn" -name "Anexa15*.xls" | head -2)

books=$(find "$o" -name '*.xls' -o -name '*.xlsx' | sort)
[ "$(echo "$books" | wc -l)" -ge 15 ] || fail "too few workbooks: $books"
mkdir "$d/pdf"
# Numbered copies (names repeat across folders), printed by one LibreOffice start.
i=0
for b in $books; do
  i=$((i + 1))
  cp "$b" "$d/pdf/$i.${b##*.}" && echo "$b" >"$d/pdf/$i.source"
done
(cd "$d" && HOME="$d" soffice -env:UserInstallation=file://"$d"/lo --headless --convert-to pdf --outdir "$d/pdf" \
   $(find "$d/pdf" -name '*.xls*') >/dev/null 2>&1)
bad=""
for source in "$d"/pdf/*.source; do
  n=${source%.source}
  src=$(cat "$source")
  [ -s "$n.pdf" ] || fail "LibreOffice could not print $src"
  pdftotext -layout "$n.pdf" "$n.txt" || fail "pdftotext $src"
  grep -q '###' "$n.txt" && bad="$bad ${src#"$o"/}"
  if [ -n "$keep" ]; then mkdir -p "$keep" && cp "$n.pdf" "$keep/$(echo "${src#"$o"/}" | tr '/ ' '__').pdf"; fi
done
[ -z "$bad" ] || fail "columns printing ###:$bad"

# The dates each workbook should show, as pdftotext reads them.
"$python" - "$d" "$o" <<'PY' || fail "dates missing from the printed workbooks"
import sys, os, glob, re, dbfread
d, o = sys.argv[1], sys.argv[2]
texts = {}
for source in glob.glob(d + '/pdf/*.source'):
    src = open(source).read().strip()
    texts[os.path.relpath(src, o)] = open(source[:-len('.source')] + '.txt', encoding='utf-8').read()
rows = [r for r in dbfread.DBF(d + '/Data/Cereri.dbf', encoding='cp1250') if r['LUNACRT'] == 2024 * 12 + 10]
active = [r for r in rows if r['STATUT'].strip() in ('APROBAT', 'MODIFICAT')]
decided = sorted({r['DATADISP'].strftime('%d.%m.%Y') for r in active if r['DATADISP']})
assert decided == ['20.11.2024'], decided
def has(name, *wanted, count=1):
    assert name in texts, (name, sorted(texts))
    for w in wanted:
        n = texts[name].count(w)
        assert n >= count, (name, w, n, count)
# The payment list: the decision date on every row of its three sheets.
aided = [r for r in active if (r['TOTAL'] or 0) > 0]
wood = [r for r in active if (r['SUMAL'] or 0) > 0]
has('stat.xls', '20.11.2024', count=len(active) + len(aided) + len(wood))
has('unica.xls', 'DISPOZIȚIA nr. 1 din 20.11.2024', '01.12.2024')
for annex in ('Ajutor', 'Supliment'):
    has('trez/Lemne_Trezorerie/Anexa2_%s_Lemne.xls' % annex, 'ziua 05 luna 03 anul 2025')
# The monthly annexes list each holder with the decision "number/date": as
# many decision dates as holders' CNPs on the printed pages.
lists = [n for n in texts if re.search(r'(?i)anexa_?1[3-7]|stat\.xls|adunata', n)]
assert len(lists) >= 12, lists
for name in lists:
    holders = len(re.findall(r'\b[1-8]\d{12}\b', texts[name]))
    dates = texts[name].count('20.11.2024')
    assert holders > 0 and dates == holders, (name, holders, dates)
print(len(texts), 'workbooks printed')
PY
echo ok
