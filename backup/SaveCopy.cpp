// The save on demand.
#include "backup/SaveCopy.h"

#include "backup/AutomaticSave.h"
#include "data/Files.h"
#include "data/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace backup {

namespace {

QString comparable(const QString& folder)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(QFileInfo(folder).absoluteFilePath())).toLower();
}

} // namespace

bool IsInsideDataFolder(const QString& file)
{
    const QString folder = comparable(QFileInfo(file).absolutePath());
    return folder == comparable(paths().dataFolder) || folder == comparable(paths().localDataFolder);
}

bool SaveCopy(const QString& file, QString* error, const ArchiveProgress& progress)
{
    const QString temporary = FreshTempFile(QStringLiteral("SaveTmp"), QStringLiteral(".tmp"));
    if (temporary.isEmpty()) {
        *error = QStringLiteral("Nu pot scrie pe harddisk!!");
        return false;
    }
    if (SaveDataToArchive(paths().dataFolder, temporary, error, progress) && MoveFileByCopy(temporary, file, error))
        return true;
    QFile::remove(temporary);
    return false;
}

} // namespace backup
