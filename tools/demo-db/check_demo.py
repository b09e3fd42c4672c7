"""Checks a generated demo database with an independent dBase reader:
row counts per month, valid CNPs, incomes in all eleven aid brackets,
members that belong to existing applications."""
import collections
import sys

import dbfread

folder, households, months = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
cereri = list(dbfread.DBF(folder + "/Cereri.dbf"))
oameni = list(dbfread.DBF(folder + "/Oameni.dbf"))
WEIGHTS = [2, 7, 9, 1, 4, 6, 3, 5, 8, 2, 7, 9]
LIMITS = [200, 320, 440, 560, 680, 920, 1040, 1160, 1280, 1386, 2053]


def valid_cnp(cnp):
    if len(cnp) != 13 or not cnp.isdigit():
        return False
    c = sum(int(d) * w for d, w in zip(cnp[:12], WEIGHTS)) % 11
    return (1 if c == 10 else c) == int(cnp[12])


def bracket(v):
    return next((i for i, lim in enumerate(LIMITS) if v <= lim), len(LIMITS))


per_month = collections.Counter(r["LUNACRT"] for r in cereri)
assert len(per_month) == months and set(per_month.values()) == {households}, per_month
assert all(valid_cnp(r["CNP"]) for r in cereri + oameni), "invalid CNP"
assert {bracket(float(r["VENITM"])) for r in cereri} == set(range(11)), "brackets missing"
keys = {r["NRCRT"] for r in cereri}
assert all(o["NRCRT"] in keys for o in oameni), "member without application"
assert 2.5 < len(oameni) / len(cereri) < 3.5, len(oameni) / len(cereri)
assert any(r["SUMAG"] and r["FURNG"] and r["CODCLG"] for r in cereri), "no gas supplements"

# The settings beside the tables: a database of the current version with a
# complete town hall, its working month and the month list, newest first.
import configparser

settings = configparser.ConfigParser()
settings.optionxform = str.upper
with open(folder + "/Hestavo.set", encoding="cp1250") as f:
    settings.read_file(f)
assert settings["SERVER"]["VERSIUNE"] == "1.0098", dict(settings["SERVER"])
town = settings["SETARI"]
assert town["PRIMARIA"] and town["JUDET"] and town["SIRUES"], dict(town)
assert [town["LIM%d" % (i + 1)] for i in range(11)] == [str(v) for v in LIMITS]
with open(folder + "/Luni.lst", "rb") as f:
    listed = f.read().decode("cp1250").split("\r\n")
assert listed[-1] == "", "lines end in CR LF"
serials = sorted(per_month, reverse=True)
expected = ["%02d.%d" % (s % 12 + 1, s // 12) for s in serials]
assert listed[:-1] == expected, (listed, expected)
assert settings["VARIABILE"]["LUNA_LUCRU"] == expected[0]
