// Commands of the backup archive: saving the data folder into a ".L21"
// archive and unpacking an archive into a folder.
#include "tools/hestavo-cli/CliCommand.h"

#include "backup/Archive.h"
#include "data/Files.h"
#include "data/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cli {
namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

backup::ArchiveProgress progressTo(const CliContext& context, const QString& what)
{
    return [&context, what](int position, int maximum) {
        context.progress(QStringLiteral("%1 %2/%3").arg(what).arg(position).arg(maximum));
    };
}

// The data folder, copied as the program copies it before archiving (table
// index flags cleared), written into a file beside the target and renamed over
// it, so an earlier archive of that name stays whole when writing fails.
void saveArchive(CliContext& context, const QStringList& arguments)
{
    const QString file = QFileInfo(arguments.value(0)).absoluteFilePath();
    if (QDir::cleanPath(QFileInfo(file).absolutePath()) == QDir::cleanPath(QFileInfo(paths().dataFolder).absoluteFilePath()))
        throw CliFailure("Salvarea nu poate fi scrisa in folderul bazei de date " + shown(paths().dataFolder) + ".");
    QString why;
    const QString snapshot = backup::SnapshotDataFolder(paths().dataFolder, FreshTempFolder(QStringLiteral("SaveRA")), &why);
    if (snapshot.isEmpty())
        throw CliFailure(why.isEmpty() ? QStringLiteral("Nu pot scrie pe harddisk!!") : why);
    const QString beside = file + ".nou";
    try {
        backup::ClearTableIndexFlags(snapshot);
        backup::WriteArchive(snapshot, beside, progressTo(context, QStringLiteral("Salvez")));
    } catch (...) {
        DeleteFolderTree(snapshot);
        throw;
    }
    const QStringList files = backup::ArchiveFileList(snapshot);
    DeleteFolderTree(snapshot);
    QFile::remove(file);
    if (!QFile::rename(beside, file)) {
        QFile::remove(beside);
        throw CliFailure("Nu pot scrie salvarea " + shown(file) + ".");
    }
    PrintLine("Salvare: " + shown(file));
    for (const QString& name : files)
        PrintLine("Fisier: " + name);
}

// Unpacks every entry into the folder; a damaged or hostile archive (an entry
// name with a folder part, "..", a drive or a device name) stops with the
// program's message and nothing is written outside the folder.
void openArchive(CliContext& context, const QStringList& arguments)
{
    const QString file = arguments.value(0);
    const QString folder = QFileInfo(arguments.value(1)).absoluteFilePath();
    if (!QFileInfo(file).isFile())
        throw CliFailure("Fisierul " + shown(file) + " nu exista.");
    if (!QDir().mkpath(folder))
        throw CliFailure("Nu pot crea folderul " + shown(folder));
    QString error;
    if (backup::UnpackArchive(file, folder, &error, progressTo(context, QStringLiteral("Dezarhivez"))))
        throw CliFailure(error);
    PrintLine("Dezarhivat in: " + shown(folder));
    for (const QString& name : backup::ArchiveFileList(folder))
        PrintLine("Fisier: " + name);
}

const CliRegistration registrations[] = {
    CliRegistration({"backup save", "FISIER", "salveaza baza de date in arhiva FISIER (.L21)", saveArchive, 1, 1}),
    CliRegistration({"backup open", "FISIER FOLDER", "dezarhiveaza arhiva FISIER in FOLDER", openArchive, 2, 2}),
};

} // namespace
} // namespace cli
