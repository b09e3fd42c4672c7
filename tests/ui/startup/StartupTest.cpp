// The start-up sequence from an empty folder to the main window and back.
#include "Fixture.h"

#include "backup/Archive.h"
#include "data/Settings.h"
#include "ui/common/MessageDialog.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Startup.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>

namespace {
QString q(const QString& file) { return quotedTable(file); }
} // namespace

TEST_F(StartupFixture, FirstStartInAnEmptyFolder)
{
    MainWindow main;
    StartupSplash splash(&main);
    const long weekBefore = weekNumber(QDate::currentDate());
    ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    const long weekAfter = weekNumber(QDate::currentDate());
    EXPECT_TRUE(testmode::messages().isEmpty());

    EXPECT_TRUE(QFileInfo(m_program + "/Data").isDir());
    EXPECT_TRUE(QFileInfo(m_program + "/Temp").isDir());
    EXPECT_TRUE(QFileInfo(m_program + "/TMP0").isDir());
    EXPECT_TRUE(QFileInfo::exists(m_program + "/ico1.ico"));
    EXPECT_TRUE(QFileInfo::exists(m_program + "/Data/LOG.DBF"));

    const QStringList cereri = dbfColumns(m_program + "/Data/Cereri.dbf").split(' ');
    EXPECT_EQ(cereri.size(), 50);
    EXPECT_EQ(cereri.first(), QString("NRCRT:N12"));
    EXPECT_EQ(cereri.last(), QString("MODPLATA:C8"));
    EXPECT_TRUE(cereri.contains("CODCLE:C40"));
    EXPECT_TRUE(cereri.contains("STATUT:C10"));
    EXPECT_EQ(dbfColumns(m_program + "/Data/Oameni.dbf").split(' ').size(), 6);
    EXPECT_EQ(dbfColumns(m_program + "/Data/LOG.DBF"),
              QString("IDLOG:N10 DATAL:D8 ORA:C12 ACTIUNE:C120 UTILIZATOR:C16"));

    for (const char* key : {"NRCRT", "NROM", "IDLOG"})
        EXPECT_EQ(ReadSetting("INDEX", key), QString("1")) << key;
    // The week of the start-up, also when the run crosses midnight into a new week.
    const qint64 packed = ReadSettingNumber("CONST", "LASTPACK");
    EXPECT_TRUE(packed == qint64(weekBefore) * kFixedOne || packed == qint64(weekAfter) * kFixedOne) << packed;
    EXPECT_EQ(ReadSetting("SERVER", "Versiune"), QString("1.0098"));
    EXPECT_EQ(ReadSetting("92", "VER"), QString("1.0098"));
    EXPECT_EQ(ReadMachineSetting("CALE"), QDir::toNativeSeparators(m_program));
    EXPECT_EQ(ReadMachineSetting("VER"), QString("1.0098"));
    EXPECT_EQ(readIniText(machineSettingsFile(), "TESTUS", "Test"), QString()) << "probe section erased";
    EXPECT_EQ(main.windowTitle(), QString("Hestavo  ver.1.0098"));
    EXPECT_EQ(main.statusText(), QString("Lucru local."));

    QTimer::singleShot(0, &main, [&] { main.ExitB->click(); });
    main.Entry();
    EXPECT_FALSE(main.saveOnExit());
    EXPECT_TRUE(testmode::messages().isEmpty()) << "locked: no save question";
    EXPECT_EQ(rows("SELECT * FROM " + q("Log.dbf") + " ORDER BY IDLOG", {"IDLOG", "ACTIUNE", "UTILIZATOR"}),
              QStringList({"1|Pornire program|" + paths().userIdentity.left(16),
                           "2|Inchidere Program.|" + paths().userIdentity.left(16)}));

    StartupSplash::Cleanup();
    EXPECT_FALSE(QFileInfo::exists(m_program + "/Temp"));
    EXPECT_TRUE(QFileInfo::exists(m_program + "/Data/Cereri.dbf"));
}

