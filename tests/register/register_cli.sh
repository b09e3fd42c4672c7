#!/bin/sh
# The register's commands of hestavo-cli on a small demo database: a copy
# refused for duplicates exits 1 and changes no byte; an accepted copy adds
# the rows an independent dBase reader counts; the cnp command prints its facts.
# Arguments: hestavo-cli, hestavo-demo-db, python3.
set -u
cli=$1 demo=$2 python=$3
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$demo" "$d/Data" --households 60 --months 2 --seed 3 >/dev/null || fail "demo database"
cp "$d/Data/Cereri.dbf" "$d/before-cereri" && cp "$d/Data/Oameni.dbf" "$d/before-oameni"

"$cli" --program-dir "$d" --month 12.2024 month copy-from 11.2024 >"$d/out" 2>"$d/err"
[ $? -eq 1 ] || fail "a copy with duplicates must exit 1"
grep -q "CNP-uri exista deja in aceasta luna!" "$d/err" || fail "refusal message: $(cat "$d/err")"
grep -q "^1\.  " "$d/out" || fail "the duplicates are listed"
cmp -s "$d/Data/Cereri.dbf" "$d/before-cereri" || fail "Cereri changed by a refused copy"
cmp -s "$d/Data/Oameni.dbf" "$d/before-oameni" || fail "Oameni changed by a refused copy"

"$cli" --program-dir "$d" --month 01.2026 month copy-from 11.2024 >"$d/out" 2>"$d/err" || fail "copy: $(cat "$d/err")"
copied=$(sed -n 's/^cereri copiate: //p' "$d/out")
[ -n "$copied" ] && [ "$copied" -gt 0 ] || fail "copy count: $(cat "$d/out")"
counts=$("$python" -c "
import sys, dbfread
rows = [r for r in dbfread.DBF(sys.argv[1] + '/Cereri.dbf', encoding='cp1250') if int(r['LUNACRT']) == 2026 * 12]
keys = set(int(r['NRCRT']) for r in rows)
members = [m for m in dbfread.DBF(sys.argv[1] + '/Oameni.dbf', encoding='cp1250') if int(m['NRCRT']) in keys]
print(len(rows), set(int(r['NR_LUNI']) for r in rows), set(float(r['TOTAL'] or 0) for r in rows), len(members) > 0)
" "$d/Data") || fail "reader"
[ "$counts" = "$copied {3} {0.0} True" ] || fail "copied rows as read back: $counts (expected $copied)"

"$cli" --program-dir "$d" --month 01.2026 month aid-months 9 >/dev/null 2>"$d/err"
[ $? -eq 1 ] && grep -q "Numar de luni incorect!" "$d/err" || fail "aid-months 9 refused"

out=$("$cli" cnp 1800101123450 1800231123450) || fail "cnp"
[ "$out" = "1800101123450 valid 1980-01-01 masculin
1800231123450 invalid 1900-01-01 masculin" ] || fail "cnp output: $out"
echo ok
