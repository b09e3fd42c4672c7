// The restore: unpack and verify beside the safety archive, then the folder swap.
#include "backup/RestoreArchive.h"

#include "backup/AutomaticSave.h"
#include "backup/SaveFolderSetting.h"
#include "backup/TablesInUse.h"
#include "data/Files.h"
#include "data/Paths.h"
#include "engine/Database.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <thread>

namespace backup {

namespace {

QString parentOf(const QString& folder) { return QFileInfo(QDir::cleanPath(folder)).absolutePath(); }
QString nameOf(const QString& folder) { return QFileInfo(QDir::cleanPath(folder)).fileName(); }
QString stagingFolder(const QString& data) { return QDir(parentOf(data)).filePath(nameOf(data) + ".new"); }
QString journalFile(const QString& data) { return QDir(parentOf(data)).filePath(nameOf(data) + ".restore.jrn"); }
QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// Why the unpacked archive cannot replace the data: empty, without its two
// main tables, or a table the engine cannot read. Empty when it is usable.
QString verifyUnpacked(const QString& folder)
{
    const QStringList names = ArchiveFileList(folder);
    if (names.isEmpty())
        return QStringLiteral("Salvarea nu contine niciun fisier.");
    for (const char* required : {"Cereri.dbf", "Oameni.dbf"})
        if (!QFileInfo(findFileNoCase(folder, QString::fromLatin1(required))).isFile())
            return QStringLiteral("Salvarea nu contine tabela %1.").arg(QString::fromLatin1(required));
    engine::Database probe(QFile::encodeName(paths().enginePrivateFolder).toStdString());
    for (const QString& name : names) {
        if (!name.endsWith(QStringLiteral(".dbf"), Qt::CaseInsensitive))
            continue;
        const QString path = QDir(folder).filePath(name);
        try {
            probe.open("SELECT COUNT(*) AS N FROM \"" + path.toStdString() + "\"");
        } catch (const std::exception& e) {
            return QStringLiteral("Tabela %1 din salvare nu poate fi citita: %2").arg(name, QString::fromStdString(e.what()));
        }
    }
    return {};
}

// The safety archive of the current data, written on a thread of its own
// while the new archive is unpacked and verified: into a side file of the
// automatic-save folder when that can be written, else beside the data
// folder; given its dated name only once the restore goes ahead.
class SafetyArchive {
public:
    SafetyArchive(const QString& dataFolder, const QString& autoSaveFolder)
    {
        if (ArchiveFileList(dataFolder).isEmpty())
            return; // nothing to keep
        m_folder = autoSaveFolder != QLatin1String("-") && CanWriteIn(autoSaveFolder) ? autoSaveFolder
                                                                                       : parentOf(dataFolder);
        m_partial = DatedArchiveName(m_folder, QDate::currentDate()) + QStringLiteral(".tmp");
        m_thread = std::thread([this, dataFolder] {
            m_ok = SaveDataToArchive(dataFolder, m_partial, &m_error, {}, kSafetyArchiveLevel);
        });
    }
    ~SafetyArchive()
    {
        finish();
        if (!m_partial.isEmpty())
            QFile::remove(m_partial); // not kept: the restore did not go ahead
    }

