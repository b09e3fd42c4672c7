#!/usr/bin/env python3
"""Checks the AJPIS report's workbooks against the tables, independently of
the program: the applications are read with dbfread, every figure is
computed here from the rules of the report, every workbook is read back with
xlrd, and LibreOffice recalculates the totals below the rows and grids.

Usage: ajpis_check.py DATA_FOLDER OUTPUT_FOLDER MM.YYYY START_SERIAL END_SERIAL

Prints one line per expected workbook, "name|rows|total", then "0|name" for a
monthly return written without rows, and "-|name" for an annex that has no
data (and so no workbook); exits 1 with the differences
when a workbook does not hold what the tables say.
"""
import csv
import glob
import os
import re
import subprocess
import sys
import tempfile

import dbfread
import xlrd

data, out, month_text, start, end = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5])
working = int(month_text[3:7]) * 12 + int(month_text[0:2]) - 1
problems = []


def problem(text):
    problems.append(text)


# ---- the settings: brackets and aids, defaults when a key is missing or empty
def settings():
    values = {}
    section = None
    path = next(p for p in glob.glob(os.path.join(data, '*')) if os.path.basename(p).lower() == 'hestavo.set')
    for line in open(path, encoding='cp1250'):
        line = line.strip()
        if line.startswith('[') and line.endswith(']'):
            section = line[1:-1].upper()
        elif '=' in line and section == 'SETARI':
            key, value = line.split('=', 1)
            values[key.strip().upper()] = value.strip()
    return values


SET = settings()


def number_setting(key, default):
    text = SET.get(key.upper(), '')
    if text == '':
        return default
    try:
        return float(text)
    except ValueError:
        return 0.0


LIM = [number_setting('Lim%d' % k, d) for k, d in
       zip(range(1, 12), [200, 320, 440, 560, 680, 920, 1040, 1160, 1280, 1386, 2053])]
CU = [number_setting('Cu%d' % k, d) for k, d in
      zip(range(1, 12), [320, 288, 256, 224, 192, 160, 128, 96, 64, 32, 32])]


def bracket_bounds(k):
    lower = -1 if k == 1 else LIM[8] if k == 11 else LIM[k - 2]
    return lower, LIM[k - 1]


def brackets_of(income, members):
    """Every bracket k whose income range and household rule hold."""
    found = []
    for k in range(1, 12):
        if k == 10 and members <= 1:
            continue
        if k == 11 and members != 1:
            continue
        lower, upper = bracket_bounds(k)
        if lower < income <= upper:
            found.append(k)
    return found


# ---- the applications
cereri_path = next(p for p in glob.glob(os.path.join(data, '*')) if os.path.basename(p).lower() == 'cereri.dbf')
ROWS = list(dbfread.DBF(cereri_path, encoding='cp1250', char_decode_errors='replace'))


def text(r, column):
    return (r[column] or '').strip()


def num(r, column):
    return r[column] if r[column] is not None else None


def active(r):
    return text(r, 'STATUT') in ('APROBAT', 'MODIFICAT')


def not_stopped(r):
    return text(r, 'STATUT') not in ('', 'RESPINS', 'INCETAT')


def in_period(r):
    return r['LUNACRT'] is not None and start <= r['LUNACRT'] <= end


def name_key(value):
    return value.encode('cp1250', 'replace')


def reference(r):
    number, date = text(r, 'NR_DISP'), r['DATADISP']
    if not number and date is None:
        return ''
    return number + '/' + (date.strftime('%d.%m.%Y') if date else '')


expected = []   # (file name, rows, total)
without = []
empty_returns = []


def close(a, b):
    return abs(a - b) < 0.005


# ---- reading workbooks back
def book(name):
    path = os.path.join(out, name)
    if not os.path.exists(path):
        problem('missing workbook ' + name)
        return None
    return xlrd.open_workbook(path)


def list_rows(sheet, first_row):
    """The data rows of a list sheet: from first_row (1-based) to the TOTAL row."""
    rows = []
    r = first_row - 1
    while r < sheet.nrows and str(sheet.cell_value(r, 0)).strip().upper() != 'TOTAL':
        rows.append([sheet.cell_value(r, c) for c in range(sheet.ncols)])
        r += 1
    return rows


