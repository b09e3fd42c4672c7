#include "ui/backup/NetworkFolderCommands.h"

#include "backup/NetworkFolder.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"

bool ConnectNetworkFolder(const QString& chosen)
{
    if (chosen.trimmed().isEmpty())
        return false;
    if (const NetworkFolderRefusal refusal = CheckNetworkFolder(chosen); !refusal.text.isEmpty()) {
        MessageDialog::Mesaj(refusal.title, refusal.text, kButtonOK, kKindError);
        return false;
    }
    StoreNetworkFolder(chosen);
    MessageDialog::Mesaj(QStringLiteral("Conectat la server"),
                         QStringLiteral("Conectarea la server a reusit!\rPorniti programul din nou !"), kButtonOK,
                         kKindInformation);
    return true;
}

bool DisconnectNetworkFolder(const QString& shownFolder, QWidget* control)
{
    if (shownFolder.trimmed().size() < 2) {
        ShowProblemHint(QStringLiteral("Nu aveti ce sterge."), control);
        return false;
    }
    if (MessageDialog::Mesaj(QStringLiteral("Stergere cale server"), QStringLiteral("Doriti sa va deconectati de la server?"),
                             kDeleteQuestion, kKindConfirmation)
        != Answer::Yes)
        return false;
    StoreNetworkFolder(QString());
    MessageDialog::Mesaj(QStringLiteral("Deconectat de la server"),
                         QStringLiteral("Sunteti deconectat de la server!\rPorniti programul din nou !"), kButtonOK,
                         kKindInformation);
    return true;
}
