// The restore: an archive of the reference writer replaces the data, the
// previous data stay in a safety archive and in "DataBAK", bad archives and
// tables in use change nothing, and a restore killed at any point leaves the
// old or the new files, never a mixture.
#include "BackupFixture.h"

#include "backup/AutomaticSave.h"
#include "backup/RestoreArchive.h"
#include "engine/Database.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <iostream>

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

    QString m_other;
    QString m_archive;
    std::map<QString, QByteArray> m_before;
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
    const QByteArray full = FileBytes(m_archive);
    const struct {
        const char* name;
        QByteArray archive;
        const char* reason;
    } cases[] = {
        {"truncated stream", full.left(full.size() - 20), "Arhiva este defecta!"},
        {"count 0", int32(0), "Salvarea nu contine niciun fisier."},
        {"no Oameni table", int32(1) + zlibEntry("Cereri.dbf", cereri), "Salvarea nu contine tabela Oameni.dbf."},
        {"table that is not a table",
         int32(2) + zlibEntry("Cereri.dbf", QByteArray(700, 'x')) + zlibEntry("Oameni.dbf", FileBytes(m_other + "/Oameni.dbf")),
         "Tabela Cereri.dbf din salvare nu poate fi citita"},
        {"hostile name", int32(1) + zlibEntry("../Cereri.dbf", cereri), "Arhiva este defecta!"},
    };
    for (const auto& c : cases) {
        const QString file = Root() + "/bad.L21";
        WriteFile(file, c.archive);
        const RestoreResult r = RestoreArchive(file, Data(), Saves());
        EXPECT_FALSE(r.restored) << c.name;
        EXPECT_TRUE(r.error.startsWith("Restaurare esuata!\r")) << c.name;
        EXPECT_TRUE(r.error.contains(c.reason)) << c.name << ": " << r.error.toStdString();
        EXPECT_EQ(FolderContents(Data()), m_before) << c.name;
        EXPECT_FALSE(QFileInfo::exists(Root() + "/Cereri.dbf")) << c.name;
        EXPECT_FALSE(QFileInfo::exists(Data() + ".new")) << c.name;
        EXPECT_FALSE(QFileInfo::exists(Root() + "/DataBAK")) << c.name;
        // The safety archive made meanwhile is not kept, nor its side file.
        EXPECT_EQ(QDir(Saves()).entryList(QDir::Files), QStringList()) << c.name;
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

#ifdef HESTAVO_CLI
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