def check_list(name, sheet, first_row, wanted, columns):
    """wanted: rows as tuples of the values of `columns` (0-based), in order."""
    got = list_rows(sheet, first_row)
    if not wanted and len(got) == 1 and all(v in ('', 0, 0.0) for v in got[0][1:]):
        got = []
    if len(got) != len(wanted):
        problem('%s/%s: %d rows, expected %d' % (name, sheet.name, len(got), len(wanted)))
        return
    values = []
    for i, g in enumerate(got):
        if g[0] != i + 1:
            problem('%s/%s row %d: running number %r' % (name, sheet.name, i + 1, g[0]))
        values.append(tuple(g[c] for c in columns))
    # The order is by name; rows of the same name may come in any order.
    if [v[0] for v in values] != [w[0] for w in wanted]:
        problem('%s/%s: names %r, expected %r' % (name, sheet.name, [v[0] for v in values][:5], [w[0] for w in wanted][:5]))

    def comparable(row):
        return tuple(round(v or 0, 2) if isinstance(v, (int, float)) or v is None else v for v in row)
    for g, w in zip(sorted(map(comparable, values)), sorted(map(comparable, wanted))):
        if g != w:
            problem('%s/%s: row %r, expected %r' % (name, sheet.name, g, w))
            break


def check_grid(name, sheet, cells, rows, cols):
    for r in rows:
        for c in cols:
            want = cells.get((r, c))
            if want is None:
                continue
            got = sheet.cell_value(r - 1, c - 1)
            if not isinstance(got, float) or not close(got, want):
                problem('%s/%s %s: %r, expected %r' % (name, sheet.name, xlrd.cellname(r - 1, c - 1), got, want))


def written(name, rows, total, always=False):
    """Whether the workbook's contents are to be checked. A monthly return
    (always) is written even without rows; another annex without rows is not."""
    if rows == 0 and always:
        empty_returns.append(name)
        if not os.path.exists(os.path.join(out, name)):
            problem('monthly return %s not written' % name)
        return False
    if rows == 0:
        without.append(name)
        if os.path.exists(os.path.join(out, name)):
            problem('workbook %s written without data' % name)
        return False
    expected.append((name, rows, total))
    return True


# ---- Annexes 13 and 21, and 22: approved applications of the period with aid
s1 = sorted([r for r in ROWS if active(r) and (r['TOTAL'] or 0) > 0 and in_period(r)],
            key=lambda r: (r['NR_LUNI'] if r['NR_LUNI'] is not None else -1, name_key(text(r, 'TITULAR'))))
listed = [r for r in s1 if r['NR_LUNI'] in (1, 2, 3, 4, 5)]
stat = {}
for k in range(1, 12):
    for m in range(1, 6):
        for c in range(1, 7):
            if (k == 10 and c == 6) or (k == 11 and c != 6):
                continue
            stat[(5 * k - m + 7, c + 4)] = 0


def household_class(members):
    if members is None or members < 1:
        return 0
    return 6 if members == 1 else min(members - 1, 5)


for r in listed:
    c = household_class(r['NR_MEMBRI'])
    if c == 0 or r['VENITM'] is None:
        continue
    for k in brackets_of(r['VENITM'], r['NR_MEMBRI']):
        stat[(5 * k - r['NR_LUNI'] + 7, c + 4)] += 1
a13_total = sum(r['CUANTUM'] * r['NR_LUNI'] for r in listed)
if written('Anexa13_21.xls', len(listed), a13_total, always=True):
    b = book('Anexa13_21.xls')
    if b:
        for j, sheet_name in enumerate(['5luni', '4luni', '3luni', '2luni', '1luna']):
            months = 5 - j
            want = [(text(r, 'TITULAR'), text(r, 'CNP'), (text(r, 'LOCALIT') + ' ' + text(r, 'ADRESA')).strip(),
                     reference(r), r['NR_MEMBRI'], r['VENITM'], r['CUANTUM'])
                    for r in listed if r['NR_LUNI'] == months]
            check_list('Anexa13_21.xls', b.sheet_by_name(sheet_name), 12, want, [1, 2, 3, 4, 5, 6, 8])
        check_grid('Anexa13_21.xls', b.sheet_by_name('RapStat'), stat, range(7, 62), range(5, 11))

pay = {}
for k in range(1, 12):
    for m in range(1, 6):
        if k != 11:
            pay[(5 * k - m + 8, 2 * (5 - m) + 5)] = 0
        if k != 10:
            pay[(5 * k - m + 8, 2 * (5 - m) + 6)] = 0
pay_rows = 0
for r in listed:
    members = r['NR_MEMBRI']
    if members is None or members < 1 or r['CUANTUM'] is None:
        continue
    single = members == 1
    hit = False
    for k in range(1, 12):
        if (single and k == 10) or (not single and k == 11) or not close(CU[k - 1], r['CUANTUM']):
            continue
        cell = (5 * k - r['NR_LUNI'] + 8, 2 * (5 - r['NR_LUNI']) + (6 if single else 5))
        pay[cell] += r['TOTAL'] or 0
        hit = True
    pay_rows += hit
if written('Anexa22.xls', pay_rows, sum(pay.values()), always=True):
    b = book('Anexa22.xls')
    if b:
        check_grid('Anexa22.xls', b.sheet_by_index(0), pay, range(8, 63), range(5, 23))

