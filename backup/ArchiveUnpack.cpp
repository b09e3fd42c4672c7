// Unpacking ".L21" archives. Every length is checked against what the file can
// still hold before it is used, names are refused unless they are plain file
// names, and each stream must deliver exactly the size its entry declares.
// Nothing is written until the whole archive has been read once and found
// sound, within the size limits, and with room for it on the target's disk.
#include "backup/Archive.h"
#include "backup/ArchiveIO.h"
#include "data/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>
#include <QRegularExpression>

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace backup {

namespace {

// The smallest entry: name length, a one-byte name, size, and the shortest
// zlib stream (2 header bytes, a 2-byte empty final block, 4 check bytes).
constexpr qint64 kMinEntryBytes = 4 + 1 + 4 + 8;
// Longest file name the file systems we run on accept.
constexpr std::int32_t kMaxNameBytes = 255;

// Reads the archive through one 64 KB buffer, which the inflater consumes in place.
class Reader {
public:
    explicit Reader(QFile& file) : m_file(file), m_buf(kBufferSize) {}

    qint64 remaining() const { return m_fileSize - m_position; }
    qint64 position() const { return m_position; }
    void setFileSize(qint64 size) { m_fileSize = size; }

    // Makes at least one byte available; false at the end of the file or on a read error.
    bool fill()
    {
        if (m_pos < m_len)
            return true;
        const qint64 got = m_file.read(reinterpret_cast<char*>(m_buf.data()), kBufferSize);
        m_pos = 0;
        m_len = got > 0 ? int(got) : 0;
        return m_len > 0;
    }
    bool readExact(unsigned char* dst, qint64 n)
    {
        while (n > 0) {
            if (!fill())
                return false;
            const qint64 take = std::min<qint64>(n, m_len - m_pos);
            std::copy_n(m_buf.data() + m_pos, take, dst);
            consume(int(take));
            dst += take;
            n -= take;
        }
        return true;
    }
    std::optional<std::int32_t> readInt32()
    {
        unsigned char b[4];
        if (!readExact(b, 4))
            return std::nullopt;
        return int32At(b);
    }
    unsigned char* data() { return m_buf.data() + m_pos; }
    int available() const { return m_len - m_pos; }
    void consume(int n)
    {
        m_pos += n;
        m_position += n;
    }

private:
    QFile& m_file;
    std::vector<unsigned char> m_buf;
    int m_pos = 0;
    int m_len = 0;
    qint64 m_position = 0;
    qint64 m_fileSize = 0;
};

// Control characters, C1 controls included: the five bytes Windows-1250
// leaves unassigned decode to them.
bool isControl(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

// True when the name can only mean a file directly inside the target folder.
bool isPlainFileName(const QString& name)
{
    if (name.isEmpty())
        return false;
    bool onlyDots = true;
    for (QChar c : name) {
        if (isControl(c))
            return false;
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return false; // folder part or drive letter
        if (c != QLatin1Char('.'))
            onlyDots = false;
    }
    if (onlyDots)
        return false; // ".", ".." and the like name folders, not files
    // Windows sends these names, with any extension, to devices.
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return !device.match(name).hasMatch();
}

// The name as it can be shown in a message: control characters as "?".
QString printable(QString name)
{
    for (QChar& c : name)
        if (isControl(c))
            c = QLatin1Char('?');
    return name;
}

using Failure = UnpackResult::Failure;

QString megabytes(qint64 bytes) { return QString::number((bytes + (1 << 20) - 1) >> 20); }

// The name and size an entry declares.
struct EntryHeader {
    QString name;
    QString shown; // the name as it can be shown
    std::int32_t size = 0;
};

// Reads the archive twice: once to check every entry without writing, then
// to write the files.
class Unpacker {
public:
    Unpacker(const QString& file, const QString& folder, const ArchiveProgress& progress, const UnpackLimits& limits)
        : m_file(file), m_folder(folder), m_progress(progress), m_limits(limits) {}

    UnpackResult run()
    {
        QFile archive(m_file);
        if (!archive.open(QIODevice::ReadOnly))
            return {Failure::Damaged, QStringLiteral("Nu pot deschide arhiva %1!").arg(m_file)};
        if (UnpackResult checked = pass(archive, false); checked.failed())
            return checked;
        if (UnpackResult room = checkRoom(); room.failed())
            return room;
        if (!archive.seek(0))
            return damaged(QStringLiteral("nu poate fi citita a doua oara."));
        return pass(archive, true);
    }

private:
    UnpackResult damaged(const QString& what) const
    {
        return {Failure::Damaged, QStringLiteral("Arhiva %1 este defecta: %2").arg(m_file, what)};
    }
    // True when a file of size bytes from a stream of streamBytes is a
    // decompression bomb rather than a table or a document.
    bool isBomb(qint64 size, qint64 streamBytes) const
    {
        return size > m_limits.ratioFloor && size > m_limits.ratio * streamBytes;
    }

    UnpackResult tooLarge(const QString& what) const
    {
        return {Failure::TooLarge, QStringLiteral("Arhiva %1 nu poate fi despachetata: %2").arg(m_file, what)};
    }

    UnpackResult pass(QFile& archive, bool write)
    {
        Reader in(archive);
        in.setFileSize(archive.size());
        const auto count = in.readInt32();
        if (!count)
            return damaged(QStringLiteral("lipseste numarul de fisiere."));
        if (*count < 0 || *count > in.remaining() / kMinEntryBytes)
            return damaged(QStringLiteral("declara %1 fisiere, mai multe decat poate cuprinde.").arg(*count));
        for (int i = 1; i <= *count; ++i) {
            if (m_progress)
                m_progress(write ? *count + i : i, 2 * *count);
            const UnpackResult r = write ? writeEntry(in, i) : checkEntry(in, i);
            if (r.failed())
                return r;
        }
        return {};
    }

    // Reads the name and size of entry i, refusing what no reading accepts.
    UnpackResult header(Reader& in, int i, EntryHeader& h) const
    {
        const auto nameLength = in.readInt32();
        if (!nameLength)
            return damaged(QStringLiteral("fisierul %1 este trunchiat.").arg(i));
        if (*nameLength <= 0 || *nameLength > kMaxNameBytes || *nameLength > in.remaining())
            return damaged(QStringLiteral("fisierul %1 are un nume de %2 octeti.").arg(i).arg(*nameLength));
        QByteArray name(*nameLength, '\0');
        if (!in.readExact(reinterpret_cast<unsigned char*>(name.data()), name.size()))
            return damaged(QStringLiteral("fisierul %1 este trunchiat.").arg(i));
        h.name = fromCp1250(name);
        h.shown = printable(h.name);
        if (!isPlainFileName(h.name))
            return damaged(QStringLiteral("fisierul %1 are numele nepermis \"%2\".").arg(i).arg(h.shown));
        const auto size = in.readInt32();
        if (!size)
            return damaged(QStringLiteral("fisierul %1 (%2) este trunchiat.").arg(i).arg(h.shown));
        if (*size < 0)
            return damaged(QStringLiteral("fisierul %1 (%2) are marimea %3.").arg(i).arg(h.shown).arg(*size));
        h.size = *size;
        return {};
    }

    // The first reading: the entry's name and sizes checked and its stream
    // inflated without writing.
    UnpackResult checkEntry(Reader& in, int i)
    {
        EntryHeader h;
        if (UnpackResult r = header(in, i, h); r.failed())
            return r;
        if (UnpackResult r = checkUniqueName(i, h); r.failed())
            return r;
        // The stream cannot be longer than what is left of the file.
        if (UnpackResult r = checkDeclaredSize(i, h, in.remaining()); r.failed())
            return r;
        const qint64 start = in.position();
        if (UnpackResult r = inflateEntry(in, nullptr, i, h); r.failed())
            return r;
        if (isBomb(h.size, in.position() - start))
            return bomb(i, h);
        return {};
    }

    // On a file system without letter case the second of two such names
    // would overwrite the first.
    UnpackResult checkUniqueName(int i, const EntryHeader& h)
    {
        const QString key = h.name.toCaseFolded();
        if (const auto earlier = m_names.constFind(key); earlier != m_names.cend())
            return damaged(QStringLiteral("fisierul %1 (%2) are acelasi nume ca fisierul %3 (%4).")
                               .arg(i).arg(h.shown).arg(earlier->first).arg(earlier->second));
        m_names.insert(key, {i, h.shown});
        return {};
    }

    UnpackResult checkDeclaredSize(int i, const EntryHeader& h, qint64 streamBytesAtMost)
    {
        if (h.size > m_limits.fileBytes)
            return tooLarge(QStringLiteral("fisierul %1 (%2) ar avea %3 MB, peste limita de %4 MB a unui fisier de date.")
                                .arg(i).arg(h.shown, megabytes(h.size), megabytes(m_limits.fileBytes)));
        m_declared += h.size;
        if (m_declared > m_limits.totalBytes)
            return tooLarge(QStringLiteral("fisierele ei ar avea peste %1 MB, limita unui folder de date.")
                                .arg(megabytes(m_limits.totalBytes)));
        if (isBomb(h.size, streamBytesAtMost))
            return bomb(i, h);
        return {};
    }

    UnpackResult bomb(int i, const EntryHeader& h) const
    {
        return tooLarge(QStringLiteral("fisierul %1 (%2) declara %3 MB, de peste %4 ori cat ocupa comprimat.")
                            .arg(i).arg(h.shown, megabytes(h.size)).arg(m_limits.ratio));
    }

    // Refuses before writing when the target's disk cannot take every file.
    UnpackResult checkRoom() const
    {
        const QStorageInfo disk(m_folder);
        if (!disk.isValid() || disk.bytesAvailable() < 0 || disk.bytesAvailable() >= m_declared)
            return {};
        return {Failure::DiskFull,
                QStringLiteral("Discul este plin! Fisierele din arhiva %1 au %2 MB, pe discul folderului %3 sunt liberi %4 MB.")
                    .arg(m_file, megabytes(m_declared), QDir::toNativeSeparators(m_folder),
                         QString::number(disk.bytesAvailable() >> 20))};
    }

    // Why a file could not be created or written: the disk is full (the
    // system says so, or no room is left), or another reason.
    UnpackResult cannotWrite(const QFileDevice& out, const QString& what) const
    {
        const QStorageInfo disk(m_folder);
        const bool full = out.error() == QFileDevice::ResourceError // no space left on the device
                          || (disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < kBufferSize);
        const QString text = what.arg(QDir::toNativeSeparators(out.fileName()), m_file);
        if (full)
            return {Failure::DiskFull, QStringLiteral("Discul este plin! ") + text};
        return {Failure::CannotWrite, text};
    }

    // The second reading: the entry's file written.
    UnpackResult writeEntry(Reader& in, int i)
    {
        EntryHeader h;
        if (UnpackResult r = header(in, i, h); r.failed())
            return r;
        const QString target = QDir(m_folder).filePath(h.name);
        // Remove what is there first, so that a link of that name is replaced,
        // not followed; NewOnly then refuses anything that appeared meanwhile.
        if (QFileInfo(target).isSymLink() || QFileInfo::exists(target))
            QFile::remove(target);
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return cannotWrite(out, QStringLiteral("Nu pot crea fisierul %1 din arhiva %2!"));
        UnpackResult failure = inflateEntry(in, &out, i, h);
        out.close();
        if (!failure.failed() && out.error() != QFileDevice::NoError)
            failure = cannotWrite(out, QStringLiteral("Nu pot scrie fisierul %1 din arhiva %2!"));
        if (failure.failed())
            QFile::remove(target); // a failing entry leaves no half file behind
        return failure;
    }

    // Inflates the entry's stream into out (nowhere when null), never past
    // the size it declares.
    UnpackResult inflateEntry(Reader& in, QFile* out, int i, const EntryHeader& h) const
    {
        z_stream zs{};
        if (inflateInit(&zs) != Z_OK)
            return damaged(QStringLiteral("nu pot despacheta fisierul %1 (%2).").arg(i).arg(h.shown));
        std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&zs, inflateEnd);
        std::vector<char> outBuf(kBufferSize);
        qint64 total = 0;
        while (true) {
            if (!in.fill())
                return damaged(QStringLiteral("fisierul %1 (%2) este trunchiat.").arg(i).arg(h.shown));
            zs.next_in = in.data();
            zs.avail_in = uInt(in.available());
            zs.next_out = reinterpret_cast<Bytef*>(outBuf.data());
            zs.avail_out = kBufferSize;
            const int rc = inflate(&zs, Z_NO_FLUSH);
            in.consume(in.available() - int(zs.avail_in));
            const qint64 produced = kBufferSize - zs.avail_out;
            total += produced;
            if (total > h.size)
                return damaged(QStringLiteral("fisierul %1 (%2) contine mai mult decat cei %3 octeti declarati.")
                                   .arg(i).arg(h.shown).arg(h.size));
            if (out && produced > 0 && out->write(outBuf.data(), produced) != produced)
                return cannotWrite(*out, QStringLiteral("Nu pot scrie fisierul %1 din arhiva %2!"));
            if (rc == Z_STREAM_END)
                break;
            if (rc != Z_OK && rc != Z_BUF_ERROR)
                return damaged(QStringLiteral("datele fisierului %1 (%2) sunt corupte.").arg(i).arg(h.shown));
        }
        if (total != h.size)
            return damaged(QStringLiteral("fisierul %1 (%2) are %3 octeti in loc de %4.")
                               .arg(i).arg(h.shown).arg(total).arg(h.size));
        return {};
    }

    QString m_file;
    QString m_folder;
    const ArchiveProgress& m_progress;
    UnpackLimits m_limits;
    qint64 m_declared = 0;                          // sizes declared so far
    QHash<QString, std::pair<int, QString>> m_names; // case-folded name -> entry number, shown name
};

} // namespace

UnpackResult UnpackArchiveWithReason(const QString& file, const QString& folder, const ArchiveProgress& progress,
                                     const UnpackLimits& limits)
{
    return Unpacker(file, folder, progress, limits).run();
}

bool UnpackArchive(const QString& file, const QString& folder, QString* error, const ArchiveProgress& progress)
{
    const UnpackResult result = UnpackArchiveWithReason(file, folder, progress);
    if (error)
        *error = result.error;
    return result.failed();
}

} // namespace backup