    // Waits for the archive and gives it its dated name. Returns the name
    // (empty when there was nothing to save) or sets *error.
    QString keep(QString* error)
    {
        finish();
        if (m_partial.isEmpty())
            return {};
        const QString target = DatedArchiveName(m_folder, QDate::currentDate());
        if (!m_ok || !QFile::rename(m_partial, target)) {
            *error = QStringLiteral("Nu pot face copia de siguranta a datelor curente in %1!\r%2")
                         .arg(native(m_folder), m_error);
            return {};
        }
        m_partial.clear();
        return target;
    }

private:
    void finish()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    QString m_folder;
    QString m_partial;
    bool m_ok = false;
    QString m_error;
    std::thread m_thread;
};

// Unpacks the archive into a fresh staging folder beside the data folder and
// verifies it. Returns why it cannot replace the data, or an empty text.
QString unpackIntoStaging(const QString& file, const QString& staging, const ArchiveProgress& progress)
{
    QString why;
    if (UnpackArchive(file, staging, &why, progress))
        return QStringLiteral("Arhiva este defecta!\r") + why;
    return verifyUnpacked(staging);
}

bool writeJournal(const QString& dataFolder)
{
    QFile journal(journalFile(dataFolder));
    if (!journal.open(QIODevice::WriteOnly))
        return false;
    journal.write(QFile::encodeName(dataFolder));
    return journal.flush();
}

// The folder swap, rolled back when its second rename fails.
QString swapFolders(const QString& dataFolder, const QString& staging, const QString& safety)
{
    if (!DeleteFolderTree(safety))
        return QStringLiteral("Nu pot goli folderul %1!").arg(native(safety));
    if (!writeJournal(dataFolder))
        return QStringLiteral("Nu pot scrie in %1!").arg(native(parentOf(dataFolder)));
    QDir dir;
    if (!dir.rename(dataFolder, safety)) {
        QFile::remove(journalFile(dataFolder));
        return QStringLiteral("Nu pot muta folderul %1 (este folosit de alt program?)").arg(native(dataFolder));
    }
    if (!dir.rename(staging, dataFolder)) {
        dir.rename(safety, dataFolder);
        QFile::remove(journalFile(dataFolder));
        return QStringLiteral("Nu pot muta datele restaurate in %1!").arg(native(dataFolder));
    }
    QFile::remove(journalFile(dataFolder));
    return {};
}

} // namespace

QString SafetyCopyFolder(const QString& dataFolder) { return QDir(parentOf(dataFolder)).filePath(QStringLiteral("DataBAK")); }

bool RecoverInterruptedRestore(const QString& dataFolder)
{
    const QString staging = stagingFolder(dataFolder);
    const QString safety = SafetyCopyFolder(dataFolder);
    if (!QFileInfo::exists(journalFile(dataFolder))) {
        if (QFileInfo::exists(staging))
            DeleteFolderTree(staging);
        return false;
    }
    // The journal is written once "DataBAK" is gone, so "DataBAK" now holds the
    // previous data exactly when the first rename happened. With the staging
    // folder still there the second one did not: the previous data go back.
    // A data folder made meanwhile (a start-up creating empty tables) is kept
    // aside rather than deleted.
    if (QFileInfo::exists(safety) && QFileInfo::exists(staging)) {
        QDir dir;
        if (QFileInfo::exists(dataFolder)) {
            const QString aside = QDir(parentOf(dataFolder)).filePath(nameOf(dataFolder) + ".partial");
            DeleteFolderTree(aside);
            if (!dir.rename(dataFolder, aside))
                return false; // the journal stays: the next start tries again
        }
        if (!dir.rename(safety, dataFolder))
            return false;
    }
    DeleteFolderTree(staging);
    QFile::remove(journalFile(dataFolder));
    return true;
}

RestoreResult RestoreArchive(const QString& file, const QString& dataFolder, const QString& autoSaveFolder,
                             const ArchiveProgress& progress)
{
    RestoreResult result;
    result.safetyFolder = SafetyCopyFolder(dataFolder);
    auto failed = [&](const QString& why) {
        result.error = QStringLiteral("Restaurare esuata!\r") + why;
        return result;
    };
    RecoverInterruptedRestore(dataFolder);
    if (const QString busy = TableInUseMessage(dataFolder); !busy.isEmpty())
        return failed(busy);

    if (!QFileInfo(file).isFile())
        return failed(QStringLiteral("Nu pot deschide arhiva %1!").arg(native(file)));
    // The archive is unpacked straight into the staging folder, on the data
    // folder's disk, so that the swap is two renames.
    const QString staging = stagingFolder(dataFolder);
    if (!DeleteFolderTree(staging) || !QDir().mkpath(staging)) {
        DeleteFolderTree(staging);
        result.error = QStringLiteral("Nu pot scrie pe harddisk!\rNu pot crea folderul %1!").arg(native(staging));
        return result;
    }
    QString why;
    {
        SafetyArchive safety(dataFolder, autoSaveFolder);
        why = unpackIntoStaging(file, staging, progress);
        // The safety archive is complete before any file of the data is touched.
        if (why.isEmpty())
            result.safetyArchive = safety.keep(&why);
    }
    if (why.isEmpty())
        why = swapFolders(dataFolder, staging, result.safetyFolder);
    if (!why.isEmpty()) {
        DeleteFolderTree(staging);
        return failed(why);
    }
    result.restored = true;
    return result;
}

} // namespace backup