# ---- Annex 13 cumulated: the working month, amounts of the earliest month
earlier = {}
for r in sorted([r for r in ROWS if active(r) and (r['TOTAL'] or 0) > 0 and r['LUNACRT'] is not None
                 and start <= r['LUNACRT'] < working], key=lambda r: r['LUNACRT']):
    if text(r, 'CNP') and text(r, 'CNP') not in earlier:
        earlier[text(r, 'CNP')] = (r['CUANTUM'], r['TOTAL'])
current = sorted([r for r in ROWS if active(r) and r['LUNACRT'] == working], key=lambda r: name_key(text(r, 'TITULAR')))
cumulated = []
for r in current:
    aid, total = r['CUANTUM'], r['TOTAL']
    if (total or 0) < 1 and text(r, 'CNP') in earlier:
        aid, total = earlier[text(r, 'CNP')]
    cumulated.append((text(r, 'TITULAR'), text(r, 'CNP'), aid, total))
if written('Anexa13_Cumulat.xls', len(cumulated), sum(t or 0 for *_, t in cumulated), always=True):
    b = book('Anexa13_Cumulat.xls')
    if b:
        check_list('Anexa13_Cumulat.xls', b.sheet_by_index(0), 12, cumulated, [1, 2, 8, 9])

# ---- Annexes 14 to 17: the working month's supplements, every sheet all rows
for name, amount in [('Anexa14.xls', 'SUMAT'), ('Anexa15.xls', 'SUMAG'), ('Anexa16.xls', 'SUMAE'),
                     ('Anexa17.xls', 'SUMAL')]:
    rows = sorted([r for r in ROWS if active(r) and r['LUNACRT'] == working and (r[amount] or 0) > 0],
                  key=lambda r: name_key(text(r, 'TITULAR')))
    if written(name, len(rows), sum(r[amount] for r in rows), always=True):
        b = book(name)
        if b:
            for sheet in b.sheets():
                want = [(text(r, 'TITULAR'), text(r, 'CNP'), r[amount]) for r in rows]
                # The columns are found from the markers of the template in the data folder.
                template = xlrd.open_workbook(os.path.join(data, name)).sheet_by_name(sheet.name)
                markers = [str(v).strip().upper() for v in template.row_values(9)]
                check_list(name, sheet, 10, want, [markers.index('#TITULAR'), markers.index('#CNP'),
                                                   markers.index('#' + amount)])

# ---- Annexes 23 and 24: per kind of energy, by calendar month and bracket
months = sorted({r['LUNACRT'] for r in ROWS if in_period(r)})
for suffix, column in [('_Lemne', 'SUMAL'), ('_Gaz', 'SUMAG'), ('_Electrica', 'SUMAE'), ('_Termica', 'SUMAT')]:
    rows = [r for r in ROWS if not_stopped(r) and in_period(r) and (r[column] or 0) > 0]
    for annex, next_month in [('Anexa23', False), ('Anexa24', True)]:
        name = annex + suffix + '.xls'
        grid = {}
        counted = 0
        for month in months:
            p = ((month + 1 if next_month else month) % 12) + 1
            cells = {}
            for k in range(1, 12):
                if k != 10:
                    cells[(2 * p + 8, k + 3)] = 0
                if k != 11:
                    cells[(2 * p + 7, k + 3)] = 0
            for r in rows:
                if r['LUNACRT'] != month or r['VENITM'] is None or r['NR_MEMBRI'] is None or r['NR_MEMBRI'] < 1:
                    continue
                found = brackets_of(r['VENITM'], r['NR_MEMBRI'])
                for k in found:
                    cell = (2 * p + 8 if r['NR_MEMBRI'] == 1 else 2 * p + 7, k + 3)
                    cells[cell] += r[column] if next_month else 1
                counted += bool(found)
            grid.update(cells)
        if not rows:
            counted = 0
        if written(name, counted, sum(grid.values())):
            b = book(name)
            if b:
                check_grid(name, b.sheet_by_index(0), grid, range(9, 33), range(4, 15))

# ---- Annex 25: per supplier, one line per household with its amounts summed
lines = {}
for r in ROWS:
    if r['LUNACRT'] != working or not not_stopped(r):
        continue
    for supplier, amount in [(text(r, 'FURNE'), 'SUMAE'), (text(r, 'FURNG'), 'SUMAG'), (text(r, 'FURNT'), 'SUMAT'),
                             ('Suplimente Lemne', 'SUMAL')]:
        if (r[amount] or 0) > 0:
            key = (supplier, text(r, 'TITULAR'), text(r, 'CNP'))
            lines[key] = lines.get(key, 0) + r[amount]
suppliers = sorted({s for s, _, _ in lines}, key=name_key)
taken = set()
if not suppliers:
    without.append('Anexa25')
