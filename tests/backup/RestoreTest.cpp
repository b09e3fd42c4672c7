// The restore: an archive of the reference writer replaces the data, the
// previous data stay in a safety archive and in "DataBAK", bad archives and
// tables in use change nothing, and a restore killed at any point leaves the
// old or the new files, never a mixture.
#include "BackupFixture.h"
#include "SmallDisk.h"

#include "backup/AutomaticSave.h"
#include "backup/RestoreArchive.h"
#include "data/DataFolderStartup.h"
#include "data/Settings.h"
#include "engine/Database.h"
#include "engine/storage/DbfTable.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <iostream>
#include <memory>

#include <zlib.h>

using backup::RestoreArchive;
using backup::RestoreResult;

namespace {

QByteArray int32(qint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((quint32(v) >> (8 * i)) & 0xFF);
    return b;
}

QByteArray zlibEntry(const QByteArray& name, const QByteArray& content)
{
    uLongf len = compressBound(uLong(content.size()));
    QByteArray packed(int(len), '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &len, reinterpret_cast<const Bytef*>(content.constData()),
              uLong(content.size()), 9);
    packed.resize(int(len));
    return int32(qint32(name.size())) + name + int32(qint32(content.size())) + packed;
}

QByteArray declaredEntry(const QByteArray& name, qint32 size, const QByteArray& content)
{
    QByteArray packed = zlibEntry(name, content);
    return packed.replace(4 + name.size(), 4, int32(size));
}

// The program's column definitions with some changed: name -> definition,
// an empty definition drops the column.
QStringList changedColumns(const QStringList& columns, const std::map<QString, QString>& changes)
{
    QStringList out;
    for (const QString& column : columns) {
        const auto change = changes.find(column.section(' ', 0, 0));
        if (change == changes.end())
            out << column;
        else if (!change->second.isEmpty())
            out << change->second;
    }
    return out;
}

// The columns of a table file: name, type, width and decimals, sorted.
std::vector<std::string> tableColumns(const QString& file)
{
    std::vector<std::string> columns;
    const engine::storage::DbfTable table = engine::storage::DbfTable::open(QFile::encodeName(file).toStdString());
    for (const auto& c : table.columns())
        columns.push_back(c.name + " " + c.type + std::to_string(c.width) + "," + std::to_string(c.decimals));
    std::sort(columns.begin(), columns.end());
    return columns;
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value) : m_name(name) { qputenv(name, value); }
    ~ScopedEnvironment() { qunsetenv(m_name); }

private:
    const char* m_name;
};

class RestoreTest : public BackupTest {
protected:
    void SetUp() override
    {
        BackupTest::SetUp();
        // Another database, archived by the reference writer.
        m_other = Root() + "/Other";
        QDir().mkpath(m_other);
        const QString data = paths().dataFolder;
        paths().dataFolder = m_other;
        resetDb();
        CreateMissingTables();
        for (int k = 10; k < 15; ++k)
            AddApplication(k, "ALTUL " + QString::number(k));
        resetDb();
        paths().dataFolder = data;
        WriteFile(m_other + "/Hestavo.set", "[SETARI]\r\nPRIMARIA=ALTA\r\n");
        m_archive = Root() + "/Other.L21";
        QStringList files;
        for (const QString& name : QDir(m_other).entryList(QDir::Files))
            files << m_other + "/" + name;
        ASSERT_EQ(ReferenceArchive(QStringList{"pack", m_archive} + files).exitCode, 0);
        m_before = FolderContents(Data());
    }

    // The bytes of a new empty table with these column definitions.
    QByteArray tableBytes(const QStringList& columns)
    {
        const QString file = Root() + "/Temp/t" + QString::number(++m_tables) + ".dbf";
        Db().exec(sqlLines({"CREATE TABLE " + quotedPath(file), "(" + columns.join(", ") + ")"}));
        resetDb();
        return FileBytes(file);
    }

