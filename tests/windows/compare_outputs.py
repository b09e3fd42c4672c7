#!/usr/bin/python3
"""Compares two folders of outputs, one made by the Linux program and one by
the Windows program, with readers of their own:

  compare_outputs.py LINUX_FOLDER WINDOWS_FOLDER [--skip NAME]...

- the same files in both (names compared without case, as Windows does);
- dBase tables (.dbf) field by field and record by record (dbfread);
- .xls workbooks sheet by sheet and cell by cell (xlrd);
- anything else byte for byte.
Files named with --skip (base names, any case) are left out. Prints one line
per difference and exits 1 when there is any; prints what was compared.
"""
import os
import sys

import dbfread
import xlrd


def files_of(root, skipped):
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            if name.lower() in skipped:
                continue
            path = os.path.join(folder, name)
            found[os.path.relpath(path, root).lower()] = path
    return found


def table_rows(path):
    table = dbfread.DBF(path, encoding="cp1250", char_decode_errors="strict", load=True)
    return [(f.name, f.type, f.length, f.decimal_count) for f in table.fields], [dict(r) for r in table.records]


def compare_table(a, b, say):
    fields_a, rows_a = table_rows(a)
    fields_b, rows_b = table_rows(b)
    if fields_a != fields_b:
        say("different fields: %s / %s" % (fields_a, fields_b))
        return
    if len(rows_a) != len(rows_b):
        say("%d records / %d records" % (len(rows_a), len(rows_b)))
    for n, (ra, rb) in enumerate(zip(rows_a, rows_b), 1):
        for field in ra:
            if ra[field] != rb[field]:
                say("record %d, %s: %r / %r" % (n, field, ra[field], rb[field]))


def compare_workbook(a, b, say):
    book_a, book_b = xlrd.open_workbook(a), xlrd.open_workbook(b)
    if book_a.sheet_names() != book_b.sheet_names():
        say("sheets %s / %s" % (book_a.sheet_names(), book_b.sheet_names()))
        return
    cells = 0
    for sa, sb in zip(book_a.sheets(), book_b.sheets()):
        if (sa.nrows, sa.ncols) != (sb.nrows, sb.ncols):
            say("sheet %s: %dx%d / %dx%d" % (sa.name, sa.nrows, sa.ncols, sb.nrows, sb.ncols))
            continue
        for r in range(sa.nrows):
            for c in range(sa.ncols):
                ca, cb = sa.cell(r, c), sb.cell(r, c)
                cells += 1
                if (ca.ctype, ca.value) != (cb.ctype, cb.value):
                    say("sheet %s %s: %r / %r" % (sa.name, xlrd.formula.cellname(r, c), ca.value, cb.value))
    return cells


def main(argv):
    args = argv[1:]
    skipped = set()
    while "--skip" in args:
        i = args.index("--skip")
        skipped.add(args[i + 1].lower())
        del args[i:i + 2]
    linux_root, windows_root = args
    linux, windows = files_of(linux_root, skipped), files_of(windows_root, skipped)
    differences = []
    for name in sorted(set(linux) ^ set(windows)):
        differences.append("%s: only in the %s output" % (name, "Linux" if name in linux else "Windows"))
    counts = {"tables": 0, "workbooks": 0, "cells": 0, "files": 0}
    for name in sorted(set(linux) & set(windows)):
        def say(text, name=name):
            differences.append("%s: %s" % (name, text))
        a, b = linux[name], windows[name]
        if name.endswith(".dbf"):
            compare_table(a, b, say)
            counts["tables"] += 1
        elif name.endswith(".xls"):
            counts["cells"] += compare_workbook(a, b, say) or 0
            counts["workbooks"] += 1
        else:
            with open(a, "rb") as fa, open(b, "rb") as fb:
                if fa.read() != fb.read():
                    say("bytes differ")
            counts["files"] += 1
    for line in differences:
        print(line)
    print("compared %(tables)d tables, %(workbooks)d workbooks (%(cells)d cells), %(files)d other files" % counts)
    if not linux:
        print("nothing to compare")
        return 1
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
