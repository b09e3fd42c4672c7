// Shared set-up of the start-up tests: a QApplication, a fresh program folder,
// system folder and home per test, the test mode of the feedback helpers, and
// small readers of the resulting files.
#pragma once

#include "data/Db.h"
#include "data/Paths.h"
#include "data/TestMode.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

inline QApplication& testApp()
{
    static int argc = 1;
    static char name[] = "test_ui_startup";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

class StartupFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        ASSERT_TRUE(m_dir.isValid());
        m_program = m_dir.path() + "/prog";
        QDir().mkpath(m_program);
        qputenv("HOME", (m_dir.path() + "/home").toUtf8());
        qputenv("XDG_DATA_HOME", (m_dir.path() + "/home/share").toUtf8());
        resetDb();
        initPaths(m_program);
        paths().systemFolder = m_dir.path() + "/sys";
        testmode::enable();
    }
    void TearDown() override
    {
        testmode::disable();
        resetDb();
    }
    // Rows of a query as "COL=value" joined by "|", one string per row.
    static QStringList rows(const QString& sql, const QStringList& columns)
    {
        QStringList out;
        auto rs = Db().open(sql.toStdString());
        for (rs->first(); !rs->eof(); rs->next()) {
            QStringList cells;
            for (const QString& c : columns)
                cells << QString::fromStdString(rs->text(c.toStdString()));
            out << cells.join('|');
        }
        return out;
    }
    // Column names and widths of a table file as read by python3-dbfread.
    static QString dbfColumns(const QString& file)
    {
        QProcess py;
        py.start(HESTAVO_PYTHON,
                 {"-c", "import dbfread,sys\nt=dbfread.DBF(sys.argv[1],load=False)\n"
                        "print(' '.join('%s:%s%d' % (f.name, f.type, f.length) for f in t.fields))",
                  file});
        py.waitForFinished(60000);
        return QString::fromUtf8(py.readAllStandardOutput()).trimmed();
    }
    QTemporaryDir m_dir;
    QString m_program;
};
