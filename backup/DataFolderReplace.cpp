// The swap of the data folder and, where it cannot be renamed, the exchange
// of its files; both under a journal that a repair reads back.
#include "backup/DataFolderReplace.h"

#include "backup/NetworkFolder.h"
#include "data/Files.h"
#include "data/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace backup {

namespace {

QString parentOf(const QString& folder) { return QFileInfo(QDir::cleanPath(folder)).absolutePath(); }
QString nameOf(const QString& folder) { return QFileInfo(QDir::cleanPath(folder)).fileName(); }
QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// Test switches, read from the environment. HESTAVO_TEST_RESTORE_PINNED makes
// the data folder refuse to be renamed, as a share root or a mount point does.
// HESTAVO_TEST_RESTORE_STOP=<n> ends the process at once, without any
// clean-up, right after the n-th step (journal written or file moved) of a
// file exchange, as a kill at that moment would.
bool dataFolderPinned() { return !qEnvironmentVariableIsEmpty("HESTAVO_TEST_RESTORE_PINNED"); }

class ExchangeSteps {
public:
    ExchangeSteps() : m_stopAfter(qEnvironmentVariableIntValue("HESTAVO_TEST_RESTORE_STOP")) {}
    void done()
    {
        if (++m_done == m_stopAfter)
            std::_Exit(3);
    }

private:
    int m_stopAfter;
    int m_done = 0;
};

// The step a journal records: the swap of the folders, or the files of the
// data folder moving out to "DataBAK", or the staged files moving in.
enum class Step { Swap, FilesOut, FilesIn };

struct Journal {
    QString data;
    Step step = Step::Swap;
    QStringList staged; // while the staged files move in: their names
};

// Lines: the data folder, the step ("swap", "out", "in"), the staged names.
// The journal is replaced whole, never left half written.
bool writeJournal(const RestorePlaces& p, Step step, const QStringList& staged = {})
{
    static const char* const names[] = {"swap", "out", "in"};
    QSaveFile file(p.journal);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QList<QByteArray> lines{QFile::encodeName(p.data), names[int(step)]};
    for (const QString& name : staged)
        lines << QFile::encodeName(name);
    file.write(lines.join('\n'));
    return file.commit();
}

// A journal of one line, as written before the file exchange existed, is a swap's.
std::optional<Journal> readJournal(const RestorePlaces& p)
{
    QFile file(p.journal);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = file.readAll().split('\n');
    Journal j;
    j.data = QFile::decodeName(lines.value(0));
    const QByteArray step = lines.value(1);
    j.step = step == "out" ? Step::FilesOut : step == "in" ? Step::FilesIn : Step::Swap;
    for (qsizetype i = 2; i < lines.size(); ++i)
        j.staged << QFile::decodeName(lines[i]);
    return j;
}

bool sameFolder(const QString& a, const QString& b)
{
    return QDir::cleanPath(a).compare(QDir::cleanPath(b), Qt::CaseInsensitive) == 0;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Moves a file, replacing one of that name: a rename, or between disks a
// copy that takes the name only when whole. A file found in both places is
// thus one whose move had not finished, the same in both.
bool moveFile(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()), ec);
    return !ec || MoveFileByCopy(from, to);
}

bool moveFiles(const QString& from, const QString& to, ExchangeSteps* steps = nullptr)
{
    for (const QString& name : filesIn(from)) {
        if (!moveFile(QDir(from).filePath(name), QDir(to).filePath(name)))
            return false;
        if (steps)
            steps->done();
    }
    return true;
}

// Puts the previous files back after an exchange stopped in the journal's
// step. Each stage leaves a journal from which a later attempt goes on.
bool rollBackExchange(const RestorePlaces& p, const Journal& journal)
{
    if (journal.step == Step::FilesIn) {
        // Every previous file is in "DataBAK" by now; those of the staged names are new.
        for (const QString& name : journal.staged) {
            const QString path = QDir(p.data).filePath(name);
            if (QFileInfo::exists(path) && !QFile::remove(path))
                return false;
        }
        if (!writeJournal(p, Step::FilesOut))
            return false;
    }
    if (!moveFiles(p.safety, p.data))
        return false;
    DeleteFolderTree(p.safety);
    return true;
}

