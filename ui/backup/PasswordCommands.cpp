#include "ui/backup/PasswordCommands.h"

#include "backup/Passwords.h"
#include "data/Db.h"
#include "ui/common/MessageDialog.h"

#include <QApplication>

bool AdministratorUnlock(const std::function<std::optional<QString>()>& askPassword)
{
    if (!HasAdminPassword()) {
        MessageDialog::Mesaj(QStringLiteral("Administrare"), QStringLiteral("\rATENTIE!\rNu aveti nicio parola!"), kButtonOK,
                      kKindWarning);
        return true;
    }
    const std::optional<QString> entry = askPassword();
    if (!entry)
        return false;
    if (AdminPasswordMatches(*entry))
        return true;
    MessageDialog::Mesaj(QStringLiteral("Greseala!"), QStringLiteral("PAROLA INCORECTA !"), kButtonOK, kKindError);
    return false;
}

bool ChangeAdminPassword(const QString& newPassword, const QString& repeated)
{
    if (newPassword != repeated) {
        QApplication::beep();
        MessageDialog::Mesaj(QStringLiteral("Eroare la completare"),
                      QStringLiteral("Nu ati scris parola noua la fel in cele doua casute !"), kButtonOK, kKindError);
        return false;
    }
    if (!newPassword.isEmpty()) {
        StoreAdminPassword(newPassword);
        LogAction(QStringLiteral("Schimbare parola administrator."));
        MessageDialog::Mesaj(QStringLiteral("Confirmare"), QStringLiteral("\rParola a fost schimbata cu succes!"), kButtonOK,
                      kKindInformation);
        return true;
    }
    if (MessageDialog::Mesaj(QStringLiteral("Eroare la completare"),
                      QStringLiteral("ATENTIE !\rDoriti sa dezactivati parola de administrator?"), kDeleteQuestion,
                      kKindWarning)
        != Answer::Yes)
        return false;
    StoreAdminPassword(QString());
    LogAction(QStringLiteral("Dezactivare parola administrator."));
    return true;
}
