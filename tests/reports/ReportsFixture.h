// Shared set-up of the export tests: a fresh data folder with the three
// tables and the town hall's settings, rows written straight into Cereri and
// Oameni, and the independent readers (python3, xmllint) run on the outputs.
#pragma once

#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "documents/SpreadsheetOutput.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

inline void TestCoreApplication()
{
    static int argc = 1;
    static char name[] = "test_reports";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

class ReportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestCoreApplication();
        ASSERT_TRUE(m_dir.isValid());
        const QString root = m_dir.path();
        for (const char* sub : {"Data", "Temp", "Sys", "Eng", "Out"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        AppPaths& p = paths();
        p.programFolder = p.exeFolder = root;
        p.dataFolder = p.localDataFolder = root + "/Data";
        p.tempFolder = root + "/Temp";
        p.systemFolder = root + "/Sys";
        p.enginePrivateFolder = root + "/Eng";
        resetDb();
        CreateMissingTables();
        WriteSetting("SETARI", "JUDET", "ALBA");
        WriteSetting("SETARI", "SIRUES", "4562443");
        WriteSetting("SETARI", "PRIMARIA", "Comuna Ighiu");
        WriteSetting("SETARI", "Cu1", "320");
    }
    void TearDown() override
    {
        // Fixtures that send workbook files into their own folder must not
        // leave the next test pointing at a folder that is gone.
        SpreadsheetOutput::FreshTempFile = [](const QString& stem, const QString& ext) { return ::FreshTempFile(stem, ext); };
        resetDb();
    }

    QString OutFolder() const { return m_dir.path() + "/Out"; }

    // One application: the given columns over a plain approved default.
    // Text values are quoted, numbers written as given.
    static void AddApplication(int key, const QString& month, QMap<QString, QString> columns)
    {
        QMap<QString, QString> row{{"NRCRT", QString::number(key)},
                                   {"LUNACRT", QString::number(MonthToSerial(month))},
                                   {"NR_CERE", QString::number(key)},
                                   {"STATUT", "\"APROBAT\""},
                                   {"CUAJUT", "\"X\""},
                                   {"DATACERE", "\"05.01.2024\""},
                                   {"NR_MEMBRI", "1"},
                                   {"TOTAL", "1600"}};
        for (auto it = columns.cbegin(); it != columns.cend(); ++it)
            row[it.key()] = it.value();
        Db().exec(("INSERT INTO " + quotedTable("Cereri.dbf") + " (" + row.keys().join(", ") + ") VALUES ("
                   + row.values().join(", ") + ")")
                      .toStdString());
    }
    static void AddMember(int nrom, int key, const QString& name, const QString& cnp, const QString& role,
                          double income = 0)
    {
        Db().exec(("INSERT INTO " + quotedTable("Oameni.dbf") + " (NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE) VALUES ("
                   + QString::number(nrom) + ", " + QString::number(key) + ", \"" + name + "\", \"" + cnp + "\", "
                   + QString::number(income) + ", \"" + role + "\")")
                      .toStdString());
    }

    // Runs a python3 script on arguments; the test fails on a non-zero exit.
    static QString Python(const QString& script, const QStringList& arguments)
    {
        QProcess python;
        python.start(HESTAVO_PYTHON, QStringList{"-c", script} + arguments);
        EXPECT_TRUE(python.waitForFinished(120000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QString::fromUtf8(python.readAllStandardOutput());
    }

    // xmllint --schema: empty when the file is valid, else its complaints.
    static QString SchemaProblems(const QString& schema, const QString& file)
    {
        QProcess lint;
        lint.start("xmllint", {"--noout", "--schema", QString(HESTAVO_TEST_DATA) + "/" + schema, file});
        EXPECT_TRUE(lint.waitForFinished(120000));
        return lint.exitCode() == 0 ? QString() : QString::fromUtf8(lint.readAllStandardError());
    }

    // Every element of an XML file as python's parser reads it, one per line:
    // depth, tag and its attributes in document order ("2 cereriAprb nrmembri=3|vt=900|vm=300").
    static QStringList XmlOutline(const QString& file)
    {
        const QString script = "import sys, xml.etree.ElementTree as ET\n"
                               "def walk(e, d):\n"
                               "    print(d, e.tag, '|'.join(k + '=' + v for k, v in e.attrib.items()))\n"
                               "    for c in e: walk(c, d + 1)\n"
                               "walk(ET.parse(sys.argv[1]).getroot(), 0)\n";
        return Python(script, {file}).split('\n', Qt::SkipEmptyParts);
    }

    // Rows of the first sheet of an XLS workbook as xlrd reads them, from a
    // 1-based row on, columns A.. joined by "|" (whole numbers without ".0").
    static QStringList XlsRows(const QString& file, int firstRow, int count, int columns)
    {
        const QString script = "import sys, xlrd\n"
                               "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                               "f, n, c = int(sys.argv[2]) - 1, int(sys.argv[3]), int(sys.argv[4])\n"
                               "def v(x):\n"
                               "    return str(int(x)) if isinstance(x, float) and x == int(x) else str(x)\n"
                               "for r in range(f, min(f + n, s.nrows)):\n"
                               "    print('|'.join(v(s.cell_value(r, k)) if k < s.ncols else '' for k in range(c)))\n";
        return Python(script, {file, QString::number(firstRow), QString::number(count), QString::number(columns)})
            .split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
};
