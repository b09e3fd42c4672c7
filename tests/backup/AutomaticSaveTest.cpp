// The save on exit: dated names in the automatic-save folder, the archive
// written back over an archive opened from the command line, and failures
// that keep the working data.
#include "BackupFixture.h"

#include "backup/Archive.h"
#include "backup/AutomaticSave.h"
#include "data/Files.h"

#include <QDate>
#include <QFileInfo>

using backup::DatedArchiveName;
using backup::ExitSaveResult;
using backup::SaveOnExit;

namespace {

class AutomaticSaveTest : public BackupTest {};

TEST_F(AutomaticSaveTest, DatedNameTakesTheFirstFreeNumber)
{
    const QDate day(2026, 3, 7);
    const struct {
        QStringList existing;
        QString expected;
    } cases[] = {
        {{}, "07032026_0.L21"},
        {{"07032026_0.L21"}, "07032026_1.L21"},
        {{"07032026_0.L21", "07032026_1.L21"}, "07032026_2.L21"},
        {{"07032026_1.L21"}, "07032026_0.L21"},        // a gap is filled
        {{"06032026_0.L21"}, "07032026_0.L21"},        // another day does not count
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        for (const QString& name : c.existing) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(QFileInfo(DatedArchiveName(dir.path(), day)).fileName(), c.expected) << c.existing.join(",").toStdString();
    }
}

TEST_F(AutomaticSaveTest, TwoExitSavesOfADayGiveTwoArchivesTheReferenceReaderLists)
{
    const ExitSaveResult first = SaveOnExit();
    const ExitSaveResult second = SaveOnExit();
    ASSERT_TRUE(first.saved) << first.error.toStdString();
    ASSERT_TRUE(second.saved) << second.error.toStdString();
    const QString today = QDate::currentDate().toString("ddMMyyyy");
    EXPECT_EQ(first.target, Saves() + "/" + today + "_0.L21");
    EXPECT_EQ(second.target, Saves() + "/" + today + "_1.L21");

    const ToolRun list = ReferenceArchive({"list", first.target});
    ASSERT_EQ(list.exitCode, 0) << list.out.toStdString();
    QStringList names;
    for (const QByteArray& line : list.out.trimmed().split('\n'))
        names << QString::fromUtf8(line.split('\t').first());
    names.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, QStringList({"Cereri.dbf", "LOG.DBF", "Oameni.dbf"}));

    // The table copies have their production-index flag (byte 28) cleared and
    // hold the rows of the data folder.
    QTemporaryDir out;
    ASSERT_EQ(ReferenceArchive({"unpack", first.target, out.path()}).exitCode, 0);
    EXPECT_EQ(FileBytes(out.filePath("Cereri.dbf")).at(28), '\0');
    EXPECT_EQ(ReaderRows(out.filePath("Cereri.dbf")), ReaderRows(Data() + "/Cereri.dbf"));
    // Nothing is left in the temporary folder's work files.
    EXPECT_TRUE(QDir(paths().tempFolder + "/TmpL226").entryList(QDir::Files).isEmpty());
}

// Works in an archive as the start-up opens it: unpacked into a "SAV" folder.
class OpenedArchiveTest : public BackupTest {
protected:
    void SetUp() override
    {
        BackupTest::SetUp();
        m_archive = Root() + "/Lucru.L21";
        ASSERT_EQ(ReferenceArchive({"pack", m_archive, Data() + "/Cereri.dbf", Data() + "/Oameni.dbf",
                                    Data() + "/LOG.DBF"})
                      .exitCode,
                  0);
        const backup::CommandLineArchive opened = backup::OpenCommandLineArchive(m_archive);
        ASSERT_EQ(opened.outcome, backup::CommandLineArchive::Outcome::Opened) << opened.error.toStdString();
        resetDb();
        AddApplication(3, "NOU VASILE");
        resetDb();
    }
    QString m_archive;
};

