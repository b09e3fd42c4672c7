// Shared set-up of the AJPIS report tests: the town hall's settings, the
// editable templates in the data folder, a run of the report into a fresh
// output folder, and the readers that look at the workbooks (xlrd) and check
// them against the tables (ajpis_check.py with dbfread and LibreOffice).
#pragma once

#include "ReportsFixture.h"
#include "documents/TemplateStore.h"
#include "register/AdminValues.h"
#include "reports/AjpisReport.h"

#include <QDir>

inline int SerialOf(int month, int year) { return year * 12 + month - 1; }

class AjpisTest : public ReportsTest {
protected:
    void SetUp() override
    {
        ReportsTest::SetUp();
        MaterializeTemplates();
        WriteSetting("SETARI", "CODJUD", "01");
        WriteSetting("SETARI", "PRIMAR", "Ion Popescu");
        WriteSetting("SETARI", "INTOCMIT", "Maria Ionescu");
        WriteSetting("SETARI", "TIPLOC", "0");
        hestavo::SetAdminValues(hestavo::LoadAdminSettings());
    }

    // Runs the report for the working month and period into a fresh folder.
    hestavo::AjpisOutcome Run(const QString& month, int start, int end, hestavo::AjpisProgress* progress = nullptr)
    {
        m_out = OutFolder() + "/run" + QString::number(++m_runs) + "/LEMNE_AJPIS";
        QDir().mkpath(m_out);
        return hestavo::WriteAjpisReport({month, start, end, m_out}, hestavo::LoadAdminSettings(), progress);
    }
    const QString& Output() const { return m_out; }

    static void ClearApplications() { Db().exec(("DELETE FROM " + quotedTable("Cereri.dbf")).toStdString()); }

    // The sum of the numbers of a range ("E7:J61") of a sheet (by name) of a
    // workbook of the last run as xlrd reads them, the text of a one-cell
    // range holding text, or "absent" when the workbook was not written.
    QString Cells(const QString& file, const QString& sheet, const QString& range) const
    {
        const QString script = "import sys, os, xlrd\n"
                               "if not os.path.exists(sys.argv[1]):\n"
                               "    print('absent'); sys.exit(0)\n"
                               "s = xlrd.open_workbook(sys.argv[1]).sheet_by_name(sys.argv[2])\n"
                               "def rc(ref):\n"
                               "    col = ''.join(c for c in ref if c.isalpha()); row = int(ref[len(col):])\n"
                               "    return row - 1, ord(col) - 65\n"
                               "(r1, c1), (r2, c2) = map(rc, sys.argv[3].split(':'))\n"
                               "vals = [s.cell_value(r, c) for r in range(r1, r2 + 1) for c in range(c1, c2 + 1)]\n"
                               "if len(vals) == 1 and isinstance(vals[0], str):\n"
                               "    print(vals[0])\n"
                               "else:\n"
                               "    t = sum(v for v in vals if isinstance(v, float))\n"
                               "    print(int(t) if t == int(t) else t)\n";
        return Python(script, {m_out + "/" + file, sheet, range}).trimmed();
    }

    // The independent check of every workbook of the last run: "name|rows|total"
    // per workbook and "-|name" per annex without data; the test fails on any
    // difference the script finds.
    QStringList Checked(const QString& month, int start, int end) const
    {
        const QString script = QStringLiteral(HESTAVO_SOURCE_DIR "/tests/reports/ajpis_check.py");
        QProcess python;
        python.start(HESTAVO_PYTHON, {script, paths().dataFolder, m_out, month, QString::number(start),
                                      QString::number(end)});
        EXPECT_TRUE(python.waitForFinished(600000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

    static QStringList Summary(const hestavo::AjpisOutcome& outcome)
    {
        QStringList lines;
        for (const hestavo::AjpisFile& f : outcome.files)
            lines << f.name + "|" + QString::number(f.rows) + "|" + QString::number(f.total, 'f', 2);
        for (const QString& name : outcome.withoutData)
            lines << "-|" + name;
        lines.sort();
        return lines;
    }

private:
    QString m_out;
    int m_runs = 0;
};
