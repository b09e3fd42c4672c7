// The ".L21" backup archive: a count, then for every file its name length, its
// Windows-1250 name, its size and its content as one zlib stream (level 9).
// Writing throws ArchiveError; unpacking reports failure through its result.
// All error texts are Romanian and name the archive.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace backup {

// A failure of an archive operation; message() is the text shown to the user.
class ArchiveError : public std::runtime_error {
public:
    explicit ArchiveError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Progress of a long archive operation: position within maximum. Called on the
// caller's thread.
using ArchiveProgress = std::function<void(int position, int maximum)>;

// The files an archive of the folder holds, in folder-listing order: regular
// files above zero bytes; sub-folders, symbolic links and empty files are left out.
QStringList ArchiveFileList(const QString& folder);

// Compression level of the archives saved on demand, on exit and sent away.
inline constexpr int kArchiveLevel = 9;
// The fast level of the safety archive a restore makes of the data it is
// about to replace: written while the user waits, read back only if needed.
inline constexpr int kSafetyArchiveLevel = 1;

// Writes every file of ArchiveFileList(folder) into a new archive at file
// (an existing file is replaced), each as one zlib stream at `level`. Every
// file is compressed in blocks of 1 MB by up to `threads` workers at once
// (0: one per processor core); the blocks are joined in order, so the bytes
// do not depend on the number of workers, and a file of one block is exactly
// what a single zlib compression gives. At most two blocks per worker are
// held in memory; no temporary file is made. On failure the partial archive
// is deleted and ArchiveError thrown.
void WriteArchive(const QString& folder, const QString& file, const ArchiveProgress& progress = {},
                  int threads = 0, int level = kArchiveLevel);

// What a data folder can hold: tables and documents stay far below these.
// An archive declaring more is refused before anything is written.
inline constexpr qint64 kMaxUnpackedFileBytes = qint64(1) << 30;  // 1 GB per file
inline constexpr qint64 kMaxUnpackedTotalBytes = qint64(2) << 30; // 2 GB in all
// Tables and documents compress tens of times; a file above the floor that
// declares more than this many times its stream is a decompression bomb.
inline constexpr qint64 kMaxCompressionRatio = 200;
inline constexpr qint64 kCompressionRatioFloor = qint64(1) << 20;

struct UnpackLimits {
    qint64 fileBytes = kMaxUnpackedFileBytes;
    qint64 totalBytes = kMaxUnpackedTotalBytes;
    qint64 ratio = kMaxCompressionRatio;
    qint64 ratioFloor = kCompressionRatioFloor;
};

// Why unpacking failed, for the caller that words its message by it.
struct UnpackResult {
    enum class Failure {
        None,
        Damaged,     // cannot be opened, damaged, or hostile names
        TooLarge,    // declared sizes beyond the limits above
        CannotWrite, // a file of the target folder cannot be created or written
        DiskFull,    // the target's disk has no room for the files
    };
    Failure failure = Failure::None;
    QString error; // the Romanian reason; empty on success
    bool failed() const { return failure != Failure::None; }
    // The text to show: a damaged archive is called so first ("Arhiva este
    // defecta!"); an archive too large or a full disk are told as such.
    QString message() const
    {
        return failure == Failure::Damaged ? QStringLiteral("Arhiva este defecta!\r") + error : error;
    }
};

// Writes every entry of the archive at file into folder (existing files are
// replaced). The archive is read through once before anything is written:
// it FAILS, writing nothing, when it cannot be opened or an entry is damaged
// or hostile (a name with a folder part, "..", a drive, a control character
// or a Windows device name; two names that differ only in letter case; a
// size its stream does not deliver or exceeds; more entries than the file
// can hold; a truncated stream), when the declared sizes exceed the limits
// (those above unless given) or the compression ratio, and when the disk of folder has
// less room than the files need. Writing then stops at the first file that
// cannot be written (the disk filled meanwhile: DiskFull); the files written
// before it stay, the failing one leaves no file. Nothing is ever written
// outside folder, and never more than an entry declares. Progress runs over
// both readings: 1..count for the check, count+1..2*count for the writing.
UnpackResult UnpackArchiveWithReason(const QString& file, const QString& folder,
                                     const ArchiveProgress& progress = {}, const UnpackLimits& limits = {});

// The same, returning true when the archive FAILED; `error` receives the reason.
bool UnpackArchive(const QString& file, const QString& folder, QString* error = nullptr,
                   const ArchiveProgress& progress = {});

// Copies every file of ArchiveFileList(dataFolder) into snapshotFolder
// (overwriting) and returns snapshotFolder; returns an empty text when the
// data folder has no such file or a copy fails (`error` then says why).
// The caller passes a fresh temporary folder ("SaveRA").
QString SnapshotDataFolder(const QString& dataFolder, const QString& snapshotFolder,
                           QString* error = nullptr);
// The same for the program's data folder, into FreshTempFolder("SaveRA").
QString SnapshotDataFolder(QString* error = nullptr);

// Clears the production-index flag of every ".dbf" table (extension in any
// case) in folder and deletes its ".mdx" file; used on a snapshot before archiving.
void ClearTableIndexFlags(const QString& folder);

// An archive named on the command line, opened for work in a temporary copy.
struct CommandLineArchive {
    enum class Outcome {
        None,    // no argument, or it names no existing file: work locally
        Ignored, // an existing file whose extension is not ".L21": work locally
        Opened,  // unpacked: work in dataFolder
        Failed,  // the archive could not be unpacked: error says why; work locally
    };
    Outcome outcome = Outcome::None;
    QString archive;       // the archive path when Opened or Failed
    QString programFolder; // the "SAV" folder that stands for the program folder
    QString dataFolder;    // programFolder + "/Data"
    QString error;
};

// Does the start-up's handling of the command-line argument: when it names an
// existing file with the extension ".L21" (any case), takes FreshTempFolder("SAV"),
// creates its "Data" folder, unpacks the archive there, makes the SAV folder
// the current directory and sets paths(): program folder = the SAV folder,
// data folder = local data folder = its "Data", opened archive = the archive.
// When unpacking fails the SAV folder is deleted, paths() stay as they were
// and the outcome is Failed, so that a partial copy is never worked on (and
// never saved back over the archive at exit).
CommandLineArchive OpenCommandLineArchive(const QString& argument, const ArchiveProgress& progress = {});

} // namespace backup