TEST_F(OpenedArchiveTest, ExitSaveWritesTheChangesBackIntoTheOpenedArchive)
{
    const QByteArray edited = ReaderRows(Data() + "/Cereri.dbf");
    ASSERT_TRUE(edited.contains("NOU VASILE"));
    const ExitSaveResult r = SaveOnExit();
    ASSERT_TRUE(r.saved) << r.error.toStdString();
    EXPECT_EQ(r.target, m_archive);
    QTemporaryDir out;
    ASSERT_EQ(ReferenceArchive({"unpack", m_archive, out.path()}).exitCode, 0);
    EXPECT_EQ(ReaderRows(out.filePath("Cereri.dbf")), edited);
    // No automatic-save archive is made while an archive is worked on.
    EXPECT_TRUE(QDir(Saves()).entryList(QDir::Files).isEmpty());
}

TEST_F(OpenedArchiveTest, FailedWriteBackKeepsTheWorkingDataAndTheOldArchive)
{
    const QByteArray before = FileBytes(m_archive);
    const QByteArray edited = ReaderRows(Data() + "/Cereri.dbf");
    // The archive's folder can no longer be written.
    paths().openedArchive = Root() + "/gone/Lucru.L21";
    const ExitSaveResult r = SaveOnExit();
    EXPECT_FALSE(r.saved);
    EXPECT_FALSE(r.error.isEmpty());
    ASSERT_FALSE(r.keptFolder.isEmpty());
    // The working folder left the temporary folder, which the exit deletes.
    EXPECT_FALSE(r.keptFolder.startsWith(paths().tempFolder));
    EXPECT_EQ(ReaderRows(r.keptFolder + "/Cereri.dbf"), edited);
    EXPECT_EQ(FileBytes(m_archive), before);
}

TEST_F(AutomaticSaveTest, RefusedOnNetworkClientsAndWhenTurnedOff)
{
    const struct {
        const char* name;
        QString dataFolder, autoSaveFolder, error;
    } cases[] = {
        {"network client", "/Server/Data", "/Salvari", "Numai Serverul poate salva automat!"},
        {"turned off", "", "-", "Salvarea automata este dezactivata!"},
    };
    const QString local = Data();
    for (const auto& c : cases) {
        paths().dataFolder = c.dataFolder.isEmpty() ? local : Root() + c.dataFolder;
        paths().autoSaveFolder = c.autoSaveFolder == "-" ? c.autoSaveFolder : Root() + c.autoSaveFolder;
        const ExitSaveResult r = SaveOnExit();
        EXPECT_FALSE(r.saved) << c.name;
        EXPECT_EQ(r.error, c.error) << c.name;
    }
    EXPECT_TRUE(QDir(Saves()).entryList(QDir::Files).isEmpty());
}

TEST_F(AutomaticSaveTest, AnAutomaticSaveFolderThatCannotBeMadeIsReported)
{
    QFile blocker(Root() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    paths().autoSaveFolder = Root() + "/blocker/sub";
    const ExitSaveResult r = SaveOnExit();
    EXPECT_FALSE(r.saved);
    EXPECT_TRUE(r.error.contains("blocker")) << r.error.toStdString();
    EXPECT_TRUE(r.keptFolder.isEmpty());
}

#ifdef HESTAVO_CLI
TEST_F(AutomaticSaveTest, ScheduledSaveFromTheCommandLine)
{
    // The machine settings name the automatic-save folder, as the
    // administration window leaves them.
    WriteFile(Root() + "/Sys/Hestavo.ini", ("[92]\r\nCALESALVARI=" + QDir::toNativeSeparators(Saves()) + "\r\n").toUtf8());
    resetDb();
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HESTAVO_SYSTEM_DIR", Root() + "/Sys");
    cli.setProcessEnvironment(env);
    cli.start(HESTAVO_CLI, {"--program-dir", Root(), "backup", "auto"});
    ASSERT_TRUE(cli.waitForFinished(120000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QString target = Saves() + "/" + QDate::currentDate().toString("ddMMyyyy") + "_0.L21";
    EXPECT_EQ(cli.readAllStandardOutput().trimmed(), ("salvare: " + QDir::toNativeSeparators(target)).toUtf8());
    EXPECT_EQ(ReferenceArchive({"list", target}).exitCode, 0);
}
#endif

} // namespace
