#!/bin/sh
# Rebuilds the table fixtures written by other programs (run by hand; the
# results are committed):
#   pydbf_db3.dbf  dBase III table from python3-dbf, Windows-1250, one deleted row
#   pydbf_vfp.dbf  Visual FoxPro table from python3-dbf (C, N, D, L, I, F columns)
#   lo_calc.dbf    Calc's dBase export of lo_calc.csv (Windows-1250)
set -e
cd "$(dirname "$0")"

/usr/bin/python3 - <<'PY'
import datetime, dbf
t = dbf.Table('pydbf_db3.dbf', 'NUME C(24); SUMA N(10,2); NR N(5,0); DATA D; ACTIV L',
              dbf_type='db3', codepage='cp1250')
t.open(dbf.READ_WRITE)
t.append(('Şerban Ţăran', 1234.5, 17, datetime.date(2022, 3, 5), True))
t.append(('Sters', 1, 1, datetime.date(2000, 1, 1), False))
t.append(('Ana Pîrvu', -0.25, None, None, None))
dbf.delete(t[1])
t.close()

v = dbf.Table('pydbf_vfp.dbf', 'NUME C(20); SUMA N(8,2); DATA D; ACTIV L; CNT I; RATA F(12,4)',
              dbf_type='vfp', codepage='cp1252')
v.open(dbf.READ_WRITE)
v.append(('Zoë Müller', 99.95, datetime.date(2021, 12, 31), True, -42, 3.1415))
v.append(('Bob', 0, None, False, 7, None))
v.close()
PY

profile="$(mktemp -d)"
soffice -env:UserInstallation="file://$profile" --headless \
  --infilter='Text - txt - csv (StarCalc):44,34,76,1' --convert-to 'dbf:dBase:33' \
  --outdir . lo_calc.csv >/dev/null
rm -rf "$profile"
