#!/bin/sh
# "hestavo-cli import vmg|asf ARCHIVE" on a demo data folder, with archives of
# the related registers made by independent writers (python3-dbf for the
# tables, the reference archive writer): the counts it prints agree with what
# python3-dbfread reads before and after, a second import replaces the first,
# and a damaged archive is refused with "Arhiva este defecta!" changing no byte.
# Arguments: hestavo-cli, hestavo-demo-db, python3, the source folder.
set -u
cli=$1 demo=$2 python=$3 src=$4
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
month=12.2024 serial=24299 # 2024 * 12 + 12 - 1

"$demo" "$d/Data" --households 40 --months 2 --seed 5 >/dev/null || fail "demo database"

# Minimum-income register: 10 and 20 are active and heat with wood (3 and 2
# members), 30 heats with gas, 40 has ended.
cat >"$d/vmg.json" <<'JSON'
{"Cereri.dbf": {"fields": "IDCERERE N(10,0); CERENR N(10,0); CEREDATA D; STARE C(10); CALDURA C(1); NUME C(40); CNP C(13); LOCALIT C(40); STR C(40); STRNR C(10); BLOC C(10); SCARA C(5); ETAJ C(5); APART C(5); NRMEMBRI N(7,0); VENITP N(10,2); VENITV N(10,2); VENITA N(10,2); ASF C(1); STCIV C(2); SITSCOL C(2)",
  "rows": [[10, 1, "2024-10-01", "APROBATA", "L", "POP ION", "1800101123456", "DEJ", "Florilor", "12", "", "", "", "3", 3, 100, 50, 25, "", "CA", "NU"],
           [20, 2, "2024-10-02", "APROBATA", "L", "RUS ANA", "2800101123456", "DEJ", "", "5", "", "", "", "", 2, 10, 0, 0, "X", "NE", ""],
           [30, 3, "2024-10-03", "APROBATA", "G", "GAZ VASILE", "", "DEJ", "", "", "", "", "", "", 1, 0, 0, 0, "", "", ""],
           [40, 4, "2024-10-04", "INCETATA", "L", "STOP IOANA", "", "DEJ", "", "", "", "", "", "", 1, 0, 0, 0, "", "", ""]]},
 "Oameni.dbf": {"fields": "IDCERERE N(10,0); NUME C(40); CNPDATA C(13); CUANTUMV N(10,2); CUANTUMP N(10,2); CUANTUMA N(10,2); RUDACOD N(2,0)",
  "rows": [[10, "POP ION", "1800101123456", 100, 50, 25, 1], [10, "POP MARIA", "", 10, 0, 0, 3], [10, "POP BUNICA", "", 5, 0, 0, 7],
           [20, "RUS ANA", "2800101123456", 10, 0, 0, 1], [20, "RUS MIHAI", "", 0, 0, 0, 4],
           [30, "GAZ VASILE", "", 1, 0, 0, 1], [40, "STOP IOANA", "", 1, 0, 0, 1]]}}
JSON
# Family-allowance register: 7 is active with two inquiries (the later one,
# 101, with 2 members, counts); 8 is suspended.
cat >"$d/asf.json" <<'JSON'
{"Cereri.dbf": {"fields": "IDCERERE N(10,0); CERENR N(10,0); CEREDATA D; STARE C(10); CALDURA C(1); NUME C(40); CNP C(13); LOCALIT C(40); STRADA C(40); STRNR C(10); BLOC C(10); SCARA C(5); ETAJ C(5); APT C(5); L416 C(1); STCIV C(2); SITSCOL C(2); NRCAMERE N(3,0); ASIG C(1)",
  "rows": [[7, 70, "2024-09-01", "ACTIVA", "L", "LUP DAN", "1700101123456", "DEJ", "Lunga", "1", "A2", "B", "3", "14", "", "CA", "DA", 2, "X"],
           [8, 80, "2024-09-02", "SUSPENDATA", "L", "OS ANA", "", "DEJ", "", "", "", "", "", "", "", "", "", 1, ""]]},
 "Anchete.dbf": {"fields": "IDANCHET N(10,0); IDCERERE N(10,0); LADATA D",
  "rows": [[100, 7, "2024-01-10"], [101, 7, "2024-02-15"], [200, 8, "2024-03-01"]]},
 "Oameni.dbf": {"fields": "IDANCHET N(10,0); NUME C(40); CNPDATA C(13); CUANTUMV N(10,2); CUANTUMA N(10,2); RUDACOD N(2,0)",
  "rows": [[100, "LUP DAN", "", 1, 1, 1], [100, "LUP VECHI", "", 1, 1, 2], [100, "LUP PLECAT", "", 1, 1, 4],
           [101, "LUP DAN", "", 200, 10.25, 1], [101, "LUP IONUT", "", 0, 300, 4],
           [200, "OS ANA", "", 50, 0, 1]]}}
JSON
for kind in vmg asf; do
    mkdir "$d/$kind" && "$python" "$src/tests/register/register_fixture.py" "$d/$kind.json" "$d/$kind" || fail "$kind tables"
done
"$python" "$src/tests/backup/archive_reference.py" pack "$d/vmg.416" "$d/vmg/Cereri.dbf" "$d/vmg/Oameni.dbf" || fail "vmg archive"
"$python" "$src/tests/backup/archive_reference.py" pack "$d/asf.as2" "$d/asf/Cereri.dbf" "$d/asf/Anchete.dbf" "$d/asf/Oameni.dbf" || fail "asf archive"

