// Shared set-up of the supplier report tests: a town hall with county code 04,
// postal codes for two localities, applications of 03.2024 with electricity and
// gas supplements from suppliers whose names hold "/" and an apostrophe or are
// only dots, a refused application, and applications of 01.2024 supplied by CEZ. Outputs
// are read back by xlrd (.xls) and by python's zipfile and XML parser (.xlsx).
#pragma once

#include "ReportsFixture.h"

#include "data/Settings.h"

class SupplierTest : public ReportsTest {
protected:
    void SetUp() override
    {
        ReportsTest::SetUp();
        WriteSetting("SETARI", "JUDET", "BACAU");
        WriteSetting("SETARI", "CODJUD", "04");
        WriteSetting("SETARI", "PRIMAR", "ION POP");
        WriteSetting("CODURIP", "IGHIU", "517360");
        WriteSetting("CODURIP", "SARD", "517365");
        const auto q = [](const char* text) { return '"' + QString::fromUtf8(text) + '"'; };
        AddApplication(1, "03.2024",
                       {{"TITULAR", q("POPESCU")}, {"CNP", q("1800101123456")}, {"LOCALIT", q("IGHIU")},
                        {"ADRESA", q("STR. MARE 1")}, {"NR_DISP", q("12")}, {"DATADISP", q("03.01.2024")},
                        {"NR_MEMBRI", "3"}, {"VENITM", "500.5"}, {"TVENIT", "1501.5"},
                        {"FURNE", q("E.ON GAZ")}, {"SUMAE", "50"}, {"CODCLE", q("0012")}, {"PODE", q("POD1")},
                        {"TITE", q("POPESCU")}, {"FURNG", q("E.ON GAZ")}, {"SUMAG", "100"}, {"CODCLG", q("G77")},
                        {"PODG", q("PODG1")}, {"TITG", q("ION MARIA ANA")}});
        AddApplication(2, "03.2024",
                       {{"TITULAR", q("ION MARIA ANA")}, {"CNP", q("2800101123456")}, {"LOCALIT", q("SARD")},
                        {"ADRESA", q("NR 5")}, {"NR_DISP", q("13")}, {"DATADISP", q("04.01.2024")},
                        {"NR_MEMBRI", "2"}, {"VENITM", "300"}, {"FURNE", q("ENEL/SUD D'EST")}, {"SUMAE", "70"},
                        {"CODCLE", q("C2")}, {"PODE", q("P2")}, {"TITE", q("ION MARIA ANA")}});
        AddApplication(3, "03.2024",
                       {{"TITULAR", q("ABA BOGDAN")}, {"CNP", q("1700101123456")}, {"LOCALIT", q("IGHIU")},
                        {"ADRESA", q("NR 7")}, {"NR_DISP", q("14")}, {"DATADISP", q("05.01.2024")},
                        {"FURNE", q("ENEL/SUD D'EST")}, {"SUMAE", "30"}, {"CODCLE", q("C3")}});
        AddApplication(4, "03.2024",
                       {{"TITULAR", q("ZETA ION")}, {"LOCALIT", q("IGHIU")}, {"NR_DISP", q("15")},
                        {"DATADISP", q("05.01.2024")}, {"FURNE", q("ENEL_SUD D_EST")}, {"SUMAE", "20"}});
        // A gas supplier named only by dots.
        AddApplication(7, "03.2024",
                       {{"TITULAR", q("PUNCT")}, {"LOCALIT", q("IGHIU")}, {"FURNG", q("..")}, {"SUMAG", "5"}});
        // Refused, and approved without any supplement: listed nowhere.
        AddApplication(5, "03.2024",
                       {{"STATUT", q("RESPINS")}, {"TITULAR", q("RES PINS")}, {"LOCALIT", q("IGHIU")},
                        {"FURNE", q("E.ON GAZ")}, {"SUMAE", "99"}, {"FURNG", q("E.ON GAZ")}, {"SUMAG", "99"}});
        AddApplication(6, "03.2024", {{"TITULAR", q("FARA SUPLIMENT")}, {"LOCALIT", q("IGHIU")}, {"FURNE", q("E.ON GAZ")}});
        AddApplication(10, "01.2024",
                       {{"TITULAR", q("BETA ANA")}, {"CNP", q("2900101123456")}, {"LOCALIT", q("SARD")},
                        {"ADRESA", q("NR 1")}, {"NR_DISP", q("3")}, {"NR_MEMBRI", "2"}, {"TVENIT", "900"},
                        {"FURNE", q("CEZ VANZARE")}, {"SUMAE", "40"}, {"CODCLE", q("K1")}, {"PODE", q("KP1")}});
        AddApplication(11, "01.2024",
                       {{"TITULAR", q("ALFA ION")}, {"LOCALIT", q("IGHIU")}, {"NR_DISP", q("4")},
                        {"FURNE", q("CEZ VANZARE")}, {"SUMAE", "60"}});
    }

    // Every non-empty cell of the first sheet of every workbook below folder,
    // as "relative/path!A1" -> value (whole numbers without ".0"), and
    // "relative/path!sheets" -> the number of sheets.
    QMap<QString, QString> Cells(const QString& folder) const
    {
        const QString script = R"(import sys, os, zipfile, xlrd, xml.etree.ElementTree as ET
m = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
def col(n):
    s = ''
    n += 1
    while n:
        n, r = divmod(n - 1, 26)
        s = chr(65 + r) + s
    return s
def v(x):
    return str(int(x)) if isinstance(x, float) and x == int(x) else str(x)
for d, _, files in os.walk(sys.argv[1]):
    for f in sorted(files):
        p = os.path.join(d, f)
        rel = os.path.relpath(p, sys.argv[1])
        if f.endswith('.xls'):
            b = xlrd.open_workbook(p)
            s = b.sheet_by_index(0)
            print(rel + '!sheets|' + str(b.nsheets))
            for r in range(s.nrows):
                for c in range(s.ncols):
                    if s.cell_value(r, c) != '':
                        print(rel + '!' + col(c) + str(r + 1) + '|' + v(s.cell_value(r, c)))
        elif f.endswith('.xlsx'):
            z = zipfile.ZipFile(p)
            sst = []
            if 'xl/sharedStrings.xml' in z.namelist():
                for si in ET.fromstring(z.read('xl/sharedStrings.xml')).iter(m + 'si'):
                    sst.append(''.join(t.text or '' for t in si.iter(m + 't')))
            print(rel + '!sheets|' + str(len(ET.fromstring(z.read('xl/workbook.xml')).find(m + 'sheets'))))
            for c in ET.fromstring(z.read('xl/worksheets/sheet1.xml')).iter(m + 'c'):
                t, e = c.get('t'), c.find(m + 'v')
                if t == 'inlineStr':
                    x = ''.join(i.text or '' for i in c.iter(m + 't'))
                elif e is None:
                    continue
                elif t == 's':
                    x = sst[int(e.text)]
                elif t == 'str':
                    x = e.text or ''
                else:
                    x = v(float(e.text))
                if x != '':
                    print(rel + '!' + c.get('r') + '|' + x)
        else:
            print(rel + '!other|' + f)
)";
        QMap<QString, QString> cells;
        for (const QString& line : Python(script, {folder}).split('\n', Qt::SkipEmptyParts)) {
            const qsizetype bar = line.indexOf('|');
            cells.insert(line.left(bar), line.mid(bar + 1));
        }
        return cells;
    }
};
