"""Independent reader of the county report's output folder.

Every workbook ANEXA_NN_*.xls of the folder is read with xlrd and paired with
the CSV file of the same name in the one CSV subfolder, read with the csv
module. The CSV must be ASCII with CR LF line ends, hold the annex's header,
the column numbers, then one line per workbook data row, every field plain
upper case; each field must equal the workbook cell cleaned by the rules
below, written here afresh. Prints one line per annex: number, data rows and
the sum of its amount column.

Usage: python3 CountyCheck.py OUTPUT_FOLDER
"""
import csv
import glob
import io
import os
import re
import sys
import unicodedata
from decimal import Decimal, ROUND_HALF_EVEN, ROUND_HALF_UP, ROUND_FLOOR

import xlrd

HEADERS = {
    13: 'Nr,Titular,CNP,Adresa,Dispozitie,Nr_membrii,Venit_lunar_membru,Nivel _compensare,Cuantum_luna',
    14: 'Nr,Titular,CNP,Adresa,Cod_furnizor_client,Venit_lunar_membru,Cuantum_max_luna,DISPOZITIE',
    15: 'Nr,Titular,CNP,Adresa,Cod_furnizor_client,CLC,Nr_membrii,Venit_lunar_membru,DISPOZITIE,Cuantum_max_luna',
    16: 'Nr,Titular,CNP,Adresa,Cod_furnizor_client,POD,Nr_membrii,Venit_lunar_membru,Dispozitie,Cuantum_max_luna',
    17: 'Nr,Titular,CNP,Adresa,Dispozitie,Nr_membrii,Venit_lunar_membru,Cuantum_luna',
}
# Workbook data row (1-based) and, per CSV field after the number, the kind of
# value: 'text' the cleaned cell, 'income' the rounded income of the cell,
# 'level' the compensation level of the aid cell (Annex 13's column H).
LAYOUT = {
    13: (12, ['text', 'text', 'text', 'text', 'text', 'income', 'level', 'text']),
    14: (10, ['text', 'text', 'text', 'text', 'income', 'text', 'text']),
    15: (10, ['text', 'text', 'text', 'text', 'text', 'text', 'income', 'text', 'text']),
    16: (10, ['text', 'text', 'text', 'text', 'text', 'text', 'income', 'text', 'text']),
    17: (10, ['text', 'text', 'text', 'text', 'text', 'income', 'text']),
}
# Position of the amount column among the CSV fields (the annex's total).
AMOUNT = {13: -1, 14: 6, 15: -1, 16: -1, 17: -1}
PLAIN = {'\u0141': 'L', '\u0142': 'l', '\u0110': 'D', '\u0111': 'd', '\u00df': 'ss'}


def cell_text(value):
    if isinstance(value, float):
        return str(int(value)) if value == int(value) else repr(value)
    return str(value)


def clean(text):
    text = ''.join(PLAIN.get(c, c) for c in unicodedata.normalize('NFD', text)
                   if unicodedata.category(c) != 'Mn')
    text = ''.join(c.upper() if 'a' <= c <= 'z' else c for c in text)
    return ' '.join(re.sub(r'[^.0-9A-Z]', ' ', text).split())


def money(value):
    return Decimal(repr(value)).quantize(Decimal('0.01'), rounding=ROUND_HALF_UP)


def expected(kind, value, row, sheet):
    if kind == 'income':
        return str(int((money(value) + Decimal('0.99')).to_integral_value(rounding=ROUND_FLOOR)))
    if kind == 'level':
        aid = money(sheet.cell_value(row, 7)).to_integral_value(rounding=ROUND_HALF_EVEN)
        return str((aid / 320 * 100).quantize(Decimal('0.01'), rounding=ROUND_HALF_UP))
    return clean(cell_text(value))


def check(folder):
    subfolders = [d for d in os.listdir(folder) if os.path.isdir(os.path.join(folder, d))]
    workbooks = sorted(glob.glob(os.path.join(folder, 'ANEXA_*.xls')))
    assert len(subfolders) == (1 if workbooks else 0), subfolders
    csvs = sorted(glob.glob(os.path.join(folder, '*', '*')))
    assert [os.path.basename(c)[:-4] for c in csvs] == [os.path.basename(w)[:-4] for w in workbooks], (csvs, workbooks)
    for workbook, csv_file in zip(workbooks, csvs):
        annex = int(os.path.basename(workbook).split('_')[1])
        data = open(csv_file, 'rb').read()
        assert all(b < 128 for b in data), csv_file + ': not ASCII'
        lines = data.split(b'\r\n')
        assert lines[-1] == b'' and all(b'\r' not in l and b'\n' not in l for l in lines), csv_file + ': line ends'
        rows = list(csv.reader(io.StringIO(data.decode('ascii'), newline='')))
        header = HEADERS[annex].split(',')
        assert rows[0] == header, rows[0]
        assert rows[1] == [str(i) for i in range(1, len(header) + 1)], rows[1]
        book = xlrd.open_workbook(workbook)
        if annex in (15, 16):
            assert book.nsheets == 1, (workbook, book.nsheets)
        sheet = book.sheet_by_index(0)
        first, kinds = LAYOUT[annex]
        total = Decimal('0.00')
        for i, fields in enumerate(rows[2:], start=1):
            r = first - 2 + i
            assert len(fields) == len(header) and fields[0] == str(i), fields
            assert sheet.cell_value(r, 0) == i, (workbook, r, sheet.cell_value(r, 0))
            for k, (kind, field) in enumerate(zip(kinds, fields[1:])):
                assert field == field.upper() and '"' not in field, field
                column = k + 1 if annex != 13 or k < 6 else k
                want = expected(kind, sheet.cell_value(r, column), r, sheet)
                assert field == want, (workbook, i, header[k + 1], field, want)
            total += Decimal(fields[AMOUNT[annex]] or '0')
        after = first - 1 + len(rows) - 2
        assert after >= sheet.nrows or sheet.cell_value(after, 0) != len(rows) - 1, (workbook, 'more rows')
        print(annex, len(rows) - 2, total.quantize(Decimal('0.01')))


if __name__ == '__main__':
    check(sys.argv[1])
