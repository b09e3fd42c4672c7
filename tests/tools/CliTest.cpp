// hestavo-cli as a user runs it: a separate process on a temporary program
// folder (its own machine settings), results read back with independent
// readers.
#include "data/IniFile.h"
#include "data/Months.h"
#include "tools/demo-db/DemoDatabase.h"
#include "tools/demo-db/DemoSettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_program = m_dir.path() + "/prog";
        QDir().mkpath(m_program);
    }

    QString data() const { return m_program + "/Data"; }

    CliRun cli(const QStringList& arguments)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HESTAVO_SYSTEM_DIR", m_dir.path() + "/system");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(HESTAVO_CLI), QStringList{"--program-dir", m_program} + arguments);
        EXPECT_TRUE(p.waitForFinished(300000)) << arguments.join(' ').toStdString();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    // Runs python3 with a script and arguments; standard output, trimmed.
    QString python(const QString& script, const QStringList& arguments)
    {
        QProcess p;
        p.start(QStringLiteral(HESTAVO_PYTHON), QStringList{"-c", script} + arguments);
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // Rows of Cereri counted by dbfread where the Python condition on r holds.
    int countRows(const QString& condition)
    {
        return python("import sys,dbfread\nprint(sum(1 for r in dbfread.DBF(sys.argv[1]) if " + condition + "))",
                      {data() + "/Cereri.dbf"})
            .toInt();
    }

    // A demo town hall of a few hundred households over two months.
    demodb::Summary makeDemo()
    {
        demodb::Options o;
        o.folder = data().toStdString();
        o.households = 300;
        o.months = 2;
        const demodb::Summary s = demodb::generate(o);
        demodb::writeSettings(data(), s);
        return s;
    }

    QTemporaryDir m_dir;
    QString m_program;
};

QString setting(const QString& file, const char* section, const char* key)
{
    return QString::fromLatin1(ini::read(file, section, key).value_or("<none>"));
}

} // namespace

TEST_F(Cli, HelpListsEveryCommandAndUnknownOnesFail)
{
    const CliRun help = cli({"help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"months", "month add LL.AAAA", "month delete LL.AAAA", "recalc", "backup save FISIER",
                                "backup open FISIER FOLDER"})
        EXPECT_TRUE(help.out.contains("  " + QString(command) + "  ")) << command << "\n" << help.out.toStdString();
    struct Case {
        QStringList arguments;
        const char* error;
    } cases[] = {
        {{"frobnicate"}, "Comanda necunoscuta"},
        {{"month", "add"}, "Utilizare: hestavo-cli month add LL.AAAA"},
        {{"months", "extra"}, "Utilizare: hestavo-cli months"},
        {{"--month"}, "cere o valoare"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.arguments);
        EXPECT_EQ(r.status, 1) << c.error;
        EXPECT_TRUE(r.err.contains(c.error)) << r.err.toStdString();
    }
}

// A folder the window program never opened is laid out as its start-up does.
TEST_F(Cli, FreshFolderIsLaidOutAndMonthsAreAddedAndRefused)
{
    const CliRun list = cli({"months"});
    ASSERT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_EQ(list.out, QString());
    EXPECT_EQ(python("import sys,dbfread\nprint(len(dbfread.DBF(sys.argv[1]).field_names))", {data() + "/Cereri.dbf"}),
              "50");
    EXPECT_EQ(setting(data() + "/Hestavo.set", "SERVER", "Versiune"), "1.0098");
    EXPECT_EQ(setting(data() + "/Hestavo.set", "INDEX", "NRCRT"), "1");

    EXPECT_EQ(cli({"month", "add", "11.2024"}).status, 0);
    EXPECT_EQ(cli({"month", "add", "12.2024"}).status, 0);
    struct Case {
        const char* month;
        const char* error;
    } refused[] = {{"11.2024", "Luna aleasa exista deja!"}, {"13.2024", "Anul este scris gresit!"},
                   {"11.2005", "Anul este scris gresit!"}, {"1.2024", "Anul este scris gresit!"}};
    for (const Case& c : refused) {
        const CliRun r = cli({"month", "add", c.month});
        EXPECT_EQ(r.status, 1) << c.month;
        EXPECT_TRUE(r.err.contains(c.error)) << c.month << ": " << r.err.toStdString();
    }
    EXPECT_EQ(cli({"months"}).out, QString("12.2024\n11.2024\n"));
    EXPECT_EQ(setting(data() + "/Hestavo.set", "VARIABILE", "LUNA_LUCRU"), "12.2024");
    QFile list2(data() + "/Luni.lst");
    ASSERT_TRUE(list2.open(QIODevice::ReadOnly));
    EXPECT_EQ(list2.readAll(), QByteArray("12.2024\r\n11.2024\r\n"));
}

