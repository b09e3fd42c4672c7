#include "backup/NetworkFolder.h"

#include "app/MessageDialog.h"
#include "app/ProblemHint.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Folder text for comparisons: "/" separators, no trailing separator, capitals.
QString folderKey(const QString& folder)
{
    QString s = QDir::fromNativeSeparators(folder.trimmed());
    while (s.size() > 1 && s.endsWith(u'/'))
        s.chop(1);
    return s.toUpper();
}

} // namespace

bool IsNetworkMode() { return folderKey(paths().dataFolder) != folderKey(paths().localDataFolder); }

bool ConnectNetworkFolder(const QString& chosen)
{
    QString folder = chosen.trimmed();
    while (folder.size() > 1 && (folder.endsWith(u'\\') || folder.endsWith(u'/')))
        folder.chop(1);
    if (folder.isEmpty())
        return false;
    const QString key = folderKey(folder);
    if (key == folderKey(paths().dataFolder) || key == folderKey(paths().localDataFolder)) {
        MessageDialog::Mesaj(QStringLiteral("Selectare Cale salvari"), QStringLiteral("Nu puteti salva aici!"),
                             kButtonOK, kKindError);
        return false;
    }
    const QString posix = QDir::fromNativeSeparators(folder);
    for (const char* table : {"Cereri.dbf", "Oameni.dbf", "Log.dbf"})
        if (!QFileInfo(findFileNoCase(posix, QString::fromLatin1(table))).isFile()) {
            MessageDialog::Mesaj(QStringLiteral("Conectare server"),
                                 "Baza de date " + QDir::toNativeSeparators(folder)
                                     + "\rNU este corecta!\rVerificati ce-ati ales!",
                                 kButtonOK, kKindError);
            return false;
        }
    WriteMachineSetting(QStringLiteral("SERVER"), QDir::toNativeSeparators(folder));
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
                             kButtonsYesNo, kKindConfirmation)
        != kResultYes)
        return false;
    WriteMachineSetting(QStringLiteral("SERVER"), QString());
    MessageDialog::Mesaj(QStringLiteral("Deconectat de la server"),
                         QStringLiteral("Sunteti deconectat de la server!\rPorniti programul din nou !"), kButtonOK,
                         kKindInformation);
    return true;
}
