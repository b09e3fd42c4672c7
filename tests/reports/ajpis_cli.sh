#!/bin/sh
# "hestavo-cli ajpis" on a demo database: the output folder is created, each
# workbook is printed with the rows and total that an independent computation
# from the tables gives (ajpis_check.py, which also reads every workbook back),
# and a folder that already holds files or a reversed period is refused.
# Arguments: hestavo-cli, hestavo-demo-db, python3, the checker script.
set -u
cli=$1 demo=$2 python=$3 checker=$4
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$demo" "$d/Data" --households 300 --months 5 --seed 7 >/dev/null || fail "demo database"
printf '[SETARI]\r\nPRIMARIA=Comuna Demo\r\nJUDET=ALBA\r\nCODJUD=01\r\nSIRUES=4562443\r\nCu1=320\r\n' >"$d/Data/Hestavo.set"
out="$d/new/LEMNE_AJPIS"

"$cli" --program-dir "$d" --month 01.2025 ajpis --from 01.11.2024 --to 31.03.2025 --out "$out" >"$d/printed" 2>"$d/err" \
  || fail "ajpis: $(cat "$d/err")"
[ -d "$out" ] || fail "the output folder was not created"
"$python" "$checker" "$d/Data" "$out" 01.2025 $((2024 * 12 + 10)) $((2025 * 12 + 2)) >"$d/checked" 2>"$d/err" \
  || fail "workbooks differ from the tables: $(head -20 "$d/err")"
sed -e 's/^fisier: \(.*\) | randuri: \(.*\) | total: \(.*\)$/\1|\2|\3/' -e 's/^fara date, scris gol: /0|/' -e 's/^fara date: /-|/' "$d/printed" | sort >"$d/a"
sort "$d/checked" >"$d/b"
cmp -s "$d/a" "$d/b" || fail "printed lines differ from the computation: $(diff "$d/a" "$d/b" | head -10)"
[ "$(wc -l <"$d/a")" -gt 10 ] || fail "too few workbooks: $(cat "$d/a")"

"$cli" --program-dir "$d" --month 01.2025 ajpis --from 01.11.2024 --to 31.03.2025 --out "$out" >/dev/null 2>"$d/err" \
  && fail "a folder holding files was accepted"
grep -q "nu este gol" "$d/err" || fail "refusal of a full folder: $(cat "$d/err")"
"$cli" --program-dir "$d" --month 01.2025 ajpis --from 01.03.2025 --to 28.02.2025 --out "$d/other" >/dev/null 2>"$d/err" \
  && fail "a reversed period was accepted"
grep -q "Perioada incorecta!" "$d/err" || fail "refusal of a reversed period: $(cat "$d/err")"
[ ! -e "$d/other" ] || fail "a refused run created its folder"
echo "ajpis cli: $(wc -l <"$d/a") lines checked"