// A changed supplement amount: recalc rewrites exactly the month's rows that
// have that supplement, and says how many.
TEST_F(Cli, RecalcOfADemoMonthPrintsTheRowsChanged)
{
    const demodb::Summary demo = makeDemo();
    const QString month = SerialToMonth(demo.monthSerials.front());
    const QString inMonth = QString("int(r['LUNACRT'])==%1").arg(demo.monthSerials.front());
    const CliRun first = cli({"--month", month, "recalc"});
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains("Cereri recalculate: 300")) << first.out.toStdString();

    ini::write(data() + "/Hestavo.set", "SETARI", "IndG", "15");
    const CliRun second = cli({"--month", month, "recalc"});
    ASSERT_EQ(second.status, 0) << second.err.toStdString();
    const int withGas = countRows(inMonth + " and (r['SUMAG'] or 0)>0");
    ASSERT_GT(withGas, 0);
    EXPECT_TRUE(second.out.contains(QString("Cereri modificate: %1\n").arg(withGas))) << second.out.toStdString();
    EXPECT_EQ(countRows(inMonth + " and (r['SUMAG'] or 0)>0 and r['SUMAG']!=15"), 0);
    EXPECT_EQ(countRows("int(r['LUNACRT'])!=" + QString::number(demo.monthSerials.front())
                        + " and (r['SUMAG'] or 0)==15"),
              0)
        << "another month was touched";

    const CliRun third = cli({"--month", month, "recalc"});
    EXPECT_TRUE(third.out.contains("Cereri modificate: 0\n")) << third.out.toStdString();
}

TEST_F(Cli, MonthDeletionRemovesItsApplicationsAndMembersOnly)
{
    const demodb::Summary demo = makeDemo();
    const int gone = demo.monthSerials.back(), kept = demo.monthSerials.front();
    const CliRun r = cli({"month", "delete", SerialToMonth(gone)});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(countRows(QString("int(r['LUNACRT'])==%1").arg(gone)), 0);
    EXPECT_EQ(countRows(QString("int(r['LUNACRT'])==%1").arg(kept)), 300);
    EXPECT_EQ(python("import sys,dbfread\nk={r['NRCRT'] for r in dbfread.DBF(sys.argv[1])}\n"
                     "print(sum(1 for o in dbfread.DBF(sys.argv[2]) if o['NRCRT'] not in k))",
                     {data() + "/Cereri.dbf", data() + "/Oameni.dbf"}),
              "0")
        << "members left without their application";
    EXPECT_EQ(cli({"months"}).out, SerialToMonth(kept) + "\n");
    EXPECT_EQ(setting(data() + "/Hestavo.set", "VARIABILE", "LUNA_LUCRU"), SerialToMonth(kept));
    const CliRun again = cli({"month", "delete", SerialToMonth(gone)});
    EXPECT_EQ(again.status, 1);
}

// What the windows cannot do, the command line refuses too, with status 1 and
// the tables untouched: a purge or copy against the working month itself
// (a purge would empty the month), a month that is not a month, an import
// into a working month that is not one.
TEST_F(Cli, RefusalsOfMonthsLeaveTheTablesAsTheyWere)
{
    const demodb::Summary demo = makeDemo();
    const QString working = SerialToMonth(demo.monthSerials.back());
    const QString other = SerialToMonth(demo.monthSerials.front());
    ASSERT_EQ(setting(data() + "/Hestavo.set", "VARIABILE", "LUNA_LUCRU"), working);
    auto tables = [this] {
        QByteArray bytes;
        for (const char* name : {"/Cereri.dbf", "/Oameni.dbf"}) {
            QFile f(data() + name);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            bytes += f.readAll();
        }
        return bytes;
    };
    const QByteArray before = tables();
    struct Case {
        QStringList arguments;
        QString error;
    } cases[] = {
        {{"month", "purge-against", working}, "Luna " + working + " este chiar luna de lucru!"},
        {{"--month", other, "month", "purge-against", other}, "Luna " + other + " este chiar luna de lucru!"},
        {{"month", "copy-from", working}, "Luna " + working + " este chiar luna de lucru!"},
        {{"month", "purge-against", "13.2024"}, "Luna incorecta: 13.2024"},
        {{"--month", "2024", "month", "purge-against", other}, "Luna de lucru incorecta: 2024"},
        {{"--month", "00.2025", "import", "vmg", m_dir.path() + "/nu.416"}, "Luna de lucru incorecta: 00.2025"},
        {{"--month", "x", "recalc"}, "Luna de lucru incorecta: x"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.arguments);
        EXPECT_EQ(r.status, 1) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.error)) << c.arguments.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    EXPECT_TRUE(tables() == before) << "a refused command changed the tables";
    EXPECT_EQ(countRows(QString("int(r['LUNACRT'])==%1").arg(demo.monthSerials.back())), 300);
}

