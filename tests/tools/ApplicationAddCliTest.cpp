// "hestavo-cli application add" as separate processes: its refusals, the row
// it writes, and two workstations (two program folders whose machine settings
// point at one network data folder) adding applications at the same time.
// Tables are read back with python3-dbfread.
#include "data/IniFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

// A valid CNP of a man born 01.01.1980 in county 40 with the serial given.
QString MakeCnp(int serial)
{
    const QString first12 = "180010140" + QString::number(serial).rightJustified(3, '0');
    const char* weights = "279146358279";
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += first12[i].digitValue() * (weights[i] - '0');
    const int rest = sum % 11;
    return first12 + QString::number(rest == 10 ? 1 : rest);
}

class ApplicationAddCli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString root() const { return m_dir.path(); }

    // A hestavo-cli process on the program folder, as the computer named
    // (machine settings from its own system folder), not yet started.
    std::unique_ptr<QProcess> process(const QString& computer, const QStringList& arguments)
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HESTAVO_SYSTEM_DIR", root() + "/sys-" + computer);
        env.insert("HESTAVO_COMPUTER_NAME", computer);
        env.insert("USERNAME", "op");
        p->setProcessEnvironment(env);
        p->setProgram(QStringLiteral(HESTAVO_CLI));
        p->setArguments(QStringList{"--program-dir", root() + "/prog-" + computer} + arguments);
        return p;
    }

    // Waits (generously) for a started process; its exit code, -1 when it did not end normally.
    static int finish(QProcess& p)
    {
        EXPECT_TRUE(p.waitForFinished(300000)) << p.arguments().join(' ').toStdString();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // The rows of a table as dbfread reads them, as a JSON object of columns to value lists.
    QJsonObject columns(const QString& table, const QStringList& names)
    {
        QProcess p;
        const QString script = "import sys,json,dbfread\nrows=list(dbfread.DBF(sys.argv[1]))\n"
                               "print(json.dumps({c:[str(r[c]) for r in rows] for c in sys.argv[2:]}))";
        p.start(QStringLiteral(HESTAVO_PYTHON), QStringList{"-c", script, table} + names);
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }

    static QStringList strings(const QJsonObject& table, const QString& column)
    {
        QStringList list;
        for (const auto& v : table.value(column).toArray())
            list << v.toString();
        return list;
    }

    QTemporaryDir m_dir;
};

TEST_F(ApplicationAddCli, RefusesBadInputAndWritesTheAcceptedRow)
{
    const QString good = MakeCnp(1);
    const struct {
        QStringList arguments;
        const char* message;
    } refusals[] = {
        {{"application", "add", "NUME=POP ION", "CNP=" + good, "LOCALITATE=BRAN", "MEMBRI=2"}, "Nu ati ales luna de lucru!"},
        {{"--month", "13.2024", "application", "add", "NUME=POP ION", "CNP=" + good, "LOCALITATE=BRAN", "MEMBRI=2"},
         "Luna de lucru incorecta: 13.2024"},
        {{"--month", "12.2024", "application", "add", "NUME=POP ION", "CNP=1800101400010", "LOCALITATE=BRAN", "MEMBRI=2"},
         "CNP incorect!"},
        {{"--month", "12.2024", "application", "add", "NUME=POP ION", "LOCALITATE=BRAN", "MEMBRI=2"}, "CNP incorect!"},
        {{"--month", "12.2024", "application", "add", "CNP=" + good, "LOCALITATE=BRAN", "MEMBRI=2"},
         "Lipseste numele si prenumele titularului!"},
        {{"--month", "12.2024", "application", "add", "NUME=POP ION", "CNP=" + good, "MEMBRI=2"},
         "Lipseste Localitatea titularului!"},
        {{"--month", "12.2024", "application", "add", "NUME=POP ION", "CNP=" + good, "LOCALITATE=BRAN", "MEMBRI=0"},
         "Numar de membri incorect!"},
        {{"--month", "12.2024", "application", "add", "NUME=POP ION", "CNP=" + good, "ORAS=BRAN", "MEMBRI=2"},
         "Optiune necunoscuta: ORAS=BRAN"},
        // The editor's limits and rules: a name longer than TITULAR holds, an
        // income TVENIT cannot hold, an approved household above every bracket.
        {{"--month", "12.2024", "application", "add", "NUME=" + QString(33, 'A'), "CNP=" + good, "LOCALITATE=BRAN",
          "MEMBRI=2"},
         "Numele titularului are mai mult de 32 de caractere!"},
        {{"--month", "12.2024", "application", "add", "NUME=POP ION", "CNP=" + good, "LOCALITATE=BRAN", "MEMBRI=2",
          "VENIT=10000000"},
         "Venitul total este prea mare!"},
        {{"--month", "12.2024", "application", "add", "NUME=POP ION", "CNP=" + good, "LOCALITATE=BRAN", "MEMBRI=1",
          "VENIT=9000"},
         "Cererea NU poate fi APROBATA!"},
    };
    for (const auto& refusal : refusals) {
        auto p = process("PC1", refusal.arguments);
        p->start();
        EXPECT_EQ(finish(*p), 1) << refusal.message;
        EXPECT_TRUE(QString::fromUtf8(p->readAllStandardError()).contains(refusal.message)) << refusal.message;
        EXPECT_TRUE(p->readAllStandardOutput().isEmpty()) << refusal.message;
    }
    const QString cereri = root() + "/prog-PC1/Data/Cereri.dbf";
    EXPECT_TRUE(columns(cereri, {"NRCRT"}).value("NRCRT").toArray().isEmpty()) << "nothing written by a refusal";

    auto p = process("PC1", {"--month", "12.2024", "application", "add", "NUME=POP  ION", "CNP=" + good, "LOCALITATE=BRAN",
                             "ADRESA=Str. Mare 1", "MEMBRI=3", "VENIT=1000"});
    p->start();
    ASSERT_EQ(finish(*p), 0) << p->readAllStandardError().toStdString();
    const QString printed = QString::fromUtf8(p->readAllStandardOutput()).trimmed();
    const QJsonObject row = columns(cereri, {"NRCRT", "TITULAR", "CNP", "LOCALIT", "ADRESA", "NR_MEMBRI", "VENITM", "NR_CERE"});
    ASSERT_EQ(strings(row, "NRCRT").size(), 1);
    EXPECT_EQ(printed, "NRCRT " + strings(row, "NRCRT")[0]);
    EXPECT_EQ(strings(row, "TITULAR")[0], "POP ION");
    EXPECT_EQ(strings(row, "CNP")[0], good);
    EXPECT_EQ(strings(row, "LOCALIT")[0], "BRAN");
    EXPECT_EQ(strings(row, "NR_MEMBRI")[0], "3");
    EXPECT_NEAR(strings(row, "VENITM")[0].toDouble(), 333.33, 0.005);
    const QJsonObject log = columns(root() + "/prog-PC1/Data/Log.dbf", {"ACTIUNE", "UTILIZATOR"});
    EXPECT_TRUE(strings(log, "ACTIUNE").contains("Adaugare Cerere " + strings(row, "NR_CERE")[0] + " - POP ION"));
    EXPECT_TRUE(strings(log, "UTILIZATOR").contains("PC1 - op"));

    // The same holder again in the month: the editor would ask, here no one
    // can answer; the application number is not used up.
    const QString counter = ini::read(root() + "/prog-PC1/Data/Hestavo.set", "INDEX", "NR_CERE").value_or("none");
    auto again = process("PC1", {"--month", "12.2024", "application", "add", "NUME=POP ION", "CNP=" + good,
                                 "LOCALITATE=BRAN", "MEMBRI=3", "VENIT=1000"});
    again->start();
    EXPECT_EQ(finish(*again), 1);
    EXPECT_TRUE(QString::fromUtf8(again->readAllStandardError()).contains("Exista deja acest titular in luna aceasta! (" + good + ")"));
    EXPECT_EQ(strings(columns(cereri, {"NRCRT"}), "NRCRT").size(), 1);
    EXPECT_EQ(ini::read(root() + "/prog-PC1/Data/Hestavo.set", "INDEX", "NR_CERE").value_or("none"), counter);
}

