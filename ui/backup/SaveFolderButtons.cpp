#include "ui/backup/SaveFolderButtons.h"

#include "backup/SaveFolderSetting.h"
#include "data/Paths.h"
#include "data/Shell.h"
#include "ui/common/Choosers.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"

#include <QDir>
#include <QLabel>

namespace backup {

void ChangeSaveFolderClicked(QWidget* parent, QLabel* shown)
{
    if (QDir::cleanPath(paths().dataFolder) != QDir::cleanPath(paths().localDataFolder)) {
        MessageDialog::Mesaj(QStringLiteral("Salvare Automata"), QStringLiteral("Numai Serverul poate salva automat!"),
                             kButtonOK, kKindError);
        return;
    }
    QString folder = ChooseFolder(parent, QStringLiteral("Indicati calea salvarilor automate"), {});
    if (folder.isEmpty())
        return;
    folder = QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(folder)));
    if (!CanWriteIn(folder)) {
        MessageDialog::Mesaj(QStringLiteral("Stabilire cale salvari"),
                             "Nu pot scrie in " + folder + " !\rAlegeti alta cale, unde sa pot scrie!", kButtonOK,
                             kKindError);
        return;
    }
    SetAutoSaveFolder(folder);
    shown->setText(folder);
    shown->setToolTip(folder);
    MessageDialog::Mesaj(QStringLiteral("Salvari automate"), "Calea pentru Salvari Automate este acum \r" + folder + ".",
                         kButtonOK, kKindInformation);
}

void ClearSaveFolderClicked(QLabel* shown)
{
    if (shown->text().trimmed().size() < 2) {
        ShowProblemHint(QStringLiteral("Salvarea automata este deja dezactivata."), shown);
        return;
    }
    if (MessageDialog::Mesaj(QStringLiteral("Stergere cale salvari"), QStringLiteral("Doriti sa dezactivati salvarea automata?"),
                             kDeleteQuestion, kKindConfirmation)
        != Answer::Yes)
        return;
    DisableAutoSave();
    shown->setText(QStringLiteral("-"));
    shown->setToolTip(QString());
    MessageDialog::Mesaj(QStringLiteral("Salvare Automata"), QStringLiteral("Salvarea automata a fost dezactivata!"),
                         kButtonOK, kKindInformation);
}

} // namespace backup
