#!/usr/bin/python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/:
copies of the project's templates and table fixtures, files derived from the
demo database (made anew by hestavo-demo-db), and small inputs made here for
the formats the project keeps no file of (protocol streams, request files,
import tables). Every seed stays under 64 KB. Seeds named "regress-*" (inputs
that once crashed) are kept as they are.

  fuzz/make-corpus.py DEMO_DB_PROGRAM      e.g. build/tools/demo-db/hestavo-demo-db
"""
import glob
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, 'fuzz', 'corpus')
LIMIT = 64 * 1024


def target(name):
    folder = os.path.join(CORPUS, name)
    os.makedirs(folder, exist_ok=True)
    for f in os.listdir(folder):
        if not f.startswith('regress-'):
            os.remove(os.path.join(folder, f))
    return folder


def put(folder, name, data):
    assert len(data) < LIMIT, (folder, name, len(data))
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def copy(folder, pattern):
    for path in sorted(glob.glob(os.path.join(ROOT, pattern))):
        with open(path, 'rb') as f:
            data = f.read()
        if len(data) < LIMIT:
            put(folder, os.path.basename(path), data)


def first_records(path, count):
    """The table with only its first records (the header's count adjusted)."""
    with open(path, 'rb') as f:
        data = f.read()
    n, header, record = struct.unpack_from('<IHH', data, 4)
    n = min(n, count)
    out = bytearray(data[:header + n * record]) + b'\x1a'
    struct.pack_into('<I', out, 4, n)
    return bytes(out)


def table(version, fields, records, v7=False):
    """A table file: fields (name, type, width, decimals), records as field bytes."""
    start, size = (68, 48) if v7 else (32, 32)
    head = bytearray(start)
    head[0] = version
    head[1:4] = bytes([124, 1, 1])
    if v7:
        head[32:40] = b'DBWINUS0'
    for name, kind, width, decimals in fields:
        d = bytearray(size)
        d[0:len(name)] = name.encode()
        if v7:
            d[32], d[33], d[34] = ord(kind), width, decimals
        else:
            d[11], d[16], d[17] = ord(kind), width, decimals
        head += d
    head += b'\x0d'
    struct.pack_into('<IHH', head, 4, len(records), len(head), 1 + sum(f[2] for f in fields))
    return bytes(head) + b''.join(b' ' + r for r in records) + b'\x1a'


def archive(files):
    """A ".L21" archive: int32 count, per entry the name, the size and one zlib stream."""
    out = struct.pack('<i', len(files))
    for name, data in files:
        raw = name.encode('cp1250')
        out += struct.pack('<i', len(raw)) + raw + struct.pack('<i', len(data)) + zlib.compress(data, 9)
    return out


def message(kind, payload=b''):
    return struct.pack('<II', 8 + len(payload), kind) + payload


def demo_tables(program):
    folder = tempfile.mkdtemp()
    subprocess.run([program, folder, '--households', '30', '--months', '1', '--seed', '7'], check=True,
                   stdout=subprocess.DEVNULL)
    return folder


def register_tables(folder, tables):
    tables_layout = os.path.join(folder, 'tables.json')
    with open(tables_layout, 'w', encoding='utf-8') as f:
        json.dump(tables, f)
    subprocess.run([sys.executable, os.path.join(ROOT, 'tests', 'register', 'register_fixture.py'), tables_layout, folder],
                   check=True)
    result = {}
    for name in tables:
        with open(os.path.join(folder, name), 'rb') as f:
            result[name] = f.read()
    return result


VMG = {
    'Cereri.dbf': {'fields': 'IDCERERE N(10,0); CERENR N(10,0); CEREDATA D; STARE C(10); CALDURA C(1); NUME C(40); '
                             'CNP C(13); LOCALIT C(40); STR C(40); STRNR C(10); BLOC C(10); SCARA C(5); ETAJ C(5); '
                             'APART C(5); NRMEMBRI N(7,0); VENITP N(10,2); VENITV N(10,2); VENITA N(10,2); ASF C(1); '
                             'STCIV C(2); SITSCOL C(2)',
                   'rows': [[1, 20, '2024-10-02', 'APROBATA', 'L', 'POP ION', '1800101123456', 'DEJ', 'Florilor', '12',
                             '', '', '', '3', 3, 100.5, 150, 50, 'X', 'CA', 'NU'],
                            [2, 10, None, 'APROBATA', 'L', 'RUS ANA', '', 'DEJ', '', '5', '', '', '', '', 1, 0, 0, 0,
                             '', 'NE', '']]},
    'Oameni.dbf': {'fields': 'IDCERERE N(10,0); NUME C(40); CNPDATA C(13); CUANTUMV N(10,2); CUANTUMP N(10,2); '
                             'CUANTUMA N(10,2); RUDACOD N(2,0)',
                   'rows': [[1, 'POP ION', '1800101123456', 100, 50, 25.5, 1], [1, 'POP MARIA', '', 10, 0, 0, 3],
                            [2, 'RUS ANA', '', 60, 0, 0, 1]]},
}
ASF = {
    'Cereri.dbf': {'fields': 'IDCERERE N(10,0); CERENR N(10,0); CEREDATA D; STARE C(10); CALDURA C(1); NUME C(40); '
                             'CNP C(13); LOCALIT C(40); STRADA C(40); STRNR C(10); BLOC C(10); SCARA C(5); ETAJ C(5); '
                             'APT C(5); L416 C(1); STCIV C(2); SITSCOL C(2); NRCAMERE N(3,0); ASIG C(1)',
                   'rows': [[7, 70, '2024-09-01', 'ACTIVA', 'L', 'LUP DAN', '1700101123456', 'DEJ', 'Lunga', '1', 'A2',
                             'B', '3', '14', 'X', 'CA', 'DA', 2, 'X']]},
    'Oameni.dbf': {'fields': 'IDANCHET N(10,0); NUME C(40); CNPDATA C(13); CUANTUMV N(10,2); CUANTUMA N(10,2); '
                             'RUDACOD N(2,0)',
                   'rows': [[71, 'LUP DAN', '1700101123456', 300, 20.5, 1], [71, 'LUP IOANA', '', 0, 0, 4]]},
    'Anchete.dbf': {'fields': 'IDANCHET N(10,0); IDCERERE N(10,0); LADATA D',
                    'rows': [[70, 7, '2024-08-01'], [71, 7, '2024-09-02']]},
}


def main():
    demo = demo_tables(sys.argv[1])
    scratch = tempfile.mkdtemp()
    tables = {name: first_records(os.path.join(demo, name), 5) for name in ('Cereri.dbf', 'Oameni.dbf', 'LOG.DBF')}
    with open(os.path.join(demo, 'Hestavo.set'), 'rb') as f:
        settings = f.read()

    folder = target('table')
    for name, data in tables.items():
        put(folder, 'demo-' + name, data)
    copy(folder, 'tests/engine/data/*.dbf')
    put(folder, 'foxpro-double.dbf', table(0x30, [('SUMA', 'B', 8, 0), ('NR', 'N', 5, 0)],
                                           [struct.pack('<d', 2.5) + b'   12']))
    put(folder, 'dbase7-double-counter.dbf',
        table(0x04, [('NUME', 'C', 4, 0), ('SUMA', 'O', 8, 0), ('ID', '+', 4, 0)],
              [b'Ana ' + bytes.fromhex('C004000000000000') + bytes.fromhex('80000001')], v7=True))
    # dBase 7 longs: 1, -5 and an empty one (four zero bytes).
    put(folder, 'dbase7-long.dbf',
        table(0x04, [('NR', 'I', 4, 0)], [bytes.fromhex('80000001'), bytes.fromhex('7FFFFFFB'), bytes(4)], v7=True))

    folder = target('sql')
    statements = [
        'SELECT TITULAR, CNP, TOTAL FROM "Cereri.dbf" WHERE LUNACRT=24266 ORDER BY TITULAR',
        'SELECT A.TITULAR, COUNT(*) AS N, SUM(B.VENIT) AS V FROM "Cereri.dbf" A JOIN "Oameni.dbf" B ON A.NRCRT=B.NRCRT '
        'GROUP BY A.TITULAR HAVING COUNT(*) > 1',
        'SELECT UPPER(TITULAR) AS T, SUBSTRING(CNP FROM 1 FOR 7) AS C FROM "Cereri.dbf" WHERE TITULAR LIKE "POP%"',
        'SELECT MAX(NRCRT) AS CODEX_ FROM "Cereri.dbf"',
        'SELECT * FROM "Cereri.dbf" WHERE DATACERE BETWEEN "01.01.2022" AND "31.12.2022" OR STATUT IN ("RESPINS")',
        'SELECT DISTINCT LOCALIT FROM "Cereri.dbf" WHERE NRCRT IN (SELECT NRCRT FROM "Oameni.dbf")',
        'UPDATE "Cereri.dbf" SET TOTAL=TOTAL*2, TITULAR="NOU" WHERE NRCRT=1',
        'DELETE FROM "Oameni.dbf" WHERE VENIT > 100',
        'INSERT INTO "LOG.DBF" (DATA) VALUES ("01.10.2022")',
        'CREATE TABLE "Nou.dbf" (A CHAR(10), B DECIMAL(10,2), C DATE)',
        'ALTER TABLE "Cereri.dbf" ADD OBS CHAR(20)',
    ]
    for i, s in enumerate(statements):
        put(folder, 'statement-%02d.sql' % i, s.encode())

    for name, pattern in (('xls', '*.xls'), ('xlsx', '*.xlsx')):
        folder = target(name)
        copy(folder, 'resources/templates/' + pattern)
        copy(folder, 'tests/workbook/data/' + pattern)

    folder = target('rtf')
    copy(folder, 'resources/templates/*.rtf')
    copy(folder, 'tests/documents/data/*.rtf')

    folder = target('archive')
    put(folder, 'demo.L21', archive(list(tables.items()) + [('Hestavo.set', settings)]))
    put(folder, 'empty.L21', struct.pack('<i', 0))

    folder = target('settings')
    put(folder, 'demo-Hestavo.set', settings)
    put(folder, 'machine.ini', b'[Salvari]\r\nFolder=D:\\Salvari_Date\r\n[TESTUS]\r\nTest=0\r\n')
    put(folder, 'counters.set', b'; contori\r\n[INDEX]\r\nNRCRT=120\nNROM=340\r\n\r\n[SETARI]\r\nJUDET=CLUJ')

    for name, tables_layout in (('vmg', VMG), ('asf', ASF)):
        folder = target(name)
        made = register_tables(tempfile.mkdtemp(dir=scratch), tables_layout)
        order = ['Cereri.dbf', 'Oameni.dbf', 'Anchete.dbf'][:len(tables_layout)]
        for i, table_name in enumerate(order):
            put(folder, '%d-%s' % (i, table_name), bytes([i]) + made[table_name])

    folder = target('server-request')
    requests = {
        'info': b'/INFO\r\n/END\r\n',
        'list': b'/GET_STOC\r\n/END\r\n',
        'put': b'/PUT_FILE salvare de proba\r\n#ATTACH Srv : 5\r\n/END\r\n12345',
        'get': b'/GET_FILE 1\r\n/END\r\n',
        'delete': b'/DEL 1\r\n/INFO\r\n/END\r\n',
        'code': b'/CHECKCOD 123456\r\n/INFO\r\n/END\r\n',
        'reminder': b'/EMAIL_PASS\r\n/END\r\n',
    }
    for name, data in requests.items():
        put(folder, name + '.cmd', data)

    folder = target('client-reply')
    stoc = register_tables(tempfile.mkdtemp(dir=scratch), {'Stoc.dbf': {
        'fields': 'IDSTOC N(12,0); DATAORA N(17,8); OBS C(120)',
        'rows': [[1, 45000.5, 'salvare de proba'], [2, 45001.25, '***']]}})['Stoc.dbf']
    replies = {
        'list': b'/NOWSERVER 45000.5\r\n/MSG_DLG Bine ati venit\r\n#ATTACH Stoc.dbf : %d\r\n/END\r\n' % len(stoc) + stoc,
        'error': b'/EROARE Contul nu este confirmat.\r\n/END\r\n',
        'password': b'/PASS NO\r\n/END\r\n',
    }
    login = message(12) + message(18) + message(5) + message(20)
    for name, reply in replies.items():
        stream = login + message(2, struct.pack('<I', len(reply)) + b'"raspuns"') + message(19, reply)
        put(folder, name + '.bin', stream)
    put(folder, 'ping.bin', message(12) + message(9) + message(18) + message(1) + message(20) +
        message(2, struct.pack('<I', 0)))

    shutil.rmtree(demo)
    shutil.rmtree(scratch)


if __name__ == '__main__':
    main()