# "applications members" of the month marked in the column (L416 or ASF), as dbfread reads them.
marked() {
    "$python" -c "
import sys, dbfread
rows = [r for r in dbfread.DBF(sys.argv[1] + '/Cereri.dbf', encoding='cp1250')
        if int(r['LUNACRT'] or 0) == int(sys.argv[2]) and (r[sys.argv[3]] or '').strip() == 'X']
keys = set(int(r['NRCRT']) for r in rows)
print(len(rows), sum(1 for m in dbfread.DBF(sys.argv[1] + '/Oameni.dbf', encoding='cp1250') if int(m['NRCRT'] or 0) in keys))
" "$d/Data" $serial "$1" || fail "dbfread"
}
# The printed counts: "imported-applications imported-members replaced-applications replaced-members".
counts() { sed -n 's/^\(cereri\|membri\) \(importate\|importati\|inlocuite\|inlocuiti\): //p' "$d/out" | tr '\n' ' ' | sed 's/ $//'; }

before=$(marked L416)
"$cli" --program-dir "$d" --month $month import vmg "$d/vmg.416" >"$d/out" 2>"$d/err" || fail "vmg import: $(cat "$d/err")"
[ "$(counts)" = "2 5 $before" ] || fail "vmg counts: $(counts) (replaced expected: $before)"
[ "$(marked L416)" = "2 5" ] || fail "vmg rows read back: $(marked L416)"
"$cli" --program-dir "$d" --month $month import vmg "$d/vmg.416" >"$d/out" 2>"$d/err" || fail "second vmg import: $(cat "$d/err")"
[ "$(counts)" = "2 5 2 5" ] || fail "second vmg import counts: $(counts)"
[ "$(marked L416)" = "2 5" ] || fail "a second import must replace the first: $(marked L416)"

# The rows as the import wrote them, in key order: name, address, members, income, flags, roles.
rows=$("$python" -c "
import sys, dbfread
apps = sorted((r for r in dbfread.DBF(sys.argv[1] + '/Cereri.dbf', encoding='cp1250')
               if int(r['LUNACRT'] or 0) == int(sys.argv[2]) and ((r['L416'] or '').strip() == 'X' or (r['ASF'] or '').strip() == 'X')
               and r['TITULAR'].strip() in ('POP ION', 'RUS ANA', 'LUP DAN')), key=lambda r: int(r['NRCRT']))
members = list(dbfread.DBF(sys.argv[1] + '/Oameni.dbf', encoding='cp1250'))
for a in apps:
    roles = sorted(m['CALITATE'].strip() for m in members if int(m['NRCRT']) == int(a['NRCRT']))
    print('%s|%s|%d|%.2f|%s%s|%d|%s' % (a['TITULAR'].strip(), a['ADRESA'].strip(), int(a['NR_MEMBRI']), float(a['TVENIT']),
          (a['L416'] or '-').strip() or '-', (a['ASF'] or '-').strip() or '-', int(a['LUNADEC']), ','.join(roles)))
" "$d/Data" $serial) || fail "dbfread rows"
expected="POP ION|STR.FLORILOR NR.12 AP.3|3|175.00|X-|24300|adult,beneficiar,partener
RUS ANA|NR.5|2|10.00|XX|24300|beneficiar,copil"
[ "$rows" = "$expected" ] || fail "vmg rows:
$rows"

before=$(marked ASF)
"$cli" --program-dir "$d" --month $month import asf "$d/asf.as2" >"$d/out" 2>"$d/err" || fail "asf import: $(cat "$d/err")"
[ "$(counts)" = "1 2 $before" ] || fail "asf counts: $(counts) (replaced expected: $before)"
[ "$(marked ASF)" = "1 2" ] || fail "asf rows read back: $(marked ASF)"
asf=$("$python" -c "
import sys, dbfread
for a in dbfread.DBF(sys.argv[1] + '/Cereri.dbf', encoding='cp1250'):
    if int(a['LUNACRT'] or 0) == int(sys.argv[2]) and a['TITULAR'].strip() == 'LUP DAN':
        print('%s|%d|%.2f|%d' % (a['ADRESA'].strip(), int(a['NR_MEMBRI']), float(a['TVENIT']), int(a['NRCAM'])))
" "$d/Data" $serial) || fail "dbfread asf"
[ "$asf" = "STR.LUNGA NR.1 BL.A2 SC.B ET.3 AP.14|2|510.25|2" ] || fail "asf row: $asf"

# A damaged archive: the last bytes of its last stream are missing.
size=$(wc -c <"$d/vmg.416")
head -c $((size - 10)) "$d/vmg.416" >"$d/damaged.416"
for f in Cereri.dbf Oameni.dbf LOG.DBF Hestavo.set; do cp "$d/Data/$f" "$d/before-$f"; done
"$cli" --program-dir "$d" --month $month import vmg "$d/damaged.416" >"$d/out" 2>"$d/err"
[ $? -eq 1 ] || fail "a damaged archive must exit 1"
grep -q "Arhiva este defecta!" "$d/err" || fail "damaged archive message: $(cat "$d/err")"
for f in Cereri.dbf Oameni.dbf LOG.DBF Hestavo.set; do
    cmp -s "$d/Data/$f" "$d/before-$f" || fail "$f changed by a refused import"
done
echo ok
