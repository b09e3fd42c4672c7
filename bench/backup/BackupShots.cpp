// Screenshots of the backup window and of what it shows around a restore
// (the warning, the progress window, the report of a restore and of a
// damaged archive) and a save, on a small demo database, at 1366x768:
// backup_shots OUTPUT-FOLDER (offscreen).
#include "backup/Archive.h"
#include "bench/ScreenshotProgram.h"
#include "bench/backup/DemoDataFolder.h"
#include "data/Db.h"
#include "data/Paths.h"
#include "data/TestMode.h"
#include "tools/demo-db/DemoDatabase.h"
#include "ui/backup/BackupWindow.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString g_out;

void Shoot(QWidget& w, const QString& name)
{
    SaveShot(w, g_out + "/" + name + ".png");
}

// Every message the last action showed, as the dialog draws it.
void ShootMessages(const QString& stem)
{
    int n = 0;
    for (const testmode::Message& m : testmode::messages()) {
        MessageDialog dialog(m.title, m.text, m.buttons, m.kind);
        Shoot(dialog, stem + "-" + QString::number(++n));
    }
    testmode::enable(); // clears the records
}

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenScreen();
    QApplication app(argc, argv);
    g_out = ScreenshotFolder(argc, argv, "backup_shots");
    if (g_out.isEmpty())
        return 1;
    QTemporaryDir dir;
    // Folders as long as an office computer's.
    const QString root = dir.path() + "/Primaria Comunei Sangeorgiu de Padure/Ajutoare incalzire Hestavo";
    benchdata::UseProgramFolder(root, {"Salvari automate", "Other"});
    paths().autoSaveFolder = root + "/Salvari automate";
    demodb::generate({(root + "/Data").toStdString(), 3, 200, 1});
    demodb::generate({(root + "/Other").toStdString(), 4, 300, 1});
    const QString archive = root + "/Salvare din 01.12.2024.L21";
    backup::WriteArchive(root + "/Other", archive);
    QFile::copy(archive, root + "/Salvare defecta.L21");
    QFile damaged(root + "/Salvare defecta.L21");
    damaged.resize(damaged.size() - 100);
    resetDb();
    testmode::enable();

    BackupWindow window;
    Shoot(window, "backup-window");
    paths().openedArchive = archive;
    BackupWindow opened;
    Shoot(opened, "backup-window-opened-archive");
    paths().openedArchive.clear();

    Contor().Descr->setText("Desfac baza de date...");
    Contor().Bar->setMaximum(5);
    Contor().Bar->setValue(2);
    Shoot(Contor(), "backup-progress");
    Contor().hide();

    testmode::answerMessage(Answer::Yes);
    testmode::answerChooser(archive);
    window.RestoreClicked();
    ShootMessages("backup-restore");

    testmode::answerMessage(Answer::Yes);
    testmode::answerChooser(root + "/Salvare defecta.L21");
    BackupWindow again;
    again.RestoreClicked();
    ShootMessages("backup-restore-damaged");

    testmode::answerChooser(root + "/Copie.L21");
    BackupWindow save;
    save.SaveCopyClicked();
    ShootMessages("backup-save");

    testmode::answerChooser(root + "/Data/Aici.L21");
    BackupWindow here;
    here.SaveCopyClicked();
    ShootMessages("backup-save-refused");
    testmode::disable();
    return 0;
}