// The journal is written once "DataBAK" is gone, so "DataBAK" now holds the
// previous data exactly when the first rename happened. With the staging
// folder still there the second one did not: the previous data go back. A
// data folder made meanwhile (a start-up creating empty tables) is kept
// aside rather than deleted.
bool repairSwap(const RestorePlaces& p)
{
    if (!QFileInfo::exists(p.safety) || !QFileInfo::exists(p.staging))
        return true;
    QDir dir;
    if (QFileInfo::exists(p.data)) {
        const QString aside = QDir(parentOf(p.data)).filePath(nameOf(p.data) + ".partial");
        DeleteFolderTree(aside);
        if (!dir.rename(p.data, aside))
            return false;
    }
    return dir.rename(p.safety, p.data);
}

// The data folder keeps its place; its files and the staged ones change places.
QString exchangeFiles(const RestorePlaces& p)
{
    ExchangeSteps steps;
    const QStringList staged = filesIn(p.staging);
    if (!QDir().mkpath(p.safety) || !writeJournal(p, Step::FilesOut)) {
        QFile::remove(p.journal);
        return QStringLiteral("Nu pot scrie in %1!").arg(native(p.work));
    }
    steps.done();
    auto undo = [&](Step step, const QString& why) {
        if (rollBackExchange(p, {p.data, step, staged})) {
            QFile::remove(p.journal);
            return why;
        }
        return why + QStringLiteral("\rFisierele anterioare sunt in %1 si vor fi puse la loc la urmatoarea pornire.")
                         .arg(native(p.safety));
    };
    if (!moveFiles(p.data, p.safety, &steps))
        return undo(Step::FilesOut,
                    QStringLiteral("Nu pot muta fisierele din %1 (sunt folosite de alt program?)").arg(native(p.data)));
    if (!writeJournal(p, Step::FilesIn, staged))
        return undo(Step::FilesOut, QStringLiteral("Nu pot scrie in %1!").arg(native(p.work)));
    steps.done();
    if (!moveFiles(p.staging, p.data, &steps))
        return undo(Step::FilesIn, QStringLiteral("Nu pot muta datele restaurate in %1!").arg(native(p.data)));
    QFile::remove(p.journal);
    DeleteFolderTree(p.staging);
    return {};
}

} // namespace

RestorePlaces RestorePlacesFor(const QString& dataFolder)
{
    RestorePlaces p;
    p.data = QDir::cleanPath(dataFolder);
    p.shared = !paths().programFolder.isEmpty() && !paths().localDataFolder.isEmpty()
               && IsNetworkDataFolder(dataFolder);
    p.work = p.shared ? QDir::cleanPath(paths().programFolder) : parentOf(dataFolder);
    const QString stem = p.shared ? QStringLiteral("Retea") : nameOf(dataFolder);
    p.staging = QDir(p.work).filePath(stem + ".new");
    p.journal = QDir(p.work).filePath(stem + ".restore.jrn");
    p.safety = QDir(p.work).filePath(QStringLiteral("DataBAK"));
    return p;
}

QString ReplaceDataFolder(const RestorePlaces& p)
{
    if (!DeleteFolderTree(p.safety))
        return QStringLiteral("Nu pot goli folderul %1!").arg(native(p.safety));
    if (!writeJournal(p, Step::Swap))
        return QStringLiteral("Nu pot scrie in %1!").arg(native(p.work));
    QDir dir;
    if (dataFolderPinned() || !dir.rename(p.data, p.safety)) {
        QFile::remove(p.journal);
        return exchangeFiles(p);
    }
    if (!dir.rename(p.staging, p.data)) {
        dir.rename(p.safety, p.data);
        QFile::remove(p.journal);
        return QStringLiteral("Nu pot muta datele restaurate in %1!").arg(native(p.data));
    }
    QFile::remove(p.journal);
    return {};
}

bool RepairInterruptedReplace(const RestorePlaces& p)
{
    const std::optional<Journal> journal = readJournal(p);
    if (!journal) {
        if (QFileInfo::exists(p.staging))
            DeleteFolderTree(p.staging);
        return false;
    }
    if (p.shared && !sameFolder(journal->data, p.data))
        return false; // another shared folder's: the program folder serves them all
    const bool repaired = journal->step == Step::Swap ? repairSwap(p) : rollBackExchange(p, *journal);
    if (!repaired)
        return false; // the journal stays: the next start tries again
    DeleteFolderTree(p.staging);
    QFile::remove(p.journal);
    return true;
}

} // namespace backup