// Two workstations on one network folder, each adding its applications one
// process after another while the other does the same: every application
// arrives, under its own key and application number, and the log names the
// computer of each.
TEST_F(ApplicationAddCli, TwoWorkstationsAddingTogetherOnOneNetworkFolder)
{
    const QString shared = root() + "/prog-SERVER/Data";
    auto prepare = process("SERVER", {"months"});
    prepare->start();
    ASSERT_EQ(finish(*prepare), 0) << prepare->readAllStandardError().toStdString();
    const std::array<QString, 2> computers{"PC1", "PC2"};
    for (const QString& computer : computers) {
        QDir().mkpath(root() + "/sys-" + computer);
        ini::write(root() + "/sys-" + computer + "/Hestavo.ini", "92", "SERVER", shared.toUtf8());
    }

    constexpr int kEach = 40;
    QSet<QString> printedKeys;
    for (int i = 0; i < kEach; ++i) {
        std::array<std::unique_ptr<QProcess>, 2> runs;
        for (int c = 0; c < 2; ++c) {
            runs[c] = process(computers[c], {"--month", "12.2024", "application", "add",
                                             "NUME=" + computers[c] + " TITULAR " + QString::number(i),
                                             "CNP=" + MakeCnp(c * kEach + i + 1), "LOCALITATE=BRAN", "MEMBRI=1"});
            runs[c]->start();
        }
        for (auto& run : runs) {
            ASSERT_EQ(finish(*run), 0) << run->readAllStandardError().toStdString();
            printedKeys << QString::fromUtf8(run->readAllStandardOutput()).trimmed();
        }
    }
    EXPECT_EQ(printedKeys.size(), 2 * kEach) << "a key was printed twice";

    const QJsonObject cereri = columns(shared + "/Cereri.dbf", {"NRCRT", "NR_CERE", "CNP"});
    const QStringList keys = strings(cereri, "NRCRT");
    EXPECT_EQ(keys.size(), 2 * kEach);
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), 2 * kEach) << "NRCRT given twice";
    const QStringList numbers = strings(cereri, "NR_CERE");
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), 2 * kEach) << "application number given twice";
    const QStringList cnps = strings(cereri, "CNP");
    EXPECT_EQ(QSet<QString>(cnps.begin(), cnps.end()).size(), 2 * kEach) << "a row lost or doubled";

    const QJsonObject log = columns(shared + "/Log.dbf", {"IDLOG", "ACTIUNE", "UTILIZATOR"});
    const QStringList ids = strings(log, "IDLOG"), actions = strings(log, "ACTIUNE"), users = strings(log, "UTILIZATOR");
    EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), ids.size()) << "IDLOG given twice";
    for (const QString& computer : computers) {
        int adds = 0;
        for (int r = 0; r < actions.size(); ++r)
            adds += actions[r].startsWith("Adaugare Cerere ") && users.value(r) == computer + " - op";
        EXPECT_EQ(adds, kEach) << computer.toStdString();
    }
    for (const QString& computer : computers)
        EXPECT_FALSE(QFile::exists(root() + "/prog-" + computer + "/Data/Cereri.dbf")) << "worked locally";
}

} // namespace
