#!/usr/bin/python3
"""Writes the dBase tables of a related register (minimum-income or
family-allowance database) with the independent python3-dbf writer, for the
import tests.

  register_fixture.py TABLES.json FOLDER

TABLES.json: {"Cereri.dbf": {"fields": "IDCERERE N(10,0); NUME C(40); CEREDATA D", "rows": [[1, "POP ION", "2024-01-10"], ...]}, ...}
Date fields take "YYYY-MM-DD" text or null.
"""
import datetime
import json
import os
import sys

import dbf


def main():
    tables_path, folder = sys.argv[1], sys.argv[2]
    with open(tables_path, encoding="utf-8") as f:
        tables = json.load(f)
    for name, layout in tables.items():
        table = dbf.Table(os.path.join(folder, name), layout["fields"], dbf_type="db3", codepage="cp1250")
        table.open(dbf.READ_WRITE)
        kinds = [table.field_info(n).field_type for n in table.field_names]
        for row in layout["rows"]:
            values = []
            for kind, value in zip(kinds, row):
                if kind == dbf.FieldType.DATE and value:
                    value = datetime.date.fromisoformat(value)
                values.append(value)
            table.append(tuple(values))
        table.close()


if __name__ == "__main__":
    main()
