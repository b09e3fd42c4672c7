// Which files an archive holds, the snapshot of the data folder that is
// archived, and opening an archive named on the command line.
#include "backup/Archive.h"

#include "data/Files.h"
#include "data/Paths.h"
#include "engine/storage/IndexFlag.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace backup {

QStringList ArchiveFileList(const QString& folder)
{
    QStringList names;
    // Unsorted: the order of the folder listing, as the archive format records it.
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isFile() && !info.isSymLink() && info.size() > 0)
            names.append(info.fileName());
    }
    return names;
}

QString SnapshotDataFolder(const QString& dataFolder, const QString& snapshotFolder, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QString();
    };
    if (error)
        error->clear();
    if (snapshotFolder.isEmpty() || !QDir().mkpath(snapshotFolder))
        return fail(QStringLiteral("Nu pot crea folderul %1!").arg(snapshotFolder));
    const QStringList names = ArchiveFileList(dataFolder);
    if (names.isEmpty())
        return fail(QStringLiteral("Folderul %1 nu are fisiere de salvat!").arg(dataFolder));
    for (const QString& name : names) {
        const QString source = QDir(dataFolder).filePath(name);
        const QString target = QDir(snapshotFolder).filePath(name);
        std::error_code ec;
        std::filesystem::copy_file(std::filesystem::path(source.toStdU16String()),
                                   std::filesystem::path(target.toStdU16String()),
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec)
            return fail(QStringLiteral("Nu pot copia %1 in %2!").arg(source, snapshotFolder));
    }
    return snapshotFolder;
}

QString SnapshotDataFolder(QString* error)
{
    const QString snapshot = FreshTempFolder(QStringLiteral("SaveRA"));
    if (snapshot.isEmpty()) {
        if (error)
            *error = QStringLiteral("Nu pot crea un folder temporar in %1!").arg(paths().tempFolder);
        return {};
    }
    return SnapshotDataFolder(paths().dataFolder, snapshot, error);
}

void ClearTableIndexFlags(const QString& folder)
{
    for (const QString& name : ArchiveFileList(folder))
        if (name.endsWith(QStringLiteral(".dbf"), Qt::CaseInsensitive))
            engine::storage::clearProductionIndexFlag(QDir(folder).filePath(name).toStdString());
}

CommandLineArchive OpenCommandLineArchive(const QString& argument, const ArchiveProgress& progress)
{
    CommandLineArchive result;
    const QFileInfo info(argument);
    if (argument.isEmpty() || !info.isFile())
        return result; // None
    if (info.suffix().compare(QStringLiteral("L21"), Qt::CaseInsensitive) != 0) {
        result.outcome = CommandLineArchive::Outcome::Ignored;
        return result;
    }
    result.archive = info.absoluteFilePath();
    result.outcome = CommandLineArchive::Outcome::Failed;

    const QString program = FreshTempFolder(QStringLiteral("SAV"));
    const QString data = program.isEmpty() ? QString() : QDir(program).filePath(QStringLiteral("Data"));
    if (program.isEmpty() || !QDir().mkpath(data)) {
        result.error = QStringLiteral("Nu pot crea un folder de lucru in %1 pentru arhiva %2!")
                           .arg(paths().tempFolder, result.archive);
        return result;
    }
    QString error;
    if (UnpackArchive(result.archive, data, &error, progress)) {
        DeleteFolderTree(program);
        result.error = error;
        return result;
    }
    result.outcome = CommandLineArchive::Outcome::Opened;
    result.programFolder = program;
    result.dataFolder = data;
    QDir::setCurrent(program);
    paths().programFolder = program;
    paths().dataFolder = data;
    paths().localDataFolder = data;
    paths().openedArchive = result.archive;
    return result;
}

} // namespace backup
