#include "app/Application.h"

#include "app/MessageDialog.h"
#include "app/ProgressWindow.h"

HestavoApplication::HestavoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

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
