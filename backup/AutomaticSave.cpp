// The save of the data folder into an archive and the save on exit.
#include "backup/AutomaticSave.h"

#include "data/Files.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace backup {

QString DatedArchiveName(const QString& folder, const QDate& date)
{
    const QString stem = QDir(folder).filePath(date.toString(QStringLiteral("ddMMyyyy")) + "_");
    for (int n = 0;; ++n) {
        const QString name = stem + QString::number(n) + ".L21";
        if (!QFileInfo::exists(name))
            return name;
    }
}

bool SaveDataToArchive(const QString& dataFolder, const QString& file, QString* error,
                       const ArchiveProgress& progress, int level)
{
    QFile::remove(file);
    QString why;
    const QString snapshot = SnapshotDataFolder(dataFolder, FreshTempFolder(QStringLiteral("SaveRA")), &why);
    if (snapshot.isEmpty()) {
        if (error)
            *error = QStringLiteral("Nu pot scrie pe harddisk!!\r") + why;
        return false;
    }
    bool ok = true;
    try {
        ClearTableIndexFlags(snapshot);
        WriteArchive(snapshot, file, progress, 0, level);
    } catch (const ArchiveError& e) {
        ok = false;
        if (error)
            *error = e.message();
    } catch (const std::exception& e) {
        ok = false;
        if (error)
            *error = QString::fromStdString(e.what());
    }
    DeleteFolderTree(snapshot);
    return ok;
}

QString AutoSaveFolder()
{
    QString folder = paths().autoSaveFolder.trimmed();
    if (folder.isEmpty())
        folder = ReadMachineSetting(QStringLiteral("CALESALVARI")).trimmed();
    return folder.isEmpty() ? QStringLiteral("-") : folder;
}

namespace {

// Moves the working data of an opened archive out of the temporary folder,
// beside the program, and returns where it went (empty when it could not).
QString keepWorkingFolder()
{
    const QString name = QStringLiteral("Date_nesalvate_")
                         + QDateTime::currentDateTime().toString(QStringLiteral("ddMMyyyy_hhmmss"));
    const QString target = QDir(paths().exeFolder).filePath(name);
    if (QDir().rename(paths().dataFolder, target))
        return target;
    return {};
}

} // namespace

ExitSaveResult SaveOnExit(const ArchiveProgress& progress)
{
    ExitSaveResult result;
    const bool opened = !paths().openedArchive.isEmpty();
    if (opened) {
        result.target = paths().openedArchive;
    } else {
        const QString folder = AutoSaveFolder();
        if (QDir::cleanPath(paths().dataFolder) != QDir::cleanPath(paths().localDataFolder)) {
            result.error = QStringLiteral("Numai Serverul poate salva automat!");
            return result;
        }
        if (folder == QLatin1String("-")) {
            result.error = QStringLiteral("Salvarea automata este dezactivata!");
            return result;
        }
        if (!QDir().mkpath(folder)) {
            result.error = QStringLiteral("Nu pot crea folderul salvarilor automate %1!").arg(QDir::toNativeSeparators(folder));
            return result;
        }
        result.target = DatedArchiveName(folder, QDate::currentDate());
    }
    const QString temporary = FreshTempFile(QStringLiteral("TmpSv"), QStringLiteral(".sav"));
    if (temporary.isEmpty())
        result.error = QStringLiteral("Nu pot crea un fisier temporar in %1!").arg(QDir::toNativeSeparators(paths().tempFolder));
    else if (SaveDataToArchive(paths().dataFolder, temporary, &result.error, progress))
        result.saved = MoveFileByCopy(temporary, result.target, &result.error);
    if (!result.saved) {
        QFile::remove(temporary);
        if (opened)
            result.keptFolder = keepWorkingFolder();
    }
    return result;
}

} // namespace backup
