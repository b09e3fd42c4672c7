// The backup window and the automatic-save folder buttons, driven offscreen
// through the test mode of the dialogs and choosers.
#include "BackupFixture.h"

#include "data/Settings.h"
#include "ui/backup/BackupWindow.h"
#include "ui/backup/RemoteBackupWindow.h"
#include "ui/backup/SaveFolderButtons.h"
#include "ui/common/MessageDialog.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

class BackupWindowTest : public BackupTest {
protected:
    QStringList Titles() const
    {
        QStringList t;
        for (const testmode::Message& m : testmode::messages())
            t << m.title + ": " + m.text;
        return t;
    }
};

TEST_F(BackupWindowTest, SaveOnDemand)
{
    const QString target = Root() + "/Copie.L21";
    const struct {
        const char* name;
        QString chosen;
        QList<Answer> answers;
        QString firstTitle;
        bool written;
    } cases[] = {
        {"into the data folder", Data() + "/Copie.L21", {}, "Salvare date: \rNu puteti salva aici!", false},
        {"a new file", target, {Answer::No}, "Informatie: \rSalvare incheiata cu succes !", true},
        {"replace refused", target, {Answer::No}, "Atentionare: \rVreti sa inlocuiti salvarea " + QDir::toNativeSeparators(target) + "?", false},
        {"replace accepted", target, {Answer::Yes, Answer::OK, Answer::No}, "Atentionare: \rVreti sa inlocuiti salvarea " + QDir::toNativeSeparators(target) + "?", true},
    };
    for (const auto& c : cases) {
        if (QFileInfo::exists(target))
            WriteFile(target, "old");
        testmode::clear();
        testmode::answerChooser(c.chosen);
        for (Answer a : c.answers)
            testmode::answerMessage(a);
        BackupWindow window;
        window.SaveCopyClicked();
        ASSERT_FALSE(testmode::messages().isEmpty()) << c.name;
        EXPECT_EQ(Titles().first(), c.firstTitle) << c.name;
        if (c.firstTitle.startsWith("Atentionare")) {
            EXPECT_EQ(testmode::messages().first().buttons, kOverrideQuestion) << c.name << ": Enter answers Nu";
        }
        EXPECT_FALSE(QFileInfo::exists(Data() + "/Copie.L21")) << c.name;
        const bool written = QFileInfo::exists(target) && FileBytes(target) != "old";
        EXPECT_EQ(written, c.written) << c.name;
        if (c.written) {
            EXPECT_EQ(ReferenceArchive({"list", target}).exitCode, 0) << c.name;
            EXPECT_EQ(testmode::progressTexts(), QStringList{"Pregatesc datele..."}) << c.name;
        }
    }
}

TEST_F(BackupWindowTest, RestoreFromTheWindowReportsTheSafetyCopy)
{
    const QString archive = Root() + "/Copie.L21";
    ASSERT_EQ(ReferenceArchive({"pack", archive, Data() + "/Cereri.dbf", Data() + "/Oameni.dbf"}).exitCode, 0);
    testmode::answerMessage(Answer::Yes);
    testmode::answerChooser(archive);
    BackupWindow window;
    window.RestoreClicked();
    EXPECT_TRUE(window.restored());
    ASSERT_EQ(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[0].title, "Incarcare date");
    EXPECT_EQ(testmode::messages()[0].buttons, kDeleteQuestion) << "Enter answers Nu";
    const QString text = testmode::messages()[1].text;
    EXPECT_TRUE(text.startsWith("Restaurare incheiata cu succes !\rVa rog sa porniti programul din nou !")) << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(Saves()))) << text.toStdString();
    // The archive held no log table: one is made, with the restore's own row.
    EXPECT_TRUE(ReaderRows(Data() + "/LOG.DBF").contains("Incarcare date din salvarea Copie.L21"))
        << ReaderRows(Data() + "/LOG.DBF").toStdString();
}

// Runs act on the remote backup window once it is shown.
void WhenRemoteShown(std::function<void(RemoteBackupWindow&)> act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<RemoteBackupWindow*>(w); window && window->isVisible()) {
                act(*window);
                return;
            }
        WhenRemoteShown(act);
    });
}

TEST_F(BackupWindowTest, ACopyDownloadedByTheRemoteWindowIsRestoredWithItsSafetyCopy)
{
    const QString archive = Root() + "/Descarcat.L21";
    ASSERT_EQ(ReferenceArchive({"pack", archive, Data() + "/Cereri.dbf", Data() + "/Oameni.dbf"}).exitCode, 0);
    BackupWindow window;
    bool handled = false;
    WhenRemoteShown([&](RemoteBackupWindow& remote) {
        ASSERT_TRUE(RemoteBackupWindow::restoreArchive());
        handled = RemoteBackupWindow::restoreArchive()(archive);
        remote.done(QDialog::Accepted);
    });
    window.RemoteClicked();
    EXPECT_TRUE(handled);
    EXPECT_TRUE(window.restored());
    EXPECT_FALSE(RemoteBackupWindow::restoreArchive()); // only while the window is open
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_TRUE(testmode::messages().last().text.startsWith("Restaurare incheiata cu succes !"));
    EXPECT_EQ(QDir(Saves()).entryList(QDir::Files).size(), 1);
}

