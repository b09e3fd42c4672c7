// Month serials, text clean-up, the line lists and the shared file routines.
#include "FolderFixture.h"

#include "data/Files.h"
#include "data/Months.h"
#include "data/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace {
// The file tests also need the temporary folder.
class Folders : public TempFolders {
protected:
    void SetUp() override
    {
        TempFolders::SetUp();
        if (HasFatalFailure())
            return;
        QDir().mkpath(paths().tempFolder);
    }
};
} // namespace

TEST(MonthSerial, BothWays)
{
    struct Case {
        const char* text;
        int serial;
    } toSerial[] = {{"03.2022", 24266}, {"3.2022", 24266}, {"01.2023", 24276}, {"12.2021", 24263},
                    {"2022", 0},        {"", 0},           {"13.2022", 0},     {"00.2022", 0},
                    {"03.22", 0},       {"a3.2022", 0},    {"03.2022.1", 0}};
    for (const Case& c : toSerial)
        EXPECT_EQ(MonthToSerial(c.text), c.serial) << c.text;
    EXPECT_EQ(SerialToMonth(24266), QString("03.2022"));
    EXPECT_EQ(SerialToMonth(24276), QString("01.2023"));
    EXPECT_EQ(SerialToMonth(0), QString());
    EXPECT_EQ(MonthName(1), QString("ianuarie"));
    EXPECT_EQ(MonthName(12), QString("decembrie"));
    EXPECT_EQ(MonthName(0), QString());
    EXPECT_EQ(MonthName(13), QString());
}

TEST(CleanTextRule, QuotesAndSpaces)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"  Pop  Ion ", "Pop Ion"}, {"Pop \"Ionel\" Ion", "Pop Ionel Ion"}, {"\"", ""},
                 {"\" \" \"", ""},           {"a\"\"b", "a b"},                     {"", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(CleanText(c.in), QString(c.out)) << c.in;
}

TEST_F(Folders, MonthListFile)
{
    EXPECT_TRUE(ReadMonthList().isEmpty());
    WriteMonthList({"04.2022", "03.2022"});
    EXPECT_EQ(fileBytes(paths().dataFolder + "/Luni.lst"), QByteArray("04.2022\r\n03.2022\r\n"));
    EXPECT_EQ(ReadMonthList(), QStringList({"04.2022", "03.2022"}));
    WriteMonthList({});
    EXPECT_FALSE(QFile::exists(paths().dataFolder + "/Luni.lst"));
}

TEST_F(Folders, ReasonListAddsNewNonBlankReasons)
{
    putFile(paths().programFolder + "/Motive.lst", "venituri peste limita\r\n");
    EXPECT_TRUE(AddReason("domiciliu schimbat ţ"));
    EXPECT_FALSE(AddReason("venituri peste limita"));
    EXPECT_FALSE(AddReason("   "));
    EXPECT_EQ(fileBytes(paths().programFolder + "/Motive.lst"),
              QByteArray("venituri peste limita\r\ndomiciliu schimbat \xFE\r\n"));
}

TEST_F(Folders, FreshTempFileNeverHandsOutAnExistingOrGivenName)
{
    const QString first = FreshTempFile("Lege", ".pdf");
    EXPECT_EQ(first, paths().tempFolder + "/TmpL226/Lege0.pdf");
    EXPECT_TRUE(QFileInfo(paths().tempFolder + "/TmpL226").isDir());
    putFile(paths().tempFolder + "/TmpL226/Lege1.pdf", "open elsewhere");
    const QString second = FreshTempFile("Lege", ".pdf");
    EXPECT_EQ(second, paths().tempFolder + "/TmpL226/Lege2.pdf");
    EXPECT_EQ(fileBytes(paths().tempFolder + "/TmpL226/Lege1.pdf"), QByteArray("open elsewhere"));
    EXPECT_EQ(FreshTempFile("FOm", ".dbf"), paths().tempFolder + "/TmpL226/FOm0.dbf");
}

TEST_F(Folders, FreshTempFolderAndDeleteFolderTree)
{
    const QString a = FreshTempFolder("SAV");
    const QString b = FreshTempFolder("SAV");
    EXPECT_EQ(a, paths().tempFolder + "/SAV0");
    EXPECT_EQ(b, paths().tempFolder + "/SAV1");
    EXPECT_TRUE(QFileInfo(b).isDir());
    QDir().mkpath(a + "/Data/sub");
    putFile(a + "/Data/sub/f.txt", "x");
    EXPECT_TRUE(DeleteFolderTree(a));
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_TRUE(DeleteFolderTree(a)) << "a folder already gone counts as deleted";
    EXPECT_FALSE(DeleteFolderTree(""));
    EXPECT_FALSE(DeleteFolderTree("/"));
}

