#include "ui/backup/BackupWindow.h"

#include "backup/AutomaticSave.h"
#include "backup/RestoreArchive.h"
#include "backup/SaveCopy.h"
#include "data/Db.h"
#include "data/Paths.h"
#include "data/Shell.h"
#include "ui/backup/RemoteBackupWindow.h"
#include "ui/common/Choosers.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

void openRemote(const QString& file, QWidget* parent)
{
    RemoteBackupWindow::Execute(file, parent);
}

// Shows the progress window with text; the archive routines move its bar.
// With a second text, the bar's first movement (the archive being written
// after the data were prepared) switches to it.
backup::ArchiveProgress showProgress(const QString& text, const QString& working = {})
{
    Contor().Descr->setText(text);
    ShowProgress();
    return [working](int position, int maximum) {
        if (!working.isEmpty())
            Contor().Descr->setText(working);
        Contor().Bar->setMaximum(maximum);
        Contor().Bar->setValue(position);
        QCoreApplication::processEvents();
    };
}

QPushButton* bigButton(QWidget* parent, const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumSize(320, 44);
    return b;
}

} // namespace

void OfferRemoteUpload(const QString& file)
{
    if (MessageDialog::Mesaj(QStringLiteral("Copie la Distanta"), QStringLiteral("\rDoriti sa transmiteti salvarea si pe Server?"),
                             kButtonsYesNo, kKindConfirmation)
        == Answer::Yes)
        openRemote(file, nullptr);
}

void RunSaveOnExit()
{
    resetDb(); // the tables are copied and the working folder may be moved
    const backup::ExitSaveResult r = backup::SaveOnExit(
        showProgress(QStringLiteral("Pregatesc datele..."), QStringLiteral("Salvez datele...")));
    HideProgress();
    if (!r.saved) {
        QString text = QStringLiteral("\rEroare la salvare!\r") + r.error;
        if (!r.keptFolder.isEmpty())
            text += QStringLiteral("\rDatele de lucru au fost pastrate in ") + QDir::toNativeSeparators(r.keptFolder);
        MessageDialog::Mesaj(QStringLiteral("Salvare automata"), text, kButtonOK, kKindError);
        return;
    }
    OfferRemoteUpload(r.target);
}

