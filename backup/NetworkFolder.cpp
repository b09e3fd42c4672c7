#include "backup/NetworkFolder.h"

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

// The chosen folder without blanks around it and trailing separators.
QString trimmedFolder(const QString& chosen)
{
    QString folder = chosen.trimmed();
    while (folder.size() > 1 && (folder.endsWith(u'\\') || folder.endsWith(u'/')))
        folder.chop(1);
    return folder;
}

} // namespace

bool IsNetworkMode() { return IsNetworkDataFolder(paths().dataFolder); }

bool IsNetworkDataFolder(const QString& folder) { return folderKey(folder) != folderKey(paths().localDataFolder); }

NetworkFolderRefusal CheckNetworkFolder(const QString& chosen)
{
    const QString folder = trimmedFolder(chosen);
    const QString key = folderKey(folder);
    if (key == folderKey(paths().dataFolder) || key == folderKey(paths().localDataFolder))
        return {QStringLiteral("Selectare Cale salvari"), QStringLiteral("Nu puteti salva aici!")};
    const QString posix = QDir::fromNativeSeparators(folder);
    for (const char* table : {"Cereri.dbf", "Oameni.dbf", "Log.dbf"})
        if (!QFileInfo(findFileNoCase(posix, QString::fromLatin1(table))).isFile())
            return {QStringLiteral("Conectare server"), "Baza de date " + QDir::toNativeSeparators(folder)
                                                            + "\rNU este corecta!\rVerificati ce-ati ales!"};
    return {};
}

void StoreNetworkFolder(const QString& chosen)
{
    WriteMachineSetting(QStringLiteral("SERVER"), QDir::toNativeSeparators(trimmedFolder(chosen)));
}
