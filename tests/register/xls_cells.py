# Prints the cells of every sheet of an .xls workbook as JSON, read by xlrd:
# {"sheets": [{"name": ..., "rows": [[value, ...], ...]}]}; numbers stay
# numbers (formula cells give their stored result), empty cells are "".
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1])
sheets = []
for sheet in book.sheets():
    rows = [[sheet.cell_value(r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
    sheets.append({"name": sheet.name, "rows": rows})
json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)