    // An archive of Cereri and Oameni with these columns and, when given, Log.
    QByteArray tablesArchive(const QStringList& cereri, const QStringList& oameni, const QStringList& log = {})
    {
        QByteArray archive = int32(log.isEmpty() ? 2 : 3) + zlibEntry("Cereri.dbf", tableBytes(cereri))
                             + zlibEntry("Oameni.dbf", tableBytes(oameni));
        if (!log.isEmpty())
            archive += zlibEntry("LOG.DBF", tableBytes(log));
        return archive;
    }

    // Makes the data folder a shared one: the program folder, with its own
    // local data folder, is elsewhere.
    QString ShareTheDataFolder()
    {
        const QString program = Root() + "/Prog";
        QDir().mkpath(program + "/Data");
        paths().programFolder = program;
        paths().localDataFolder = program + "/Data";
        return program;
    }

    QString m_other;
    QString m_archive;
    std::map<QString, QByteArray> m_before;
    int m_tables = 0;
};

TEST_F(RestoreTest, ReferenceArchiveReplacesTheDataAndTheOldDataAreKept)
{
    const RestoreResult r = RestoreArchive(m_archive, Data(), Saves());
    ASSERT_TRUE(r.restored) << r.error.toStdString();
    for (const char* table : {"Cereri.dbf", "Oameni.dbf", "LOG.DBF"})
        EXPECT_EQ(ReaderRows(Data() + "/" + table), ReaderRows(m_other + "/" + table)) << table;
    EXPECT_EQ(FileBytes(Data() + "/Hestavo.set"), FileBytes(m_other + "/Hestavo.set"));
    // The replaced files are in "DataBAK" beside the data folder...
    EXPECT_EQ(r.safetyFolder, Root() + "/DataBAK");
    EXPECT_EQ(FolderContents(r.safetyFolder), m_before);
    // ...and in a dated safety archive in the automatic-save folder.
    ASSERT_TRUE(r.safetyArchive.startsWith(Saves() + "/")) << r.safetyArchive.toStdString();
    QTemporaryDir out;
    ASSERT_EQ(ReferenceArchive({"unpack", r.safetyArchive, out.path()}).exitCode, 0);
    EXPECT_EQ(ReaderRows(out.filePath("Cereri.dbf")), ReaderRows(r.safetyFolder + "/Cereri.dbf"));
    // No staging folder or journal is left.
    EXPECT_FALSE(QFileInfo::exists(Data() + ".new"));
    EXPECT_FALSE(QFileInfo::exists(Data() + ".restore.jrn"));

    // The safety archive restored in turn brings the previous data back.
    std::map<QString, QByteArray> previousRows;
    for (const char* table : {"Cereri.dbf", "Oameni.dbf"})
        previousRows[table] = ReaderRows(r.safetyFolder + "/" + table);
    const RestoreResult back = RestoreArchive(r.safetyArchive, Data(), Saves());
    ASSERT_TRUE(back.restored) << back.error.toStdString();
    for (const auto& [table, rows] : previousRows)
        EXPECT_EQ(ReaderRows(Data() + "/" + table), rows) << table.toStdString();
    EXPECT_EQ(QDir(Saves()).entryList(QDir::Files).size(), 2);
}

TEST_F(RestoreTest, WithoutAWritableAutomaticSaveFolderTheSafetyArchiveGoesBesideTheData)
{
    const RestoreResult r = RestoreArchive(m_archive, Data(), "-");
    ASSERT_TRUE(r.restored) << r.error.toStdString();
    EXPECT_EQ(QFileInfo(r.safetyArchive).absolutePath(), Root());
    EXPECT_EQ(ReferenceArchive({"list", r.safetyArchive}).exitCode, 0);
}