TEST_F(StartupFixture, SecondStartInTheSameWeekPacksNothing)
{
    {
        MainWindow main;
        StartupSplash splash(&main);
        ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    }
    const QString cereri = q("Cereri.dbf");
    for (int i = 1; i <= 3; ++i)
        Db().exec("INSERT INTO " + cereri.toStdString() + " (NRCRT, TITULAR) VALUES (" + std::to_string(i)
                  + ", \"Pop\")");
    Db().exec("DELETE FROM " + cereri.toStdString() + " WHERE NRCRT=3");
    const qint64 sizeWithDeleted = QFileInfo(m_program + "/Data/Cereri.dbf").size();

    int steps = 0;
    // The week the start-up packed in (not today's: the run may cross midnight).
    const long week = long(ReadSettingNumber("CONST", "LASTPACK") / kFixedOne);
    EXPECT_FALSE(WeeklyPack(week, [&] { ++steps; }));
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(QFileInfo(m_program + "/Data/Cereri.dbf").size(), sizeWithDeleted);

    // A new week packs all three tables.
    steps = 0;
    EXPECT_TRUE(WeeklyPack(week + 1, [&] { ++steps; }));
    EXPECT_EQ(steps, 3);
    EXPECT_LT(QFileInfo(m_program + "/Data/Cereri.dbf").size(), sizeWithDeleted);
    EXPECT_EQ(ReadSettingNumber("CONST", "LASTPACK"), qint64(week + 1) * kFixedOne);
    EXPECT_EQ(rows("SELECT NRCRT FROM " + cereri + " ORDER BY NRCRT", {"NRCRT"}), QStringList({"1", "2"}));

    // Counters follow the tables at the next start.
    resetDb();
    initPaths(m_program);
    paths().systemFolder = m_dir.path() + "/sys";
    MainWindow main;
    StartupSplash splash(&main);
    ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    EXPECT_EQ(ReadSetting("INDEX", "NRCRT"), QString("3"));
}

TEST_F(StartupFixture, OldDatabaseIsUpgradedKeepingItsRows)
{
    QDir().mkpath(m_program + "/Data");
    paths().enginePrivateFolder = m_dir.path() + "/eng";
    QDir().mkpath(paths().enginePrivateFolder);
    // Cereri of an early version: no holder columns, no NR_REF, STATUT of 7
    // characters, code columns of 15.
    const QString file = m_program + "/Data/Cereri.dbf";
    Db().exec("CREATE TABLE " + quotedPath(file).toStdString()
              + " (NRCRT DECIMAL(12,0), LUNACRT DECIMAL(10,0), TITULAR CHAR(32), CNP CHAR(13), "
                "SUMAL DECIMAL(10,2), FURNG CHAR(60), CODCLG CHAR(15), PODG CHAR(15), SUMAG DECIMAL(10,2), "
                "FURNE CHAR(60), CODCLE CHAR(15), PODE CHAR(15), SUMAE DECIMAL(10,2), "
                "FURNT CHAR(60), CODCLT CHAR(15), SUMAT DECIMAL(10,2), STATUT CHAR(7), CUMODIF CHAR(1))");
    const char* inserts[] = {
        "(1, 24266, \"POP ION\", \"1800101123456\", 20, \"E-On\", \"ABCDEFGHIJKLMNO\", \"P1\", 10, \"\", \"\", \"\", 70, "
        "\"\", \"\", 0, \"APROBAT\", \"X\")",
        "(2, 24266, \"RUS ANA\", \"2800101123456\", 0, \"\", \"\", \"\", 0, \"Enel\", \"E123\", \"PE1\", 70, \"\", \"\", "
        "0, \"APROBAT\", \"\")",
        "(3, 24266, \"DAN GEO\", \"1700101123456\", 0, \"\", \"\", \"\", 0, \"\", \"\", \"\", 0, \"Termo\", \"T9\", 10, "
        "\"RESPINS\", \"X\")",
    };
    for (const char* values : inserts)
        Db().exec("INSERT INTO " + quotedPath(file).toStdString() + " VALUES " + values);

    UpgradeSchema();

    const QString columns = dbfColumns(file);
    for (const char* c : {"CODCLG:C40", "PODG:C40", "CODCLE:C40", "PODE:C40", "CODCLT:C40", "STATUT:C10",
                          "TITG:C32", "CNPG:C13", "TITE:C32", "CNPE:C13", "TITT:C32", "CNPT:C13", "NR_REF:N10"})
        EXPECT_TRUE(columns.contains(c)) << c << " in " << columns.toStdString();
    EXPECT_EQ(rows("SELECT * FROM " + quotedPath(file) + " ORDER BY NRCRT",
                   {"NRCRT", "TITULAR", "CODCLG", "SUMAE", "STATUT", "NR_REF", "TITG", "CNPG", "TITE", "TITT"}),
              QStringList({"1|POP ION|ABCDEFGHIJKLMNO|30|MODIFICAT|0|POP ION|1800101123456|POP ION|",
                           "2|RUS ANA||70|APROBAT|0|||RUS ANA|",
                           "3|DAN GEO||0|RESPINS|0||||DAN GEO"}));
    EXPECT_EQ(ReadSetting("SERVER", "Versiune"), QString("1.0098"));
    EXPECT_TRUE(testmode::messages().isEmpty());
}

