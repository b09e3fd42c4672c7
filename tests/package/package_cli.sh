#!/bin/sh
# hestavo-cli package on a demo database:
#   - blocking findings stop it (exit 1, as "check") and leave nothing behind;
#     --force writes it;
#   - a clean month: the package, its MANIFEST.csv, VERIFICARE.txt and zip
#     read back by package_check.py (dbfread, xlrd, xml, zipfile), which
#     recomputes the cross-check from the tables on its own;
#   - a payment file altered by one ban makes package-verify fail naming the
#     household;
#   - a second run refuses to replace the package;
#   - a run killed after its files are written leaves no Pachet_ folder and
#     no zip, and the next run clears its staging folder;
#   - an amount on a refused application, forced through the check, is named
#     by the cross-check (ANPIS lists it, the payment list does not).
# Arguments: hestavo-cli, hestavo-demo-db, hestavo-sql, python3, package_check.py.
set -u
cli=$1 demo=$2 sql=$3 python=$4 checker=$5
d=$(mktemp -d)
trap '[ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$d"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { "$cli" --program-dir "$d" --month 11.2024 "$@" >"$d/stdout" 2>"$d/stderr"; }
packages() { ls -a "$1" | grep -c '^Pachet_'; }

"$demo" "$d/Data" --households 600 --months 1 --seed 9 >/dev/null || fail "demo database"
mkdir "$d/out"

# The demo month holds aid without a decision number: blocking.
run check; [ $? -eq 1 ] || fail "check must exit 1 on the demo month"
run package --out "$d/out" --payment-date 15.12.2024; [ $? -eq 1 ] || fail "package must exit 1 while the check blocks"
grep -q "constatari blocante" "$d/stderr" || fail "no reason given: $(cat "$d/stderr")"
grep -q "Ajutor fara dispozitie" "$d/stdout" || fail "the blocking findings are not listed"
[ -z "$(ls -A "$d/out")" ] || fail "a blocked package left files: $(ls -A "$d/out")"

mkdir "$d/forced"
run package --out "$d/forced" --payment-date 15.12.2024 --force || fail "forced package: $(cat "$d/stderr")"
[ -d "$d/forced/Pachet_11_2024" ] && [ -f "$d/forced/Pachet_11_2024.zip" ] || fail "forced package not written"

# Give every aid its decision: the month is clean of blocking findings.
"$sql" "UPDATE \"$d/Data/Cereri.dbf\" SET NR_DISP=\"77\", DATADISP=\"30.11.2024\" WHERE TOTAL>0 AND (NR_DISP=\"\" OR DATADISP IS NULL)" \
  >/dev/null || fail "sql update"
run check || fail "check after the correction: $(cat "$d/stdout")"

run package --out "$d/out" --payment-date 15.12.2024 || fail "package: $(cat "$d/stderr")"
p="$d/out/Pachet_11_2024"
[ -d "$p" ] || fail "no package folder"
grep -q "^pachet: $p\$" "$d/stdout" || fail "the folder is not named: $(tail -3 "$d/stdout")"
"$python" "$checker" "$d/Data" "$p" 11.2024 || fail "package read back"
[ "$(ls -A "$d/out" | sort | tr '\n' ' ')" = "Pachet_11_2024 Pachet_11_2024.zip " ] || fail "other files beside the package: $(ls -A "$d/out")"

run package-verify --folder "$p" || fail "verify of the package as written: $(cat "$d/stderr")"

# One ban more for one household in the treasury's payment file.
cp -r "$p" "$d/altered"
dbf=$(ls "$d/altered/Lemne_Trezorerie/"*.dbf)
cnp=$("$python" -c "import dbfread,sys; print(next(r['CNP'] for r in dbfread.DBF(sys.argv[1]) if r['CODAJUT']=='073'))" "$dbf")
"$sql" "UPDATE \"$dbf\" SET SUMA=SUMA+0.01 WHERE CNP=\"$cnp\" AND CODAJUT=\"073\"" >/dev/null || fail "altering the payment file"
run package-verify --folder "$d/altered"; [ $? -eq 1 ] || fail "an altered payment file passed the cross-check"
grep -q "Fisierul de plata (073): .* - 1 diferente" "$d/stdout" || fail "difference not counted: $(grep 073 "$d/stdout")"
grep -q "CNP $cnp .*Fisierul de plata (073)" "$d/stdout" || fail "the household is not named: $(grep -i diferent "$d/stdout")"

run package --out "$d/out" --payment-date 15.12.2024; [ $? -eq 1 ] || fail "an existing package was replaced"
grep -q "exista deja" "$d/stderr" || fail "no reason: $(cat "$d/stderr")"

# Killed once its files are written, before they are moved into place.
mkdir "$d/killed"
HESTAVO_TEST_PACKAGE_PAUSE=60 "$cli" --program-dir "$d" --month 11.2024 package --out "$d/killed" \
  --payment-date 15.12.2024 >/dev/null 2>&1 &
pid=$!
i=0
until ls "$d"/killed/.pachet-in-lucru-*/pauza >/dev/null 2>&1; do
  i=$((i + 1)); [ $i -le 600 ] || fail "the run never reached its pause"; sleep 0.1
done
ls "$d"/killed/.pachet-in-lucru-*/Pachet_11_2024/MANIFEST.csv >/dev/null 2>&1 || fail "paused before the package was complete"
kill -9 "$pid"; wait "$pid" 2>/dev/null; pid=
[ "$(packages "$d/killed")" -eq 0 ] || fail "a killed run left a package: $(ls -A "$d/killed")"
run package --out "$d/killed" --payment-date 15.12.2024 || fail "package after a killed run: $(cat "$d/stderr")"
[ "$(ls -A "$d/killed" | sort | tr '\n' ' ')" = "Pachet_11_2024 Pachet_11_2024.zip " ] \
  || fail "the killed run's staging folder stayed: $(ls -A "$d/killed")"

# An aid on a refused application: blocking for the check; forced, the
# cross-check names it.
key=$("$python" -c "import dbfread,sys; print(next(r['CNP'] for r in dbfread.DBF(sys.argv[1]) if (r['TOTAL'] or 0)>0))" "$d/Data/Cereri.dbf")
"$sql" "UPDATE \"$d/Data/Cereri.dbf\" SET STATUT=\"RESPINS\" WHERE CNP=\"$key\"" >/dev/null || fail "sql refuse"
mkdir "$d/refused"
run package --out "$d/refused" --payment-date 15.12.2024; [ $? -eq 1 ] || fail "an amount on a refused application passed"
grep -q "Suma pe cerere oprita" "$d/stdout" || fail "rule not named: $(cat "$d/stdout" | head)"
run package --out "$d/refused" --payment-date 15.12.2024 --force || fail "forced: $(cat "$d/stderr")"
grep -q "^diferenta: Ajutorul pentru incalzire: CNP $key .*ANPIS" "$d/stdout" || fail "cross-check silent: $(grep diferenta "$d/stdout")"
grep -q "CNP $key" "$d/refused/Pachet_11_2024/VERIFICARE.txt" || fail "VERIFICARE.txt does not name the household"
echo "package cli: ok"
