#include "ui/common/OpenedDocuments.h"

#include "data/Paths.h"
#include "data/Shell.h"
#include "ui/common/MessageDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

namespace {

constexpr int kNoteMilliseconds = 30000;

bool InTemporaryFolder(const QFileInfo& info)
{
    const QString temp = paths().tempFolder;
    if (temp.isEmpty())
        return false;
    const QString root = QDir::cleanPath(QFileInfo(temp).absoluteFilePath()) + QLatin1Char('/');
    return QDir::cleanPath(info.absoluteFilePath()).startsWith(root);
}

void NoteInStatusBar(const QString& text)
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* bar = window->findChild<QStatusBar*>(QStringLiteral("StatusBar1")))
            bar->showMessage(text, kNoteMilliseconds);
}

QString Shown(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

} // namespace

void InstallOpenedDocumentNotices() { SetShellOpenWatcher(NoteOpenedDocument); }

void NoteOpenedDocument(const QString& path, bool opened)
{
    const QFileInfo info(path);
    const bool temporary = InTemporaryFolder(info);
    if (temporary)
        NoteInStatusBar("Documentul " + Shown(path) + " se pastreaza pana la inchiderea programului.");
    if (opened)
        return;
    if (info.isDir()) {
        MessageDialog::Mesaj(QStringLiteral("Deschidere folder"),
                             "\rNu am putut deschide folderul\r" + Shown(path) + "\rDeschideti-l din managerul de fisiere.",
                             kButtonOK, kKindWarning);
        return;
    }
    QString text = "\rNu am gasit un program care sa deschida documentul. El se afla in:\r" + Shown(path);
    if (temporary)
        text += QStringLiteral("\r(pastrat pana la inchiderea programului)");
    text += QStringLiteral("\r\rDeschidem folderul in care se afla?");
    if (MessageDialog::Mesaj(QStringLiteral("Deschidere document"), text, kButtonsYesNo, kKindWarning) != Answer::Yes)
        return;
    const QString folder = info.absolutePath();
    if (!OpenWithDesktop(folder))
        MessageDialog::Mesaj(QStringLiteral("Deschidere document"),
                             "\rNici folderul nu a putut fi deschis:\r" + Shown(folder), kButtonOK, kKindError);
}