// Folders of runs that were killed are cleared at the next start; a running
// process's folder, folders of other shapes and files stay.
TEST_F(Folders, StaleTempFoldersOfEndedRunsAreCleared)
{
    const QString temp = paths().tempFolder;
    auto startOwner = [&] {
        auto owner = std::make_unique<QProcess>();
        owner->start(QStringLiteral(SETTINGS_WRITER), {"tempfolder", temp});
        EXPECT_TRUE(owner->waitForReadyRead(10000));
        return owner;
    };
    auto alive = startOwner();
    const QString aliveFolder = QString::fromUtf8(alive->readLine()).trimmed();
    auto killed = startOwner();
    const QString killedFolder = QString::fromUtf8(killed->readLine()).trimmed();
    killed->kill();
    killed->waitForFinished();
    ASSERT_TRUE(QFileInfo(killedFolder).isDir());
    ASSERT_TRUE(QFileInfo::exists(killedFolder + ".lock")) << "a killed run leaves its lock behind";

    auto makeFolder = [&](const QString& name, int daysOld) {
        QDir().mkpath(temp + "/" + name);
        putFile(temp + "/" + name + "/f.dbf", "x");
        const auto path = std::filesystem::path((temp + "/" + name).toStdString());
        std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::hours(24 * daysOld));
    };
    makeFolder("SAV7", 3);       // an earlier version's, without a lock
    makeFolder("VMG4", 0);       // without a lock, but recent: maybe still in use
    makeFolder("Documente", 3);  // not a folder this program makes
    putFile(temp + "/SaveRA9", "a file, not a folder");
    const QString mine = FreshTempFolder("ASF");

    EXPECT_EQ(ClearStaleTempFolders(), 2);
    const struct {
        QString path;
        bool kept;
    } expected[] = {{aliveFolder, true}, {killedFolder, false}, {killedFolder + ".lock", false},
                    {temp + "/SAV7", false}, {temp + "/VMG4", true}, {temp + "/Documente", true},
                    {temp + "/SaveRA9", true}, {mine, true}, {mine + ".lock", true}};
    for (const auto& e : expected)
        EXPECT_EQ(QFileInfo::exists(e.path), e.kept) << e.path.toStdString();

    EXPECT_TRUE(DeleteFolderTree(mine));
    EXPECT_FALSE(QFileInfo::exists(mine + ".lock")) << "deleting the folder releases its lock";

    // At the end of a run the temporary folder is emptied, except what the
    // other run still holds.
    const QString mineAgain = FreshTempFolder("ASF");
    EXPECT_TRUE(ClearTempFolderAtExit());
    QStringList left = QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    left.sort();
    const QString aliveName = QFileInfo(aliveFolder).fileName();
    EXPECT_EQ(left, QStringList({aliveName, aliveName + ".lock"}));
    EXPECT_FALSE(QFileInfo::exists(mineAgain));

    alive->closeWriteChannel();
    EXPECT_TRUE(alive->waitForFinished(10000));
}

TEST_F(Folders, MoveFileByCopy)
{
    const QString src = m_dir.path() + "/a.L21", dst = m_dir.path() + "/b.L21";
    QByteArray big(300000, 'z');
    big[12345] = 'q';
    putFile(src, big);
    QString error;
    EXPECT_TRUE(MoveFileByCopy(src, dst, &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(src));
    EXPECT_EQ(fileBytes(dst), big);

    // Missing source: nothing happens to the target.
    EXPECT_FALSE(MoveFileByCopy(src, dst, &error));
    EXPECT_TRUE(error.startsWith("Nu pot citi fisierul"));
    EXPECT_EQ(fileBytes(dst), big);

    // Target in a folder that does not exist: the source stays.
    putFile(src, "keep");
    EXPECT_FALSE(MoveFileByCopy(src, m_dir.path() + "/no/such/x.L21", &error));
    EXPECT_EQ(fileBytes(src), QByteArray("keep"));
}

TEST_F(Folders, ResourceToFileWritesOnlyWhatItCanReplace)
{
    const QString target = m_dir.path() + "/ico1.ico";
    EXPECT_TRUE(ResourceToFile("sample.TXT", "testres", target)) << "names match without case";
    EXPECT_EQ(fileBytes(target), QByteArray("embedded sample\n"));
    putFile(target, "old");
    EXPECT_TRUE(ResourceToFile("sample.txt", "TestRes", target));
    EXPECT_EQ(fileBytes(target), QByteArray("embedded sample\n"));
    EXPECT_FALSE(ResourceToFile("missing", "TestRes", m_dir.path() + "/none"));
    EXPECT_FALSE(QFile::exists(m_dir.path() + "/none"));
#ifndef Q_OS_WIN
    // A file that cannot be deleted (read-only folder) is left alone.
    QDir().mkpath(m_dir.path() + "/ro");
    putFile(m_dir.path() + "/ro/f", "locked");
    QFile::setPermissions(m_dir.path() + "/ro", QFile::ReadOwner | QFile::ExeOwner);
    if (!QFile::remove(m_dir.path() + "/ro/f")) {
        EXPECT_FALSE(ResourceToFile("sample.txt", "TestRes", m_dir.path() + "/ro/f"));
        EXPECT_EQ(fileBytes(m_dir.path() + "/ro/f"), QByteArray("locked"));
    }
    QFile::setPermissions(m_dir.path() + "/ro", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
}

TEST_F(Folders, EnginePrivateFolderSkipsOneInUse)
{
    QDir().mkpath(paths().programFolder + "/TMP0/old");
    const QString first = ChooseEnginePrivateFolder(paths().programFolder);
    EXPECT_EQ(first, paths().programFolder + "/TMP0");
    EXPECT_FALSE(QFileInfo::exists(first + "/old")) << "leftovers of an ended run are cleared";
    EXPECT_EQ(ChooseEnginePrivateFolder(paths().programFolder), paths().programFolder + "/TMP1");
}