TEST_F(RestoreTest, BadArchivesChangeNothing)
{
    const QByteArray cereri = FileBytes(m_other + "/Cereri.dbf");
    const QByteArray oameni = FileBytes(m_other + "/Oameni.dbf");
    const QByteArray full = FileBytes(m_archive);
    const QStringList c = cereriColumns(), o = oameniColumns(), l = logColumns();
    const struct {
        const char* name;
        QByteArray archive;
        const char* reason; // what follows "Restaurare esuata!\r", the archive's path as ARHIVA
    } cases[] = {
        {"truncated stream", full.left(full.size() - 20), "Arhiva este defecta!"},
        {"count 0", int32(0), "Salvarea nu contine niciun fisier."},
        {"no Oameni table", int32(1) + zlibEntry("Cereri.dbf", cereri), "Salvarea nu contine tabela Oameni.dbf."},
        {"table that is not a table",
         int32(2) + zlibEntry("Cereri.dbf", QByteArray(700, 'x')) + zlibEntry("Oameni.dbf", oameni),
         "Tabela Cereri.dbf din salvare nu poate fi citita"},
        {"hostile name", int32(1) + zlibEntry("../Cereri.dbf", cereri), "Arhiva este defecta!"},
        {"two names for one table", int32(3) + zlibEntry("Cereri.dbf", cereri) + zlibEntry("Oameni.dbf", oameni)
                                        + zlibEntry("CERERI.DBF", cereri),
         "Arhiva este defecta!\rArhiva ARHIVA este defecta: fisierul 3 (CERERI.DBF) are acelasi nume ca fisierul 1 (Cereri.dbf)."},
        {"the Oameni table as Cereri", int32(2) + zlibEntry("Cereri.dbf", oameni) + zlibEntry("Oameni.dbf", oameni),
         "Tabela Cereri.dbf din salvare nu are structura folosita de program: lipseste coloana LUNADEC."},
        {"a narrower name column", tablesArchive(changedColumns(c, {{"TITULAR", "TITULAR CHAR(20)"}}), o),
         "Tabela Cereri.dbf din salvare nu are structura folosita de program: coloana TITULAR are latimea 20 in loc de 32."},
        {"a key of text", tablesArchive(c, changedColumns(o, {{"NROM", "NROM CHAR(10)"}})),
         "Tabela Oameni.dbf din salvare nu are structura folosita de program: coloana NROM are tipul C in loc de N."},
        {"income without its decimals", tablesArchive(c, changedColumns(o, {{"VENIT", "VENIT DECIMAL(10,0)"}})),
         "Tabela Oameni.dbf din salvare nu are structura folosita de program: coloana VENIT are 0 zecimale in loc de 2."},
        {"a column the program does not know", tablesArchive(c, o, l + QStringList{"EXTRA CHAR(5)"}),
         "Tabela LOG.DBF din salvare nu are structura folosita de program: are coloana necunoscuta EXTRA."},
        {"half of the columns an upgrade adds", tablesArchive(changedColumns(c, {{"TITG", ""}, {"TITE", ""}}), o),
         "Tabela Cereri.dbf din salvare nu are structura folosita de program: lipseste coloana TITG."},
        {"a narrower code the upgrade would not widen",
         tablesArchive(changedColumns(c, {{"PODG", "PODG CHAR(20)"}}), o),
         "Tabela Cereri.dbf din salvare nu are structura folosita de program: coloana PODG are latimea 20 in loc de 40."},
        {"a few bytes declaring a huge table",
         int32(2) + zlibEntry("Cereri.dbf", cereri) + declaredEntry("Oameni.dbf", 1536 << 20, "x"),
         "Arhiva ARHIVA nu poate fi despachetata: fisierul 2 (Oameni.dbf) ar avea 1536 MB, peste limita de 1024 MB a "
         "unui fisier de date."},
        {"a real high-ratio stream",
         int32(3) + zlibEntry("Cereri.dbf", cereri) + zlibEntry("Oameni.dbf", oameni)
             + zlibEntry("Gol.rtf", QByteArray(30 << 20, ' ')),
         "Arhiva ARHIVA nu poate fi despachetata: fisierul 3 (Gol.rtf) declara 30 MB, de peste 200 ori cat ocupa comprimat."},
    };
    for (const auto& c : cases) {
        const QString file = Root() + "/bad.L21";
        WriteFile(file, c.archive);
        const RestoreResult r = RestoreArchive(file, Data(), Saves());
        EXPECT_FALSE(r.restored) << c.name;
        EXPECT_TRUE(QString(r.error).replace(file, "ARHIVA").startsWith("Restaurare esuata!\r" + QString::fromUtf8(c.reason)))
            << c.name << ": " << r.error.toStdString();
        EXPECT_EQ(FolderContents(Data()), m_before) << c.name;
        EXPECT_FALSE(QFileInfo::exists(Root() + "/Cereri.dbf")) << c.name;
        EXPECT_FALSE(QFileInfo::exists(Data() + ".new")) << c.name;
        EXPECT_FALSE(QFileInfo::exists(Root() + "/DataBAK")) << c.name;
        // The safety archive made meanwhile is not kept, nor its side file.
        EXPECT_EQ(QDir(Saves()).entryList(QDir::Files), QStringList()) << c.name;
    }
}

