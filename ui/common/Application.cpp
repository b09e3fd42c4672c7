#include "ui/common/Application.h"

#include "ui/common/Choosers.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressWindow.h"

HestavoApplication::HestavoApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    InstallDesktopOpener();
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