// The month check: one line per finding and the summary; status 1 exactly
// while a finding is blocking; the list as a workbook that xlrd reads; an
// empty month is clean.
TEST_F(Cli, CheckPrintsTheFindingsAndFailsOnlyOnBlockingOnes)
{
    const demodb::Summary demo = makeDemo();
    const QString month = SerialToMonth(demo.monthSerials.back());
    const QString book = m_dir.path() + "/verificare.xls";
    const CliRun r = cli({"--month", month, "check", "--out", book});
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    const auto findings = std::count_if(lines.begin(), lines.end(), [](const QString& l) {
        return l.startsWith("blocant | ") || l.startsWith("avertisment | ");
    });
    const auto blocking = std::count_if(lines.begin(), lines.end(), [](const QString& l) { return l.startsWith("blocant | "); });
    EXPECT_TRUE(r.out.contains(QString("%1 constatari: %2 blocante, %3 avertismente\n").arg(findings).arg(blocking).arg(findings - blocking)))
        << r.out.toStdString();
    EXPECT_EQ(r.status, blocking > 0 ? 1 : 0) << r.err.toStdString();
    if (blocking > 0) {
        EXPECT_TRUE(r.err.contains(QString("%1 constatari blocante").arg(blocking))) << r.err.toStdString();
    }
    EXPECT_EQ(python("import sys,xlrd\ns=xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\nprint(s.nrows-1, s.cell_value(0,4))",
                     {book}),
              QString::number(findings) + " Regula");

    const CliRun empty = cli({"--month", "01.2020", "check"});
    EXPECT_EQ(empty.status, 0) << empty.err.toStdString();
    EXPECT_EQ(empty.out, "0 constatari: 0 blocante, 0 avertismente\n");
    const CliRun wrong = cli({"check", "--iesire", "x.xls"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(wrong.err.contains("Folosire: check [--out FISIER.xls]")) << wrong.err.toStdString();
}

// The archive is read back by the independent reader; unpacking it gives the
// same settings file; a hostile archive is refused and writes nothing outside.
TEST_F(Cli, BackupSaveIsReadByTheReferenceReaderAndOpenRefusesHostileEntries)
{
    makeDemo();
    const QString archive = m_dir.path() + "/copie.L21";
    const CliRun save = cli({"backup", "save", archive});
    ASSERT_EQ(save.status, 0) << save.err.toStdString();
    const QString listing = python(
        "import runpy,sys\nsys.argv=['archive_reference.py','list',sys.argv[1]]\n"
        "runpy.run_path('" HESTAVO_SOURCE_DIR "/tests/backup/archive_reference.py', run_name='__main__')",
        {archive});
    QStringList names;
    QString settingsSha;
    for (const QString& line : listing.split('\n')) {
        const QStringList f = line.split('\t');
        ASSERT_EQ(f.size(), 3) << line.toStdString();
        names << f[0];
        if (f[0] == "Hestavo.set")
            settingsSha = f[2];
    }
    for (const char* expected : {"Cereri.dbf", "Oameni.dbf", "Hestavo.set", "Luni.lst"})
        EXPECT_TRUE(names.contains(expected)) << expected << " in " << listing.toStdString();
    EXPECT_EQ(settingsSha, python("import hashlib,sys\nprint(hashlib.sha1(open(sys.argv[1],'rb').read()).hexdigest())",
                                  {data() + "/Hestavo.set"}));

    const QString unpacked = m_dir.path() + "/dezarhivat";
    const CliRun open = cli({"backup", "open", archive, unpacked});
    ASSERT_EQ(open.status, 0) << open.err.toStdString();
    QFile a(unpacked + "/Hestavo.set"), b(data() + "/Hestavo.set");
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    // One entry whose name climbs out of the folder.
    QByteArray hostile;
    auto int32 = [&hostile](qint32 v) {
        char b4[4];
        qToLittleEndian(v, b4);
        hostile.append(b4, 4);
    };
    const QByteArray name = "../iesit.txt", content = "nu trebuie scris";
    int32(1);
    int32(qint32(name.size()));
    hostile += name;
    int32(qint32(content.size()));
    hostile += qCompress(content, 9).mid(4);   // the zlib stream without Qt's length prefix
    const QString bad = m_dir.path() + "/rau.L21";
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(hostile);
    f.close();
    const QString target = m_dir.path() + "/tinta/interior";
    const CliRun refused = cli({"backup", "open", bad, target});
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(refused.err.trimmed().isEmpty());
    EXPECT_FALSE(QFile::exists(m_dir.path() + "/tinta/iesit.txt"));
    EXPECT_TRUE(QDir(target).entryList(QDir::Files).isEmpty());
}