// Tables of older versions, with the columns the start-up upgrade adds or
// widens, are restored; the upgrade then gives them the program's columns.
TEST_F(RestoreTest, TablesOfOlderVersionsAreRestoredAndUpgraded)
{
    const QStringList c = cereriColumns();
    const struct {
        const char* name;
        std::map<QString, QString> changes;
    } versions[] = {
        {"without the payer columns and NR_REF, with short codes and status",
         {{"TITG", ""}, {"CNPG", ""}, {"TITE", ""}, {"CNPE", ""}, {"TITT", ""}, {"CNPT", ""}, {"NR_REF", ""},
          {"CODCLE", "CODCLE CHAR(12)"}, {"PODE", "PODE CHAR(12)"}, {"CODCLG", "CODCLG CHAR(12)"},
          {"PODG", "PODG CHAR(20)"}, {"CODCLT", "CODCLT CHAR(12)"}, {"STATUT", "STATUT CHAR(8)"}}},
        {"without NR_REF", {{"NR_REF", ""}}},
        {"with a short status", {{"STATUT", "STATUT CHAR(7)"}}},
    };
    const std::vector<std::string> current = tableColumns(Data() + "/Cereri.dbf");
    for (const auto& v : versions) {
        const QString file = Root() + "/vechi.L21";
        WriteFile(file, tablesArchive(changedColumns(c, v.changes), oameniColumns()));
        const RestoreResult r = RestoreArchive(file, Data(), "-");
        ASSERT_TRUE(r.restored) << v.name << ": " << r.error.toStdString();
        OpenDataFolder();
        resetDb();
        EXPECT_EQ(tableColumns(Data() + "/Cereri.dbf"), current) << v.name;
    }
}

TEST_F(RestoreTest, TablesOpenElsewhereAreNamedAndNothingChanges)
{
    // A second engine context stands for another computer with the table open.
    engine::Database other(QFile::encodeName(Root() + "/Eng").toStdString());
    engine::TableCursor cursor = other.openCursor((Data() + "/Oameni.dbf").toStdString());
    const RestoreResult r = RestoreArchive(m_archive, Data(), Saves());
    EXPECT_FALSE(r.restored);
    EXPECT_EQ(r.error, "Restaurare esuata!\rTabela \"" + Data() + "/Oameni.dbf\" este folosita de alt proces");
    EXPECT_EQ(FolderContents(Data()), m_before);
    EXPECT_TRUE(QDir(Saves()).entryList(QDir::Files).isEmpty());
}

