// Unpacking ".L21" archives. Every length is checked against what the file can
// still hold before it is used, names are refused unless they are plain file
// names, and each stream must deliver exactly the size its entry declares.
#include "backup/Archive.h"
#include "backup/ArchiveIO.h"
#include "data/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

class Unpacker {
public:
    Unpacker(const QString& file, const QString& folder, const ArchiveProgress& progress)
        : m_file(file), m_folder(folder), m_progress(progress) {}

    // Returns an empty text on success, else the reason of failure.
    QString run()
    {
        QFile archive(m_file);
        if (!archive.open(QIODevice::ReadOnly))
            return QStringLiteral("Nu pot deschide arhiva %1!").arg(m_file);
        Reader in(archive);
        in.setFileSize(archive.size());

        const auto count = in.readInt32();
        if (!count)
            return damaged(QStringLiteral("lipseste numarul de fisiere."));
        if (*count < 0 || *count > in.remaining() / kMinEntryBytes)
            return damaged(QStringLiteral("declara %1 fisiere, mai multe decat poate cuprinde.").arg(*count));
        for (int i = 1; i <= *count; ++i) {
            if (m_progress)
                m_progress(i, *count);
            const QString failure = entry(in, i);
            if (!failure.isEmpty())
                return failure;
        }
        return {};
    }

private:
    QString damaged(const QString& what) const
    {
        return QStringLiteral("Arhiva %1 este defecta: %2").arg(m_file, what);
    }

    QString entry(Reader& in, int i)
    {
        const auto nameLength = in.readInt32();
        if (!nameLength)
            return damaged(QStringLiteral("fisierul %1 este trunchiat.").arg(i));
        if (*nameLength <= 0 || *nameLength > kMaxNameBytes || *nameLength > in.remaining())
            return damaged(QStringLiteral("fisierul %1 are un nume de %2 octeti.").arg(i).arg(*nameLength));
        QByteArray name(*nameLength, '\0');
        if (!in.readExact(reinterpret_cast<unsigned char*>(name.data()), name.size()))
            return damaged(QStringLiteral("fisierul %1 este trunchiat.").arg(i));
        const QString decoded = fromCp1250(name);
        const QString shown = printable(decoded);
        if (!isPlainFileName(decoded))
            return damaged(QStringLiteral("fisierul %1 are numele nepermis \"%2\".").arg(i).arg(shown));
        const auto size = in.readInt32();
        if (!size)
            return damaged(QStringLiteral("fisierul %1 (%2) este trunchiat.").arg(i).arg(shown));
        if (*size < 0)
            return damaged(QStringLiteral("fisierul %1 (%2) are marimea %3.").arg(i).arg(shown).arg(*size));

        const QString target = QDir(m_folder).filePath(decoded);
        // Remove what is there first, so that a link of that name is replaced,
        // not followed; NewOnly then refuses anything that appeared meanwhile.
        if (QFileInfo(target).isSymLink() || QFileInfo::exists(target))
            QFile::remove(target);
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return QStringLiteral("Nu pot crea fisierul %1 din arhiva %2!").arg(target, m_file);
        const QString failure = inflateEntry(in, out, i, shown, *size);
        out.close();
        if (failure.isEmpty() && out.error() != QFileDevice::NoError)
            return QStringLiteral("Nu pot scrie fisierul %1 din arhiva %2!").arg(target, m_file);
        if (!failure.isEmpty())
            QFile::remove(target); // a damaged entry leaves no half file behind
        return failure;
    }

    QString inflateEntry(Reader& in, QFile& out, int i, const QString& shown, std::int32_t size)
    {
        z_stream zs{};
        if (inflateInit(&zs) != Z_OK)
            return damaged(QStringLiteral("nu pot despacheta fisierul %1 (%2).").arg(i).arg(shown));
        std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&zs, inflateEnd);
        std::vector<char> outBuf(kBufferSize);
        qint64 total = 0;
        while (true) {
            if (!in.fill())
                return damaged(QStringLiteral("fisierul %1 (%2) este trunchiat.").arg(i).arg(shown));
            zs.next_in = in.data();
            zs.avail_in = uInt(in.available());
            zs.next_out = reinterpret_cast<Bytef*>(outBuf.data());
            zs.avail_out = kBufferSize;
            const int rc = inflate(&zs, Z_NO_FLUSH);
            in.consume(in.available() - int(zs.avail_in));
            const qint64 produced = kBufferSize - zs.avail_out;
            total += produced;
            if (total > size)
                return damaged(QStringLiteral("fisierul %1 (%2) contine mai mult decat cei %3 octeti declarati.")
                                   .arg(i).arg(shown).arg(size));
            if (produced > 0 && out.write(outBuf.data(), produced) != produced)
                return QStringLiteral("Nu pot scrie fisierul %1 din arhiva %2!").arg(out.fileName(), m_file);
            if (rc == Z_STREAM_END)
                break;
            if (rc != Z_OK && rc != Z_BUF_ERROR)
                return damaged(QStringLiteral("datele fisierului %1 (%2) sunt corupte.").arg(i).arg(shown));
        }
        if (total != size)
            return damaged(QStringLiteral("fisierul %1 (%2) are %3 octeti in loc de %4.")
                               .arg(i).arg(shown).arg(total).arg(size));
        return {};
    }

    QString m_file;
    QString m_folder;
    const ArchiveProgress& m_progress;
};

} // namespace

bool UnpackArchive(const QString& file, const QString& folder, QString* error, const ArchiveProgress& progress)
{
    const QString failure = Unpacker(file, folder, progress).run();
    if (error)
        *error = failure;
    return !failure.isEmpty();
}

} // namespace backup
