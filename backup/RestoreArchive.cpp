// The restore: unpack and verify beside the safety archive, then the folder swap.
#include "backup/RestoreArchive.h"

#include "backup/AutomaticSave.h"
#include "backup/DataFolderReplace.h"
#include "backup/SaveFolderSetting.h"
#include "backup/TablesInUse.h"
#include "data/Files.h"
#include "data/Paths.h"
#include "data/TableStructure.h"
#include "engine/Database.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <thread>

namespace backup {

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// Why the unpacked archive cannot replace the data: empty, without its two
// main tables, a table the engine cannot read, or one of the program's
// tables with columns the program does not work with. Empty when it is usable.
QString verifyUnpacked(const QString& folder)
{
    const QStringList names = ArchiveFileList(folder);
    if (names.isEmpty())
        return QStringLiteral("Salvarea nu contine niciun fisier.");
    for (const char* required : {"Cereri.dbf", "Oameni.dbf"})
        if (!QFileInfo(findFileNoCase(folder, QString::fromLatin1(required))).isFile())
            return QStringLiteral("Salvarea nu contine tabela %1.").arg(QString::fromLatin1(required));
    engine::Database probe(paths().enginePrivateFolder.toStdString());
    for (const QString& name : names) {
        if (!name.endsWith(QStringLiteral(".dbf"), Qt::CaseInsensitive))
            continue;
        const QString path = QDir(folder).filePath(name);
        QString structure;
        try {
            probe.open("SELECT COUNT(*) AS N FROM \"" + path.toStdString() + "\"");
            structure = TableStructureProblem(path, name);
        } catch (const std::exception& e) {
            return QStringLiteral("Tabela %1 din salvare nu poate fi citita: %2").arg(name, QString::fromStdString(e.what()));
        }
        if (!structure.isEmpty())
            return QStringLiteral("Tabela %1 din salvare nu are structura folosita de program: %2.").arg(name, structure);
    }
    return {};
}

// The safety archive of the current data, written on a thread of its own
// while the new archive is unpacked and verified: into a side file of the
// automatic-save folder when that can be written, else in the restore's work
// folder (beside the data folder, or the program folder for a shared one);
// given its dated name only once the restore goes ahead.
class SafetyArchive {
public:
    SafetyArchive(const QString& dataFolder, const QString& autoSaveFolder, const QString& workFolder)
    {
        if (ArchiveFileList(dataFolder).isEmpty())
            return; // nothing to keep
        m_folder = autoSaveFolder != QLatin1String("-") && CanWriteIn(autoSaveFolder) ? autoSaveFolder : workFolder;
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

// Unpacks the archive into a fresh staging folder and verifies it. Returns
// why it cannot replace the data, or an empty text.
QString unpackIntoStaging(const QString& file, const QString& staging, const ArchiveProgress& progress)
{
    const UnpackResult unpacked = UnpackArchiveWithReason(file, staging, progress);
    return unpacked.failed() ? unpacked.message() : verifyUnpacked(staging);
}

} // namespace

QString SafetyCopyFolder(const QString& dataFolder) { return RestorePlacesFor(dataFolder).safety; }

bool RecoverInterruptedRestore(const QString& dataFolder)
{
    return RepairInterruptedReplace(RestorePlacesFor(dataFolder));
}

RestoreResult RestoreArchive(const QString& file, const QString& dataFolder, const QString& autoSaveFolder,
                             const ArchiveProgress& progress)
{
    const RestorePlaces places = RestorePlacesFor(dataFolder);
    RestoreResult result;
    result.safetyFolder = places.safety;
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
    // folder's disk where it is local, so that the swap is two renames.
    const QString& staging = places.staging;
    if (!DeleteFolderTree(staging) || !QDir().mkpath(staging)) {
        DeleteFolderTree(staging);
        result.error = QStringLiteral("Nu pot scrie pe harddisk!\rNu pot crea folderul %1!").arg(native(staging));
        return result;
    }
    QString why;
    {
        SafetyArchive safety(dataFolder, autoSaveFolder, places.work);
        why = unpackIntoStaging(file, staging, progress);
        // The safety archive is complete before any file of the data is touched.
        if (why.isEmpty())
            result.safetyArchive = safety.keep(&why);
    }
    if (why.isEmpty())
        why = ReplaceDataFolder(places);
    if (!why.isEmpty()) {
        DeleteFolderTree(staging);
        return failed(why);
    }
    result.restored = true;
    return result;
}

} // namespace backup