TEST_F(StartupFixture, UpgradeNeverNarrowsCodeColumns)
{
    // A current table whose settings file lost its version entry: the old
    // step that set the code columns to 20 characters must not cut the codes.
    QDir().mkpath(m_program + "/Data");
    paths().enginePrivateFolder = m_dir.path() + "/eng";
    QDir().mkpath(paths().enginePrivateFolder);
    CreateMissingTables();
    const std::string cereri = quotedTable("Cereri.dbf").toStdString();
    Db().exec("INSERT INTO " + cereri + " (NRCRT, CODCLE, STATUT) VALUES (1, \"RO005E123456789012345678901234\", \"APROBAT\")");
    UpgradeSchema();
    EXPECT_EQ(rows("SELECT * FROM " + quotedTable("Cereri.dbf"), {"CODCLE", "STATUT", "NR_REF"}),
              QStringList({"RO005E123456789012345678901234|APROBAT|"}));
    EXPECT_TRUE(dbfColumns(tableFile("Cereri.dbf")).contains("CODCLE:C40"));
}

TEST_F(StartupFixture, DataFolderChoices)
{
    // The network folder named in the machine settings, complete or not, and
    // archives named on the command line.
    const QString server = m_dir.path() + "/server";
    QDir().mkpath(server);
    for (const char* t : {"Cereri.dbf", "Oameni.dbf"}) {
        QFile f(server + "/" + t);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir().mkpath(paths().systemFolder);
    writeIniText(paths().systemFolder + "/Hestavo.ini", "92", "SERVER", QDir::toNativeSeparators(server));
    {
        MainWindow main;
        StartupSplash splash(&main);
        ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
        ASSERT_EQ(testmode::messages().size(), 1);
        EXPECT_EQ(testmode::messages()[0].title, QString("Conectare server"));
        EXPECT_EQ(testmode::messages()[0].text,
                  "Baza de date " + QDir::toNativeSeparators(server)
                      + "\rNU este accesibila sau este incompleta!\rVerificati conexiunea si baza si reporniti programul!");
        EXPECT_EQ(main.statusText(), QString("Lucru local."));
        EXPECT_EQ(paths().dataFolder, m_program + "/Data");
    }

    // A complete network folder becomes the data folder.
    StartupSplash::Cleanup();
    resetDb();
    testmode::clear();
    QFile::remove(server + "/Cereri.dbf");
    QFile::remove(server + "/Oameni.dbf");
    QFile::copy(m_program + "/Data/Cereri.dbf", server + "/Cereri.dbf");
    QFile::copy(m_program + "/Data/Oameni.dbf", server + "/Oameni.dbf");
    QFile::copy(m_program + "/Data/LOG.DBF", server + "/LOG.DBF");
    initPaths(m_program);
    paths().systemFolder = m_dir.path() + "/sys";
    {
        MainWindow main;
        StartupSplash splash(&main);
        ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
        EXPECT_TRUE(testmode::messages().isEmpty());
        EXPECT_EQ(main.statusText(), "Lucru in retea: " + QDir::toNativeSeparators(server));
        EXPECT_TRUE(QFileInfo::exists(server + "/Hestavo.set"));
        CloseContext c{false, true, paths().dataFolder != paths().localDataFolder, "/saves"};
        EXPECT_FALSE(DecideSaveOnClose(c)) << "network mode never offers the automatic save";
        EXPECT_TRUE(testmode::messages().isEmpty());
    }

    // Command line: an archive whose extension is in lower case is recognised,
    // and a damaged one is reported while the program works locally; another
    // existing file is ignored and the archive type is not registered; a
    // missing path registers it.
    writeIniText(paths().systemFolder + "/Hestavo.ini", "92", "SERVER", "");
    const QString archive = m_dir.path() + "/copie.l21";
    const QString other = m_dir.path() + "/copie.txt";
    for (const QString& f : {archive, other}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString desktop = m_dir.path() + "/home/share/applications/hestavo.desktop";
    QFile::remove(desktop);
    struct Case {
        QString argument;
        int messages;
        bool registered;
    } cases[] = {{archive, 1, false}, {other, 0, false}, {m_dir.path() + "/none.L21", 0, true}};
    for (const Case& c : cases) {
        StartupSplash::Cleanup();
        resetDb();
        testmode::clear();
        initPaths(m_program);
        paths().systemFolder = m_dir.path() + "/sys";
        MainWindow main;
        StartupSplash splash(&main);
        ASSERT_EQ(splash.RunStartup({c.argument}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
        EXPECT_EQ(testmode::messages().size(), c.messages) << c.argument.toStdString();
        EXPECT_EQ(QFileInfo::exists(desktop), c.registered) << c.argument.toStdString();
        EXPECT_EQ(main.statusText(), QString("Lucru local."));
        EXPECT_EQ(paths().dataFolder, m_program + "/Data");
        EXPECT_TRUE(paths().openedArchive.isEmpty());
    }
}

TEST_F(StartupFixture, ArchiveOnTheCommandLineIsOpenedInATemporaryCopy)
{
    // A data folder with one application, saved into an archive.
    {
        MainWindow main;
        StartupSplash splash(&main);
        ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
        Db().exec("INSERT INTO " + q("Cereri.dbf").toStdString() + " (NRCRT, TITULAR) VALUES (7, \"Ionescu\")");
    }
    StartupSplash::Cleanup();
    const QString archive = m_dir.path() + "/Copie.L21";
    backup::WriteArchive(m_program + "/Data", archive);
    const qint64 archiveSize = QFileInfo(archive).size();

    resetDb();
    testmode::clear();
    initPaths(m_program);
    paths().systemFolder = m_dir.path() + "/sys";
    MainWindow main;
    StartupSplash splash(&main);
    ASSERT_EQ(splash.RunStartup({archive}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    EXPECT_TRUE(testmode::messages().isEmpty());
    EXPECT_EQ(paths().openedArchive, archive);
    EXPECT_TRUE(paths().dataFolder.startsWith(m_program + "/Temp/")) << paths().dataFolder.toStdString();
    EXPECT_EQ(rows("SELECT NRCRT, TITULAR FROM " + q("Cereri.dbf"), {"NRCRT", "TITULAR"}),
              QStringList({"7|Ionescu"}));
    EXPECT_EQ(QFileInfo(archive).size(), archiveSize) << "the archive itself is not touched";
}

TEST_F(StartupFixture, InstallerHandOffEndsBeforeAnyTable)
{
    QFile installer(m_program + "/" +
#ifdef Q_OS_WIN
                    "UpHestavo.exe"
#else
                    "UpHestavo"
#endif
    );
    ASSERT_TRUE(installer.open(QIODevice::WriteOnly));
    installer.close();
    MainWindow main;
    StartupSplash splash(&main);
    EXPECT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::End);
    EXPECT_FALSE(QFileInfo::exists(m_program + "/Data/Cereri.dbf"));
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_EQ(testmode::shellCalls()[0].path, installer.fileName());
    EXPECT_EQ(readIniText(m_program + "/Data/Hestavo.set", "CONST", "Lansat"), QString("DA"));
}

// A database upgraded while its templates could not be replaced keeps the
// version of its templates, so a later start that can replace them still does;
// once replaced they are not replaced again.
TEST_F(StartupFixture, TemplateRefreshIsNotStampedAwayWhenSkipped)
{
    QDir().mkpath(m_program + "/Data");
    paths().enginePrivateFolder = m_dir.path() + "/eng";
    QDir().mkpath(paths().enginePrivateFolder);
    CreateMissingTables();
    WriteSettingNumber("SERVER", "Versiune", 10062);
    QStringList replaced;
    const TemplateRefresh store = [&replaced](const QStringList& files) { replaced += files; };
    struct Step {
        const char* name;
        bool withStore;
        QStringList replacedAfter;
        qint64 templatesAfter;
    } steps[] = {
        {"no store: skipped, old version kept", false, {}, 10062},
        {"still no store", false, {}, 10062},
        {"a store: the steps after 1.0062 run", true, {"Anexa15.xls", "Anexa16.xls", "ModCerere.rtf", "ModCerereS.rtf", "FisaV.rtf"}, kVersion},
        {"already replaced", true, {"Anexa15.xls", "Anexa16.xls", "ModCerere.rtf", "ModCerereS.rtf", "FisaV.rtf"}, kVersion},
    };
    for (const Step& s : steps) {
        UpgradeSchema(s.withStore ? store : TemplateRefresh());
        EXPECT_EQ(ReadSettingNumber("SERVER", "Versiune"), kVersion) << s.name;
        EXPECT_EQ(replaced, s.replacedAfter) << s.name;
        EXPECT_EQ(TemplatesVersion(), s.templatesAfter) << s.name;
    }

    // A database stamped by a build that replaced its templates (no separate
    // templates entry) has nothing replaced.
    ini::eraseSection(settingsFile(), "SERVER");
    WriteSettingNumber("SERVER", "Versiune", kVersion);
    replaced.clear();
    UpgradeSchema(store);
    EXPECT_TRUE(replaced.isEmpty());
}