BackupWindow::BackupWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BackupWindow"));
    setWindowTitle(QStringLiteral("Copie - inlocuieste baza de date"));
    // A fixed width: a long data folder is shortened in the middle rather
    // than widening the window past the screen.
    setFixedWidth(480);
    auto* layout = new QVBoxLayout(this);
    auto* where = new QLabel(this);
    where->setObjectName(QStringLiteral("DataFolder"));
    m_where = where;
    SaveButton = bigButton(this, QStringLiteral("Salveaza o copie a datelor"), "SaveButton");
    RestoreButton = bigButton(this, QStringLiteral("Incarca o salvare anterioara"), "RestoreButton");
    RemoteButton = bigButton(this, QStringLiteral("Copie / Recupereaza date la Distanta"), "RemoteButton");
    auto* close = new QPushButton(QStringLiteral("&Inchide"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    layout->addWidget(where);
    layout->addWidget(SaveButton);
    layout->addWidget(RestoreButton);
    layout->addWidget(RemoteButton);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(SaveButton, &QPushButton::clicked, this, &BackupWindow::SaveCopyClicked);
    connect(RestoreButton, &QPushButton::clicked, this, &BackupWindow::RestoreClicked);
    connect(RemoteButton, &QPushButton::clicked, this, &BackupWindow::RemoteClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    ShowWhatIsWorkedOn();
}

void BackupWindow::ShowWhatIsWorkedOn()
{
    const bool opened = !paths().openedArchive.isEmpty();
    const QString shown = opened ? QStringLiteral("Lucrati pe salvarea ") + QDir::toNativeSeparators(paths().openedArchive)
                                 : QStringLiteral("Datele: ") + QDir::toNativeSeparators(paths().dataFolder);
    const QMargins margins = layout()->contentsMargins();
    m_where->setText(m_where->fontMetrics().elidedText(shown, Qt::ElideMiddle,
                                                       width() - margins.left() - margins.right()));
    m_where->setToolTip(shown);
    RestoreButton->setEnabled(!opened);
    RestoreButton->setToolTip(opened ? QStringLiteral("O salvare deschisa nu poate fi inlocuita; "
                                                      "porniti programul fara salvare ca sa incarcati alta.")
                                     : QString());
}

bool BackupWindow::Open()
{
    m_restored = false;
    ShowWhatIsWorkedOn();
    exec();
    return m_restored;
}

void BackupWindow::SaveCopyClicked()
{
    const QString file = ChooseSaveFile(this, QStringLiteral("Unde salvam datele ?"), QStringLiteral("Salvare Hestavo (*.L21)"), {});
    if (file.isEmpty())
        return;
    const QString target = QFileInfo(file).suffix().isEmpty() ? file + ".L21" : file;
    if (backup::IsInsideDataFolder(target)) {
        MessageDialog::Mesaj(QStringLiteral("Salvare date"), QStringLiteral("\rNu puteti salva aici!"), kButtonOK, kKindError);
        return;
    }
    if (QFileInfo::exists(target)
        && MessageDialog::Mesaj(QStringLiteral("Atentionare"),
                                "\rVreti sa inlocuiti salvarea " + QDir::toNativeSeparators(target) + "?",
                                kOverrideQuestion, kKindWarning)
               != Answer::Yes)
        return;
    hide();
    QString error;
    const bool ok = backup::SaveCopy(
        target, &error, showProgress(QStringLiteral("Pregatesc datele..."), QStringLiteral("Salvez datele...")));
    HideProgress();
    accept();
    if (!ok) {
        MessageDialog::Mesaj(QStringLiteral("Salvare"), "\r" + error, kButtonOK, kKindError);
        return;
    }
    MessageDialog::Mesaj(QStringLiteral("Informatie"), QStringLiteral("\rSalvare incheiata cu succes !"), kButtonOK,
                         kKindInformation);
    OfferRemoteUpload(target);
}

void BackupWindow::RestoreClicked()
{
    if (MessageDialog::Mesaj(QStringLiteral("Incarcare date"),
                             QStringLiteral("Prin preluarea datelor dintr-o salvare anterioara,\r"
                                            "se sterg datele curente si sunt inlocuite cu cele din salvare!\r"
                                            "Continuam operatiunea?"),
                             kDeleteQuestion, kKindWarning)
        != Answer::Yes)
        return;
    const QString file = ChooseOpenFile(this, QStringLiteral("Indicati o salvare Hestavo"), QStringLiteral("Salvare Hestavo (*.L21)"), {});
    if (file.isEmpty())
        return;
    hide();
    m_restored = RestoreWithReport(file);
    accept();
}

bool BackupWindow::RestoreWithReport(const QString& file)
{
    resetDb(); // the engine lets go of the tables before they are replaced
    const backup::RestoreResult r = backup::RestoreArchive(file, paths().dataFolder, backup::AutoSaveFolder(),
                                                           showProgress(QStringLiteral("Desfac baza de date...")));
    HideProgress();
    if (!r.restored) {
        MessageDialog::Mesaj(QStringLiteral("Restaurare date"), r.error, kButtonOK, kKindError);
        return false;
    }
    // An archive without a log table (an older database) must not make the
    // closing log row fail; the next start would create it anyway.
    CreateMissingTables();
    LogAction("Incarcare date din salvarea " + QFileInfo(file).fileName());
    QString text = QStringLiteral("Restaurare incheiata cu succes !\rVa rog sa porniti programul din nou !");
    if (!r.safetyArchive.isEmpty())
        text += QStringLiteral("\rDatele anterioare sunt salvate in ") + QDir::toNativeSeparators(r.safetyArchive);
    text += QStringLiteral("\rFisierele inlocuite sunt in ") + QDir::toNativeSeparators(r.safetyFolder);
    MessageDialog::Mesaj(QStringLiteral("Informatie"), text, kButtonOK, kKindInformation);
    return true;
}

void BackupWindow::RemoteClicked()
{
    hide();
    accept();
    // A copy downloaded from the service is restored as a local one.
    bool restored = false;
    RemoteBackupWindow::restoreArchive() = [&restored](const QString& archive) {
        restored = RestoreWithReport(archive);
        return restored;
    };
    openRemote({}, parentWidget());
    RemoteBackupWindow::restoreArchive() = {};
    m_restored = restored;
}