TEST_F(BackupWindowTest, RestoreIsOffWhileAnOpenedArchiveIsWorkedOn)
{
    paths().openedArchive = Root() + "/Lucru.L21";
    BackupWindow window;
    QTimer::singleShot(0, &window, [&] {
        EXPECT_FALSE(window.RestoreButton->isEnabled());
        EXPECT_FALSE(window.RestoreButton->toolTip().isEmpty()); // says why
        EXPECT_TRUE(window.SaveButton->isEnabled());
        EXPECT_EQ(window.findChild<QLabel*>("DataFolder")->toolTip(), "Lucrati pe salvarea " + Root() + "/Lucru.L21");
        window.reject();
    });
    EXPECT_FALSE(window.Open());
}

TEST_F(BackupWindowTest, ALongDataFolderIsShortenedNotWideningTheWindow)
{
    const QString data = Root() + "/" + QString("Primaria Comunei Sangeorgiu de Padure/").repeated(8) + "Data";
    QDir().mkpath(data);
    paths().dataFolder = data;
    BackupWindow window;
    window.show();
    QCoreApplication::processEvents();
    const QLabel* where = window.findChild<QLabel*>("DataFolder");
    EXPECT_EQ(where->toolTip(), "Datele: " + data);
    EXPECT_NE(where->text(), where->toolTip());
    EXPECT_TRUE(where->text().endsWith("/Data"));
    EXPECT_LE(window.width(), 1366);
    EXPECT_LE(where->sizeHint().width(), window.width());
}

TEST_F(BackupWindowTest, ScreenshotOfTheWindow)
{
    BackupWindow window;
    window.show();
    QCoreApplication::processEvents();
    const QString shots = "/work/coord/shots/backup";
    if (QDir(shots).exists()) {
        EXPECT_TRUE(window.grab().save(shots + "/test-backup-window.png"));
    }
    EXPECT_EQ(window.windowTitle(), "Copie - inlocuieste baza de date");
}

TEST_F(BackupWindowTest, ScreenshotOfTheRestoreReport)
{
    const QString archive = Root() + "/Copie.L21";
    ASSERT_EQ(ReferenceArchive({"pack", archive, Data() + "/Cereri.dbf", Data() + "/Oameni.dbf"}).exitCode, 0);
    testmode::answerMessage(Answer::Yes);
    testmode::answerChooser(archive);
    BackupWindow window;
    window.RestoreClicked();
    ASSERT_EQ(testmode::messages().size(), 2);
    const testmode::Message& m = testmode::messages()[1];
    MessageDialog dialog(m.title, m.text, m.buttons, m.kind);
    dialog.show();
    QCoreApplication::processEvents();
    const QString shots = "/work/coord/shots/backup";
    if (QDir(shots).exists()) {
        EXPECT_TRUE(dialog.grab().save(shots + "/test-backup-restore-report.png"));
    }
    EXPECT_EQ(m.kind, kKindInformation);
}

TEST_F(BackupWindowTest, AutomaticSaveFolderButtons)
{
    QLabel shown("-");
    shown.setObjectName("SavePath");
    QFile blocker(Root() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    // Network client: refused.
    paths().dataFolder = Root() + "/Server";
    backup::ChangeSaveFolderClicked(nullptr, &shown);
    ASSERT_EQ(Titles(), QStringList{"Salvare Automata: Numai Serverul poate salva automat!"});
    paths().dataFolder = paths().localDataFolder;

    // A folder that cannot be written.
    testmode::clear();
    testmode::answerChooser(Root() + "/blocker/sub");
    backup::ChangeSaveFolderClicked(nullptr, &shown);
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Stabilire cale salvari");
    EXPECT_EQ(shown.text(), "-");

    // A good folder: shown, stored, and a user's own "test.txt" survives the probe.
    const QString folder = Root() + "/Noi";
    QDir().mkpath(folder);
    WriteFile(folder + "/test.txt", "mine");
    testmode::clear();
    testmode::answerChooser(folder + "/");
    backup::ChangeSaveFolderClicked(nullptr, &shown);
    EXPECT_EQ(shown.text(), QDir::toNativeSeparators(folder));
    EXPECT_EQ(ReadMachineSetting("CALESALVARI"), QDir::toNativeSeparators(folder));
    EXPECT_EQ(paths().autoSaveFolder, folder);
    EXPECT_EQ(FileBytes(folder + "/test.txt"), "mine");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"test.txt"});

    // Clearing: "Nu" keeps it, "Da" turns it off, and then the balloon says so.
    testmode::clear();
    testmode::answerMessage(Answer::No);
    backup::ClearSaveFolderClicked(&shown);
    EXPECT_EQ(shown.text(), QDir::toNativeSeparators(folder));
    testmode::answerMessage(Answer::Yes);
    backup::ClearSaveFolderClicked(&shown);
    EXPECT_EQ(shown.text(), "-");
    EXPECT_EQ(ReadMachineSetting("CALESALVARI"), "-");
    EXPECT_EQ(Titles().last(), "Salvare Automata: Salvarea automata a fost dezactivata!");
    backup::ClearSaveFolderClicked(&shown);
    ASSERT_FALSE(testmode::hints().isEmpty());
    EXPECT_EQ(testmode::hints().last().text, "Salvarea automata este deja dezactivata.");
}

} // namespace
