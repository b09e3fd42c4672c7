#!/usr/bin/env python3
"""Reads a monthly package back with readers of its own and checks it.

  package_check.py DATA_FOLDER PACKAGE_FOLDER MM.YYYY

- MANIFEST.csv lists every file of the folder (itself aside) with its true
  size and SHA-256; its rows and totals agree with what dbfread, xlrd and the
  XML parser count in the files;
- the cross-check, recomputed here from Cereri.dbf and Oameni.dbf: the same
  households and amounts (to the ban) in Annex 13, the payment list, the
  treasury's annex 2 and payment file and the ANPIS file; the same wood
  supplements in the payment list, the treasury and Annex 17; the F2201
  persons are the month's adults by their CNP;
- VERIFICARE.txt reports agreement; the zip holds exactly the folder.
Lists are located by the "#DBF" data row of the template they were filled
from (the shipped forms in resources/templates, the payment list's in the
data folder).
"""
import csv
import datetime
import glob
import hashlib
import os
import sys
import xml.etree.ElementTree as ET
import zipfile

import dbfread
import xlrd

data, package, month = sys.argv[1:4]
templates = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'resources', 'templates')
serial = int(month[3:]) * 12 + int(month[:2]) - 1
problems = []


def check(condition, *what):
    if not condition:
        problems.append(' '.join(str(w) for w in what))


def cents(value):
    return int(round(float(value or 0) * 100))


def layout(template, sheet):
    s = xlrd.open_workbook(template).sheet_by_index(sheet)
    for r in range(s.nrows):
        row = [str(c.value).strip() for c in s.row(r)]
        if '#DBF' in [v.upper() for v in row]:
            return r, {v[1:].upper(): c for c, v in enumerate(row) if v.startswith('#') and len(v) > 1}
    raise SystemExit('no data row in ' + template)


def list_amounts(path, template, sheet, field, times=1):
    start, cols = layout(template, sheet)
    s = xlrd.open_workbook(path).sheet_by_index(sheet)
    out = {}
    for r in range(start, s.nrows):
        cnp = str(s.cell_value(r, cols['CNP'])).strip()
        if not cnp:
            break
        v = s.cell_value(r, cols[field]) if field in cols else 0
        out[cnp] = out.get(cnp, 0) + cents(v if v != '' else 0) * times
    return {k: v for k, v in out.items() if v}


# The month from the tables.
cereri = [r for r in dbfread.DBF(os.path.join(data, 'Cereri.dbf'), encoding='cp1250') if int(r['LUNACRT'] or 0) == serial]
paid = [r for r in cereri if r['STATUT'].strip() in ('APROBAT', 'MODIFICAT')]


def table(column):
    out = {}
    for r in paid:
        out[r['CNP'].strip()] = out.get(r['CNP'].strip(), 0) + cents(r[column])
    return {k: v for k, v in out.items() if v}


aid, wood = table('TOTAL'), table('SUMAL')

# MANIFEST.csv
files = sorted(os.path.relpath(os.path.join(f, n), package).replace(os.sep, '/')
               for f, _, names in os.walk(package) for n in names)
with open(os.path.join(package, 'MANIFEST.csv'), encoding='utf-8', newline='') as f:
    manifest = list(csv.DictReader(f, delimiter=';'))
listed = {m['Fisier']: m for m in manifest}
check(sorted(listed) == [f for f in files if f != 'MANIFEST.csv'], 'manifest lists', sorted(set(files) ^ set(listed)))
for name, m in listed.items():
    path = os.path.join(package, name)
    if not os.path.exists(path):
        check(False, 'listed but missing', name)
        continue
    body = open(path, 'rb').read()
    check(int(m['Octeti']) == len(body), 'size', name)
    check(m['SHA256'] == hashlib.sha256(body).hexdigest(), 'sha256', name)
for m in manifest:
    check(m['Destinatar'] in ('AJPIS', 'ANPIS', 'ANAF', 'Trezorerie', 'Furnizori', 'Pachet'), 'recipient', m)

treasury = os.path.join(package, 'Lemne_Trezorerie')
dbf = glob.glob(os.path.join(treasury, '*.dbf'))
check(len(dbf) == 1, 'one payment file', dbf)
payments = list(dbfread.DBF(dbf[0], encoding='cp1250'))
m = listed[os.path.relpath(dbf[0], package)]
check(int(m['Randuri']) == len(payments), 'payment file rows', m['Randuri'], len(payments))
check(cents(m['Total']) == sum(cents(p['SUMA']) for p in payments), 'payment file total', m['Total'])


def paid_by(account):
    out = {}
    for p in payments:
        if p['CODAJUT'].strip() == account:
            out[p['CNP'].strip()] = out.get(p['CNP'].strip(), 0) + cents(p['SUMA'])
    return out