for supplier in suppliers:
    clean = re.sub(r'[/\\:*?"<>|\'\x00-\x1f\x7f-\x9f]', '_', supplier)
    unique, n = clean, 2
    while unique.lower() in taken:
        unique, n = '%s_%d' % (clean, n), n + 1
    taken.add(unique.lower())
    name = 'Anexa25_' + unique + '.xls'
    mine = sorted([(t, c, v) for (s, t, c), v in lines.items() if s == supplier], key=lambda x: name_key(x[0]))
    written(name, len(mine), sum(v for *_, v in mine))
    b = book(name)
    if b:
        sheet = b.sheet_by_index(0)
        if supplier not in str(sheet.cell_value(4, 1)):
            problem('%s: supplier cell %r' % (name, sheet.cell_value(4, 1)))
        check_list(name, sheet, 12, mine, [1, 2, 3])
on_disk = {os.path.basename(p) for p in glob.glob(os.path.join(out, '*'))}
if on_disk != {name for name, _, _ in expected}:
    problem('files in the folder: %s, expected %s' % (sorted(on_disk), sorted(n for n, _, _ in expected)))


# ---- LibreOffice: the SUM rows and columns recalculated
def libreoffice_sheets(paths):
    folder = tempfile.mkdtemp()
    profile = 'file://' + tempfile.mkdtemp()
    subprocess.run(['soffice', '-env:UserInstallation=' + profile, '--headless', '--convert-to',
                    'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1',
                    '--outdir', folder] + paths, capture_output=True, timeout=600)
    sheets = {}
    for path in glob.glob(os.path.join(folder, '*.csv')):
        sheets[os.path.basename(path)[:-4]] = list(csv.reader(open(path, encoding='utf-8')))
    return sheets


def cell_number(rows, ref):
    column, row = re.match(r'([A-Z]+)(\d+)', ref).groups()
    c = ord(column) - ord('A') if len(column) == 1 else 26 * (ord(column[0]) - 64) + ord(column[1]) - ord('A')
    try:
        return float(rows[int(row) - 1][c])
    except (IndexError, ValueError):
        return None


def total_row(rows):
    return next(i + 1 for i, r in enumerate(rows) if r and r[0].strip().upper() == 'TOTAL')


def check_sum(what, got, want):
    if got is None or not close(got, want):
        problem('LibreOffice %s: %r, expected %r' % (what, got, want))


if os.environ.get('AJPIS_CHECK_LIBREOFFICE', '1') == '1' and expected:
    sheets = libreoffice_sheets([os.path.join(out, n) for n, _, _ in expected])
    for name, rows_count, total in expected:
        stem = name[:-4]
        if name == 'Anexa13_21.xls':
            for j, sheet_name in enumerate(['5luni', '4luni', '3luni', '2luni', '1luna']):
                rows = sheets[stem + '-' + sheet_name]
                mine = [r for r in listed if r['NR_LUNI'] == 5 - j]
                t = total_row(rows)
                check_sum(name + ' ' + sheet_name + ' I', cell_number(rows, 'I%d' % t), sum(r['CUANTUM'] for r in mine))
                check_sum(name + ' ' + sheet_name + ' J', cell_number(rows, 'J%d' % t),
                          sum(r['CUANTUM'] * r['NR_LUNI'] for r in mine))
            check_sum(name + ' RapStat K67', cell_number(sheets[stem + '-RapStat'], 'K67'), sum(stat.values()))
        elif name == 'Anexa22.xls':
            rows = next(v for k, v in sheets.items() if k.startswith(stem + '-'))
            check_sum(name + ' W63', cell_number(rows, 'W63'), total)
        elif name.startswith('Anexa23') or name.startswith('Anexa24'):
            rows = next(v for k, v in sheets.items() if k.startswith(stem + '-'))
            check_sum(name + ' O7+O8', (cell_number(rows, 'O7') or 0) + (cell_number(rows, 'O8') or 0), total)
        elif name == 'Anexa13_Cumulat.xls':
            rows = next(v for k, v in sheets.items() if k.startswith(stem + '-'))
            check_sum(name + ' J', cell_number(rows, 'J%d' % total_row(rows)), total)
        else:
            for key, rows in sheets.items():
                if not key.startswith(stem + '-'):
                    continue
                t = total_row(rows)
                sums = [float(v) for v in rows[t - 1][1:] if re.match(r'^-?\d+(\.\d+)?$', v.strip())]
                if len(sums) != 1 or not close(sums[0], total):
                    problem('LibreOffice %s: TOTAL row %r, expected %r' % (key, rows[t - 1], total))

for name, rows_count, total in expected:
    print('%s|%d|%.2f' % (name, rows_count, total))
for name in empty_returns:
    print('%s|0|0.00' % name)
    print('0|' + name)
for name in without:
    print('-|' + name)
if problems:
    sys.stderr.write('\n'.join(problems) + '\n')
    sys.exit(1)
