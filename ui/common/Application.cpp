#include "ui/common/Application.h"

#include "ui/common/Choosers.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/OpenedDocuments.h"
#include "ui/common/ProgressWindow.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

HestavoApplication::HestavoApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    InstallDesktopOpener();
    InstallOpenedDocumentNotices();
    // Qt's own dialogs (files, colours) in Romanian where Qt ships the
    // translation; the calendars follow DateInput's Romanian locale.
    auto* qtTexts = new QTranslator(this);
    if (qtTexts->load(QLocale(QLocale::Romanian, QLocale::Romania), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtTexts);
}

bool HestavoApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(e);
    }
    return false;
}

void ShowError(const std::exception& error)
{
    HideProgress();
    MessageDialog::Mesaj(QStringLiteral("Eroare"), QString::fromUtf8(error.what()), kButtonOK, kKindError);
}
