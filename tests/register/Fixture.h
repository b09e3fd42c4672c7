// Shared set-up of the window and command tests: a QApplication, a fresh data
// folder with the three tables, the feedback test mode, and a stand-in for the
// main window's working-month label.
#pragma once

#include "data/Db.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/TestMode.h"
#include "register/WorkingMonth.h"
#include "ui/common/WorkingMonthLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

inline QApplication* TestApplication()
{
    static int argc = 1;
    static char name[] = "test_applications";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApplication();
        ASSERT_TRUE(m_dir.isValid());
        const QString root = m_dir.path();
        for (const char* sub : {"Data", "Temp", "Sys", "Eng"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        AppPaths& p = paths();
        p.programFolder = p.exeFolder = root;
        p.dataFolder = p.localDataFolder = root + "/Data";
        p.tempFolder = root + "/Temp";
        p.systemFolder = root + "/Sys";
        p.enginePrivateFolder = root + "/Eng";
        resetDb();
        CreateMissingTables();
        testmode::enable();
        m_monthLabel = std::make_unique<QLabel>();
        hestavo::BindWorkingMonthLabel(m_monthLabel.get());
    }
    void TearDown() override
    {
        hestavo::BindWorkingMonthLabel(nullptr);
        m_monthLabel.reset();
        testmode::disable();
        resetDb();
    }

    QString DataFile(const QString& name) const { return paths().dataFolder + "/" + name; }

    // Statement helpers on the data folder's tables.
    static void Exec(const QString& statement) { Db().exec(statement.toStdString()); }
    static long long Count(const QString& table, const QString& where = {})
    {
        auto rs = Db().open(("SELECT COUNT(*) AS N FROM " + quotedTable(table) + (where.isEmpty() ? "" : " WHERE " + where))
                                .toStdString());
        rs->first();
        return rs->integer("N");
    }

    // The NRCRT values of a table's rows as an independent dBase reader
    // (python3-dbfread) sees them, deleted rows left out.
    static QList<int> ReaderKeys(const QString& table)
    {
        QProcess python;
        python.start(HESTAVO_PYTHON, {"-c",
                                      "import sys, dbfread\n"
                                      "t = dbfread.DBF(sys.argv[1], encoding='cp1250')\n"
                                      "print(' '.join(str(int(r['NRCRT'])) for r in t))",
                                      tableFile(table)});
        EXPECT_TRUE(python.waitForFinished(60000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        QList<int> keys;
        for (const QByteArray& k : python.readAllStandardOutput().trimmed().split(' '))
            if (!k.isEmpty())
                keys << k.toInt();
        return keys;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QLabel> m_monthLabel;
};