stat = os.path.join(treasury, 'Stat_de_plata.xls')
stat_template = os.path.join(data, 'Stat.xls')
annex2 = os.path.join(templates, 'TrezAnx2.xls')
for name, account in (('Anexa2_Ajutor_Lemne.xls', '073'), ('Anexa2_Supliment_Lemne.xls', '074')):
    amounts = list_amounts(os.path.join(treasury, name), annex2, 0, 'SUMA')
    m = listed['Lemne_Trezorerie/' + name]
    check(int(m['Randuri']) == len(amounts) and cents(m['Total']) == sum(amounts.values()), 'manifest of', name, m)
    check(amounts == paid_by(account), 'annex 2 against the payment file', account)

# ANPIS
anpis = {}
xml_files = glob.glob(os.path.join(package, 'ANPIS', 'Date_*.xml'))
root = ET.parse(xml_files[0]).getroot()
for c in root.findall('cereri'):
    for a in c.iter('drepturiAI'):
        anpis[c.get('cnpt').strip()] = anpis.get(c.get('cnpt').strip(), 0) + cents(a.get('valref'))
check(int(listed[os.path.relpath(xml_files[0], package)]['Randuri']) == len(root.findall('cereri')), 'ANPIS rows')

annex13 = {}
for sheet in range(5):
    for k, v in list_amounts(os.path.join(package, 'LEMNE_AJPIS', 'Anexa13_21.xls'), os.path.join(templates, 'AJPIS.xls'),
                             sheet, 'CUANTUM', 5 - sheet).items():
        annex13[k] = annex13.get(k, 0) + v

sources = {
    'Stat de plata - Ajutoare': list_amounts(stat, stat_template, 1, 'TOTAL'),
    'Stat de plata - Cumulat': list_amounts(stat, stat_template, 0, 'TOTAL'),
    'payment file 073': paid_by('073'),
    'ANPIS': anpis,
    'Anexa 13': annex13,
}
for name, amounts in sources.items():
    check(amounts == aid, 'aid differs in', name, sorted(set(amounts.items()) ^ set(aid.items()))[:5])
for name, amounts in {'Stat de plata - Suplim.Lemne': list_amounts(stat, stat_template, 2, 'SUMAL'),
                      'payment file 074': paid_by('074'),
                      'Anexa 17': list_amounts(os.path.join(package, 'LEMNE_AJPIS', 'Anexa17.xls'),
                                               os.path.join(data, 'Anexa17.xls'), 0, 'SUMAL')}.items():
    check(amounts == wood, 'wood supplement differs in', name)
check(len(aid) > 100 and len(wood) > 100, 'a month too small to show anything', len(aid), len(wood))


# F2201: the adults of the month by the CNP's birth date.
def born(cnp):
    if len(cnp) < 7 or not cnp[1:7].isdigit():
        return datetime.date(1899, 12, 30)
    century = {'1': 1900, '2': 1900, '3': 1800, '4': 1800, '5': 2000, '6': 2000}.get(cnp[0], 1900)
    try:
        return datetime.date(century + int(cnp[1:3]), int(cnp[3:5]), int(cnp[5:7]))
    except ValueError:
        return datetime.date(1899, 12, 30)


today = datetime.date.today()
try:
    limit = today.replace(year=today.year - 18)
except ValueError:
    limit = today.replace(year=today.year - 18, day=28)
keys = {int(r['NRCRT']) for r in paid}
people = {r['CNP'].strip() for r in paid}
people |= {m['CNP'].strip() for m in dbfread.DBF(os.path.join(data, 'Oameni.dbf'), encoding='cp1250')
           if int(m['NRCRT']) in keys}
adults = sorted(c for c in people if born(c) < limit)
ns = '{mfp:anaf:dgti:primarii:formulare:v1}'
written = []
for f in glob.glob(os.path.join(package, 'ANAF_F2201', 'F2201_*.xml')):
    persons = [p.get('cif') for p in ET.parse(f).getroot().iter(ns + 'persoane')]
    check(int(listed[os.path.relpath(f, package)]['Randuri']) == len(persons), 'F2201 rows', f)
    written += persons
check(sorted(written) == adults, 'F2201 persons differ from the adults', len(written), len(adults))

verification = open(os.path.join(package, 'VERIFICARE.txt'), encoding='utf-8').read()
check(verification.rstrip().endswith('Rezultat: fisierele concorda.'), 'VERIFICARE.txt', verification[-200:])
check('Tabele (TOTAL): %d gospodarii, total %.2f' % (len(aid), sum(aid.values()) / 100) in verification,
      'VERIFICARE.txt totals')

name = os.path.basename(package.rstrip('/'))
with zipfile.ZipFile(package.rstrip('/') + '.zip') as z:
    check(z.testzip() is None, 'zip damaged')
    entries = sorted(z.namelist()) == sorted(name + '/' + f for f in files)
    check(entries, 'zip entries')
    for f in files if entries else []:
        check(z.read(name + '/' + f) == open(os.path.join(package, f), 'rb').read(), 'zip content', f)

for p in problems:
    print('PROBLEM:', p)
sys.exit(1 if problems else 0)
