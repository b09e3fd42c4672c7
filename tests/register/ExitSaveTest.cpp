// The exit of the main window with "Da" to the save questions: the dated
// archive in the automatic-save folder, and the changes written back into an
// archive opened from the command line. Both archives are read by the
// reference reader.
#include "Fixture.h"

#include "backup/Archive.h"
#include "ui/backup/BackupWindow.h"
#include "ui/common/MessageDialog.h"
#include "ui/main/MainWindow.h"

#include <QDate>
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

QByteArray reference(const QStringList& args)
{
    QProcess p;
    p.start(HESTAVO_PYTHON, QStringList{HESTAVO_SOURCE_DIR "/tests/backup/archive_reference.py"} + args);
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// Presses "Incarca o salvare anterioara" once the backup window is shown.
void PressRestoreWhenShown()
{
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<BackupWindow*>(w); window && window->isVisible()) {
                window->RestoreButton->click();
                return;
            }
        PressRestoreWhenShown();
    });
}

// Runs the main window's entry and closes it as "Iesire" does.
void EnterAndExit(MainWindow& main)
{
    QTimer::singleShot(0, &main, [&main] { main.exitProgram(); });
    main.Entry();
}

class ExitSave : public DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        paths().openedArchive.clear();
    }
    void TearDown() override
    {
        paths().openedArchive.clear();
        paths().autoSaveFolder.clear();
        DataFolderTest::TearDown();
    }
    void AddApplication(const QString& name)
    {
        Exec("INSERT INTO " + quotedTable("Cereri.dbf") + " (NRCRT, TITULAR) VALUES (7, \"" + name + "\")");
    }
};

TEST_F(ExitSave, DaToTheDailyCopyWritesADatedArchive)
{
    const QString saves = m_dir.path() + "/Salvari";
    paths().autoSaveFolder = saves; // created by the save
    AddApplication("ZI DE LUCRU");
    MainWindow main;
    main.Unlock();
    testmode::answerMessage(Answer::Yes); // "Doriti sa facem o copie la datele de azi?"
    testmode::answerMessage(Answer::No);  // "Doriti sa transmiteti salvarea si pe Server?"
    EnterAndExit(main);
    ASSERT_EQ(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[0].text, "Doriti sa facem o copie la datele de azi?");
    EXPECT_EQ(testmode::messages()[1].title, "Copie la Distanta");
    const QString archive = saves + "/" + QDate::currentDate().toString("ddMMyyyy") + "_0.L21";
    const QByteArray listing = reference({"list", archive});
    EXPECT_TRUE(listing.contains("Cereri.dbf\t")) << listing.toStdString();
    QTemporaryDir out;
    reference({"unpack", archive, out.path()});
    QProcess python;
    python.start(HESTAVO_PYTHON, {"-c", "import sys, dbfread\nprint([r['TITULAR'] for r in dbfread.DBF(sys.argv[1])])",
                                  out.filePath("Cereri.dbf")});
    python.waitForFinished(60000);
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), "['ZI DE LUCRU']");
}

TEST_F(ExitSave, DaToSaveTheChangesWritesThemIntoTheOpenedArchive)
{
    // An archive of the data folder, opened as the command line does.
    const QString archive = m_dir.path() + "/Lucru.L21";
    reference({"pack", archive, tableFile("Cereri.dbf"), tableFile("Oameni.dbf"), tableFile("Log.dbf")});
    resetDb();
    ASSERT_EQ(backup::OpenCommandLineArchive(archive).outcome, backup::CommandLineArchive::Outcome::Opened);
    resetDb();
    AddApplication("MODIFICARE");
    MainWindow main;
    main.Unlock();
    testmode::answerMessage(Answer::Yes); // "Doriti sa salvati modificarile ?"
    testmode::answerMessage(Answer::No);  // remote copy
    EnterAndExit(main);
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages()[0].text, "Doriti sa salvati modificarile ?");
    QTemporaryDir out;
    reference({"unpack", archive, out.path()});
    QProcess python;
    python.start(HESTAVO_PYTHON, {"-c", "import sys, dbfread\nprint([r['TITULAR'] for r in dbfread.DBF(sys.argv[1])])",
                                  out.filePath("Cereri.dbf")});
    python.waitForFinished(60000);
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), "['MODIFICARE']");
}

TEST_F(ExitSave, AfterARestoreTheProgramEndsWithoutSaveQuestions)
{
    const QString saves = m_dir.path() + "/Salvari";
    paths().autoSaveFolder = saves;
    const QString archive = m_dir.path() + "/Copie.L21";
    reference({"pack", archive, tableFile("Cereri.dbf"), tableFile("Oameni.dbf")});
    resetDb();
    MainWindow main;
    main.Unlock();
    testmode::answerMessage(Answer::Yes);  // "Incarcare date": continue
    testmode::answerChooser(archive);
    QAction* item = nullptr;
    for (QAction* a : main.PopupMenu2->actions())
        if (a->text() == "Salvare / Incarcare baza de date")
            item = a;
    ASSERT_NE(item, nullptr);
    QTimer::singleShot(0, &main, [item] {
        // The backup window is modal: press its restore button once it shows.
        PressRestoreWhenShown();
        item->trigger();
    });
    main.Entry();
    EXPECT_TRUE(main.closedByRestore());
    EXPECT_TRUE(main.MBut1->isHidden());
    QStringList titles;
    for (const testmode::Message& m : testmode::messages())
        titles << m.title;
    EXPECT_EQ(titles, QStringList({"Incarcare date", "Informatie"}));
    // Only the restore's safety archive is in the automatic-save folder.
    EXPECT_EQ(QDir(saves).entryList(QDir::Files).size(), 1);
}

TEST_F(ExitSave, NuSavesNothing)
{
    const QString saves = m_dir.path() + "/Salvari";
    QDir().mkpath(saves);
    paths().autoSaveFolder = saves;
    MainWindow main;
    main.Unlock();
    testmode::answerMessage(Answer::No);
    EnterAndExit(main);
    ASSERT_EQ(testmode::messages().size(), 1) << testmode::messages().last().title.toStdString() << ": "
                                               << testmode::messages().last().text.toStdString();
    EXPECT_TRUE(QDir(saves).entryList(QDir::Files).isEmpty());
}

} // namespace