TEST_F(RestoreTest, RecoveryPutsThePreviousFilesBackAfterAKillBetweenTheRenames)
{
    // The state a restore leaves when killed between its two renames, with a
    // start-up that then created a fresh data folder.
    const QString safety = Root() + "/DataBAK";
    ASSERT_TRUE(QDir().rename(Data(), safety));
    QDir().mkpath(Data() + ".new");
    WriteFile(Data() + ".new/Cereri.dbf", "new");
    WriteFile(Data() + ".restore.jrn", "x");
    QDir().mkpath(Data());
    WriteFile(Data() + "/Hestavo.set", "fresh");
    EXPECT_TRUE(backup::RecoverInterruptedRestore(Data()));
    EXPECT_EQ(FolderContents(Data()), m_before);
    EXPECT_FALSE(QFileInfo::exists(Data() + ".new"));
    EXPECT_FALSE(QFileInfo::exists(Data() + ".restore.jrn"));
    EXPECT_EQ(FileBytes(Data() + ".partial/Hestavo.set"), "fresh");
}

TEST_F(RestoreTest, AFullDiskIsToldAsSuchAndChangesNothing)
{
    // The data folder on a disk of its own, with room for the data but not
    // for a restored document of 1.5 MB.
    SmallDisk disk(Root() + "/Disc", 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const QString data = Root() + "/Disc/Data";
    QDir().mkpath(data);
    for (const auto& [name, bytes] : m_before)
        WriteFile(data + "/" + name, bytes);
    paths().dataFolder = paths().localDataFolder = data;
    QByteArray document(1500000, '\0');
    for (char& ch : document)
        ch = char(QRandomGenerator::global()->bounded(256));
    WriteFile(m_other + "/Poza.bin", document);
    QStringList files;
    for (const QString& name : QDir(m_other).entryList(QDir::Files))
        files << m_other + "/" + name;
    ASSERT_EQ(ReferenceArchive(QStringList{"pack", m_archive} + files).exitCode, 0);

    const RestoreResult r = RestoreArchive(m_archive, data, Saves());
    EXPECT_FALSE(r.restored);
    EXPECT_TRUE(r.error.startsWith("Restaurare esuata!\rDiscul este plin! Fisierele din arhiva")) << r.error.toStdString();
    EXPECT_EQ(FolderContents(data), m_before);
    EXPECT_EQ(QDir(Root() + "/Disc").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Data"});
}

// A shared data folder: the staging folder and "DataBAK" are in the program
// folder; a folder that cannot be renamed (a share root, a mount point) has
// its files replaced instead, and its sub-folders stay.
TEST_F(RestoreTest, SharedDataFolderIsRestoredFromTheProgramFolder)
{
    const QString program = ShareTheDataFolder();
    const std::map<QString, QByteArray> fresh = FolderContents(m_other);
    for (const bool pinned : {false, true}) {
        SCOPED_TRACE(pinned ? "data folder that cannot be renamed" : "data folder that can be renamed");
        QDir(Data()).removeRecursively();
        QDir().mkpath(Data() + "/Modele");
        for (const auto& [name, bytes] : m_before)
            WriteFile(Data() + "/" + name, bytes);
        WriteFile(Data() + "/Modele/Anexa.rtf", "model");
        std::unique_ptr<ScopedEnvironment> pin;
        if (pinned)
            pin = std::make_unique<ScopedEnvironment>("HESTAVO_TEST_RESTORE_PINNED", "1");
        const RestoreResult r = RestoreArchive(m_archive, Data(), "-");
        ASSERT_TRUE(r.restored) << r.error.toStdString();
        EXPECT_EQ(FolderContents(Data()), fresh);
        EXPECT_EQ(r.safetyFolder, program + "/DataBAK");
        EXPECT_EQ(FolderContents(r.safetyFolder), m_before);
        EXPECT_EQ(QFileInfo(r.safetyArchive).absolutePath(), program);
        EXPECT_EQ(FileBytes((pinned ? Data() : r.safetyFolder) + "/Modele/Anexa.rtf"), "model");
        // Nothing is left beside the data folder or in the program folder.
        EXPECT_EQ(QDir(Root()).entryList({"Data*"}, QDir::AllEntries), QStringList{"Data"});
        EXPECT_EQ(QDir(program).entryList({"Retea*"}, QDir::AllEntries), QStringList());
        QFile::remove(r.safetyArchive);
    }
}

#ifdef HESTAVO_CLI
// Starts hestavo-cli on the program folder of the test with extra environment.
bool StartCli(QProcess& cli, const QString& program, const QString& system, const QStringList& arguments,
              const std::map<QString, QString>& extra = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HESTAVO_SYSTEM_DIR", system);
    for (const auto& [name, value] : extra)
        env.insert(name, value);
    cli.setProcessEnvironment(env);
    cli.start(HESTAVO_CLI, QStringList{"--program-dir", program} + arguments);
    return cli.waitForStarted();
}

// A restore of a shared data folder that cannot be renamed, ended at every
// step of its file exchange as a kill would end it: the repair at the next
// start always gives back the previous files, and a restore that got to the
// end gives the new ones.
TEST_F(RestoreTest, KilledFileExchangesAreRepairedToTheOldFiles)
{
    const QString program = ShareTheDataFolder();
    WriteMachineSetting("SERVER", QDir::toNativeSeparators(Data()));
    std::map<QString, QByteArray> fresh;
    {
        QTemporaryDir probe;
        ASSERT_EQ(ReferenceArchive({"unpack", m_archive, probe.path()}).exitCode, 0);
        fresh = FolderContents(probe.path());
    }
    int stopped = 0, mixed = 0;
    bool completed = false;
    for (int step = 1; step < 40 && !completed; ++step) {
        SCOPED_TRACE("stopped after step " + std::to_string(step));
        QDir(Data()).removeRecursively();
        QDir(program + "/DataBAK").removeRecursively();
        QDir().mkpath(Data());
        for (const auto& [name, bytes] : m_before)
            WriteFile(Data() + "/" + name, bytes);
        QProcess cli;
        ASSERT_TRUE(StartCli(cli, program, Root() + "/Sys", {"backup", "restore", m_archive},
                             {{"HESTAVO_TEST_RESTORE_PINNED", "1"}, {"HESTAVO_TEST_RESTORE_STOP", QString::number(step)}}));
        ASSERT_TRUE(cli.waitForFinished(120000));
        completed = cli.exitCode() == 0;
        if (completed) {
            EXPECT_EQ(FolderContents(Data()), fresh);
            EXPECT_EQ(FolderContents(program + "/DataBAK"), m_before);
        } else {
            ASSERT_EQ(cli.exitCode(), 3) << cli.readAllStandardError().toStdString();
            ++stopped;
            const std::map<QString, QByteArray> now = FolderContents(Data());
            mixed += now != m_before && now != fresh;
            EXPECT_TRUE(backup::RecoverInterruptedRestore(Data()));
            EXPECT_EQ(FolderContents(Data()), m_before);
            EXPECT_FALSE(QFileInfo::exists(program + "/DataBAK"));
        }
        EXPECT_EQ(QDir(program).entryList({"Retea*"}, QDir::AllEntries), QStringList());
        for (const QString& name : QDir(program).entryList({"*_*.L21"}, QDir::Files))
            QFile::remove(program + "/" + name);
    }
    EXPECT_TRUE(completed);
    // The journal and every file moved out and in: far more steps than one.
    EXPECT_GE(stopped, int(m_before.size() + fresh.size()));
    EXPECT_GT(mixed, 0);
}

// Text of about `bytes` bytes that compresses like a document.
QByteArray DocumentText(int bytes, int seed)
{
    QByteArray text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "Cerere " + QByteArray::number(seed * 100000 + i) + " pentru ajutorul de incalzire, venit "
                + QByteArray::number((i * 7919 + seed) % 5000) + " lei\\par\r\n";
    return text;
}

TEST_F(RestoreTest, KilledRestoresLeaveTheOldOrTheNewFilesNeverAMixture)
{
    // Documents of a few megabytes on both sides, so that unpacking and the
    // safety archive take long enough to be interrupted.
    WriteFile(Data() + "/C1.rtf", DocumentText(4000000, 1));
    m_before = FolderContents(Data());
    WriteFile(m_other + "/C2.rtf", DocumentText(4000000, 2));
    QStringList files;
    for (const QString& name : QDir(m_other).entryList(QDir::Files))
        files << m_other + "/" + name;
    ASSERT_EQ(ReferenceArchive(QStringList{"pack", m_archive} + files).exitCode, 0);
    std::map<QString, QByteArray> fresh; // the files as a completed restore leaves them
    {
        QTemporaryDir probe;
        ASSERT_EQ(ReferenceArchive({"unpack", m_archive, probe.path()}).exitCode, 0);
        fresh = FolderContents(probe.path());
    }
    auto resetData = [&] {
        QDir(Data()).removeRecursively();
        QDir(Root() + "/DataBAK").removeRecursively();
        QDir().mkpath(Data());
        for (const auto& [name, bytes] : m_before)
            WriteFile(Data() + "/" + name, bytes);
    };
    auto startRestore = [&](QProcess& cli, const QString& archive) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HESTAVO_SYSTEM_DIR", Root() + "/Sys");
        cli.setProcessEnvironment(env);
        cli.start(HESTAVO_CLI, {"--program-dir", Root(), "backup", "restore", archive});
        return cli.waitForStarted();
    };
    auto timedRun = [&](const QString& archive, int expectedExit) {
        QElapsedTimer clock;
        clock.start();
        QProcess cli;
        EXPECT_TRUE(startRestore(cli, archive));
        EXPECT_TRUE(cli.waitForFinished(120000));
        EXPECT_EQ(cli.exitCode(), expectedExit) << cli.readAllStandardError().toStdString();
        return int(clock.elapsed());
    };
    // The program's start alone (a missing archive is refused at once), and
    // one whole restore: the kills are spread from a little before the
    // restore begins to its end.
    resetData();
    const int start = timedRun(Root() + "/lipsa.L21", 1);
    const int whole = timedRun(m_archive, 0);
    const int from = std::min(start, whole) / 2; // the two runs vary on a busy machine
    const int span = std::max(whole - from, 1) + 1;
    int oldSeen = 0, newSeen = 0;
    for (int run = 0; run < 20; ++run) {
        resetData();
        QProcess cli;
        ASSERT_TRUE(startRestore(cli, m_archive));
        QThread::msleep(from + QRandomGenerator::global()->bounded(span));
        cli.kill();
        cli.waitForFinished();
        backup::RecoverInterruptedRestore(Data());
        const std::map<QString, QByteArray> now = FolderContents(Data());
        if (now == m_before) {
            ++oldSeen;
        } else {
            ++newSeen;
            EXPECT_EQ(now, fresh) << "run " << run;
            // A completed swap always has its safety copy.
            EXPECT_EQ(FolderContents(Root() + "/DataBAK"), m_before) << "run " << run;
            const QStringList safety = QDir(Root()).entryList({"*_*.L21"}, QDir::Files);
            ASSERT_FALSE(safety.isEmpty()) << "run " << run;
            EXPECT_EQ(ReferenceArchive({"list", Root() + "/" + safety.first()}).exitCode, 0) << "run " << run;
        }
        EXPECT_FALSE(QFileInfo::exists(Data() + ".new")) << "run " << run;
        for (const QString& name : QDir(Root()).entryList({"*_*.L21"}, QDir::Files))
            QFile::remove(Root() + "/" + name);
    }
    std::cout << "killed restores (start " << start << " ms, whole " << whole << " ms): " << oldSeen << " old, "
              << newSeen << " new\n";
}
#endif

} // namespace
