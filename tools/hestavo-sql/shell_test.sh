#!/bin/sh
# The shell on two points: a query is recognised in any letter case, and the
# cells of a result are read by position, so two columns of the same name
# (A.TITULAR, B.TITULAR) each show their own value.
# Usage: shell_test.sh PATH-TO-hestavo-sql
set -u
sql=$1
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
"$sql" "CREATE TABLE \"$d/C.dbf\" (NRCRT DECIMAL(5,0), TITULAR CHAR(20))" \
       "CREATE TABLE \"$d/O.dbf\" (NRCRT DECIMAL(5,0), TITULAR CHAR(20))" \
       "INSERT INTO \"$d/C.dbf\" VALUES (1, \"POP ION\")" \
       "INSERT INTO \"$d/O.dbf\" VALUES (1, \"POP ANA\")" || exit 1
out=$("$sql" --csv "sElEcT A.TITULAR, B.TITULAR FROM \"$d/C.dbf\" A, \"$d/O.dbf\" B WHERE A.NRCRT=B.NRCRT") || exit 1
expected='TITULAR,TITULAR
POP ION,POP ANA'
if [ "$out" != "$expected" ]; then
    printf 'expected:\n%s\ngot:\n%s\n' "$expected" "$out"
    exit 1
fi
out=$(printf '  select COUNT(*) AS N FROM "%s/C.dbf";\n' "$d" | "$sql" --csv) || exit 1
if [ "$out" != "N
1" ]; then
    printf 'lower-case query from standard input gave:\n%s\n' "$out"
    exit 1
fi
exit 0
