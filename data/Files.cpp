#include "data/Files.h"

#include "data/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <filesystem>
#include <map>
#include <memory>
#include <vector>

namespace {
QSet<QString>& handedOut()
{
    static QSet<QString> names;
    return names;
}

// The lock of every temporary folder this run made and has not deleted yet,
// by the folder's clean absolute path.
std::map<QString, std::unique_ptr<QLockFile>>& heldTempFolders()
{
    static std::map<QString, std::unique_ptr<QLockFile>> held;
    return held;
}

QString folderKey(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// A lock that only a running process keeps: no age makes it stale.
std::unique_ptr<QLockFile> folderLock(const QString& folder)
{
    auto lock = std::make_unique<QLockFile>(folder + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}
} // namespace

QString FreshTempFile(const QString& stem, const QString& extension)
{
    const QString folder = paths().tempFolder + "/TmpL226";
    if (!QDir().mkpath(folder))
        return QString();
    for (int n = 0; n < 1000; ++n) {
        const QString path = folder + "/" + stem + QString::number(n) + extension;
        if (handedOut().contains(path.toLower()) || QFileInfo::exists(path))
            continue;
        handedOut().insert(path.toLower());
        return path;
    }
    return QString();
}

QString FreshTempFolder(const QString& stem)
{
    if (!QDir().mkpath(paths().tempFolder))
        return QString();
    QDir temp(paths().tempFolder);
    for (int n = 0; n < 100; ++n) {
        const QString folder = temp.filePath(stem + QString::number(n));
        if (QFileInfo::exists(folder))
            continue;
        // The lock comes first, so that no other run ever sees the folder
        // without it.
        std::unique_ptr<QLockFile> lock = folderLock(folder);
        if (!lock->tryLock(0))
            continue;
        if (QFileInfo::exists(folder) || !QDir().mkdir(folder))
            continue;
        heldTempFolders()[folderKey(folder)] = std::move(lock);
        return folder;
    }
    return QString();
}

int ClearStaleTempFolders()
{
    static const QRegularExpression made(QStringLiteral("^[A-Za-z]+\\d{1,2}$"));
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    int cleared = 0;
    const QFileInfoList folders = QDir(paths().tempFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& folder : folders) {
        if (folder.isSymLink() || !made.match(folder.fileName()).hasMatch()
            || heldTempFolders().count(folderKey(folder.filePath())))
            continue;
        const bool marked = QFileInfo::exists(folder.filePath() + QStringLiteral(".lock"));
        if (!marked && folder.lastModified().toUTC() > dayAgo)
            continue;
        std::unique_ptr<QLockFile> lock = folderLock(folder.filePath());
        if (!lock->tryLock(0))
            continue; // its run is still going
        if (DeleteFolderTree(folder.filePath()))
            ++cleared;
    }
    return cleared;
}

bool ClearTempFolderAtExit()
{
    heldTempFolders().clear(); // this run's folders go with the rest
    const QDir temp(paths().tempFolder);
    QSet<QString> heldByOthers;
    for (const QFileInfo& folder : temp.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!QFileInfo::exists(folder.filePath() + QStringLiteral(".lock")))
            continue;
        std::unique_ptr<QLockFile> lock = folderLock(folder.filePath());
        if (!lock->tryLock(0))
            heldByOthers << folder.fileName() << folder.fileName() + QStringLiteral(".lock");
    }
    bool cleared = true;
    for (const QFileInfo& entry : temp.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (heldByOthers.contains(entry.fileName()))
            continue;
        const bool gone = entry.isDir() && !entry.isSymLink() ? DeleteFolderTree(entry.filePath())
                                                                : QFile::remove(entry.filePath());
        cleared = cleared && gone;
    }
    if (heldByOthers.isEmpty())
        QDir().rmdir(temp.path());
    return cleared;
}

bool DeleteFolderTree(const QString& path)
{
    if (path.trimmed().isEmpty())
        return false;
    const std::filesystem::path p = QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toStdWString();
    if (p == p.root_path())
        return false;
    std::error_code ec;
    std::filesystem::remove_all(p, ec);
    const bool gone = !std::filesystem::exists(p, ec);
    if (gone)
        heldTempFolders().erase(folderKey(path)); // its lock file goes with the lock
    return gone;
}

QString findResource(const QString& name, const QString& type)
{
    const QString exact = ":/" + type + "/" + name;
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList types = QDir(QStringLiteral(":/")).entryList(QDir::Dirs);
    for (const QString& t : types) {
        if (QString::compare(t, type, Qt::CaseInsensitive) != 0)
            continue;
        const QStringList files = QDir(":/" + t).entryList(QDir::Files);
        for (const QString& f : files)
            if (QString::compare(f, name, Qt::CaseInsensitive) == 0)
                return ":/" + t + "/" + f;
    }
    return QString();
}

bool ResourceToFile(const QString& name, const QString& type, const QString& path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return false;
    if (QFileInfo::exists(path))
        return false;
    const QString res = findResource(name, type);
    if (res.isEmpty())
        return false;
    QFile in(res);
    QSaveFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    out.write(in.readAll());
    if (!out.commit())
        return false;
    // Resources are read-only; the copy must stay deletable and replaceable.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    return true;
}

bool MoveFileByCopy(const QString& source, const QString& target, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail("Nu pot citi fisierul " + QDir::toNativeSeparators(source) + ": " + in.errorString());
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return fail("Nu pot crea fisierul " + QDir::toNativeSeparators(target) + ": " + out.errorString());
    QByteArray block;
    while (!(block = in.read(1 << 16)).isEmpty()) {
        if (out.write(block) != block.size()) {
            out.cancelWriting();
            return fail("Nu pot scrie fisierul " + QDir::toNativeSeparators(target) + ": " + out.errorString());
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return fail("Nu pot citi fisierul " + QDir::toNativeSeparators(source) + ": " + in.errorString());
    }
    if (!out.commit())
        return fail("Nu pot scrie fisierul " + QDir::toNativeSeparators(target) + ": " + out.errorString());
    in.close();
    if (!QFile::remove(source))
        return fail("Fisierul " + QDir::toNativeSeparators(source) + " a fost copiat, dar nu poate fi sters.");
    return true;
}

QString ChooseEnginePrivateFolder(const QString& programFolder)
{
    // The locks live as long as the process: a folder another running
    // instance holds is skipped, a folder left behind by a dead one is reused.
    static std::vector<std::unique_ptr<QLockFile>> held;
    for (int n = 0; n < 100; ++n) {
        const QString folder = programFolder + "/TMP" + QString::number(n);
        if (!QDir().mkpath(folder))
            continue;
        auto lock = std::make_unique<QLockFile>(folder + "/hestavo.lock");
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            const QFileInfo fi(it.next());
            if (fi.fileName() == QLatin1String("hestavo.lock"))
                continue;
            if (fi.isDir() && !fi.isSymLink())
                DeleteFolderTree(fi.filePath());
            else
                QFile::remove(fi.filePath());
        }
        held.push_back(std::move(lock));
        return folder;
    }
    return QString();
}
