// Writing ".L21" archives. Every file is cut into blocks of kBlockSize bytes
// that worker threads compress at once, each block as raw deflate data primed
// with the 32 KB before it and ended on a byte boundary (a sync flush); the
// calling thread joins a file's blocks, in order, into one zlib stream: the
// two-byte header, the blocks, the Adler-32 of the whole file. A file of one
// block is thus exactly what a single zlib compression gives, and a large
// file (a table of tens of megabytes) keeps every core busy too.
#include "backup/Archive.h"
#include "backup/ArchiveIO.h"
#include "data/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace backup {

namespace {

// Input bytes per block; fixed, so that the archive's bytes do not depend on
// the number of workers.
constexpr qint64 kBlockSize = 1024 * 1024;
// The deflate window: a block is primed with this many bytes before it.
constexpr qint64 kWindow = 32 * 1024;

struct Block {
    int file = 0;         // index in the listing
    qint64 offset = 0;    // where the block starts in the file
    qint64 length = 0;
    bool last = false;    // the file's final block
    QByteArray packed;    // raw deflate data
    uLong adler = 1;      // Adler-32 of the block's input
    bool done = false;
    QString error;
};

// The zlib header zlib itself writes for a level (32 KB window, default strategy).
QByteArray zlibHeader(int level)
{
    const int levelFlags = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    int header = (0x78 << 8) | (levelFlags << 6);
    header += 31 - header % 31;
    const char bytes[] = {char(header >> 8), char(header & 0xFF)};
    return QByteArray(bytes, 2);
}

QByteArray bigEndian32(uLong value)
{
    const char bytes[] = {char((value >> 24) & 0xFF), char((value >> 16) & 0xFF), char((value >> 8) & 0xFF),
                          char(value & 0xFF)};
    return QByteArray(bytes, 4);
}

// Compresses one block of source at the level. Returns an empty text or the
// reason of failure.
QString compressBlock(const QString& archive, const QString& source, int level, Block& block)
{
    const QString unreadable = QStringLiteral("Nu pot citi fisierul %1 pentru arhiva %2!").arg(source, archive);
    QFile in(source);
    const qint64 primer = std::min(block.offset, kWindow);
    if (!in.open(QIODevice::ReadOnly) || !in.seek(block.offset - primer))
        return unreadable;
    const QByteArray input = in.read(primer + block.length);
    if (input.size() != primer + block.length)
        return unreadable;

    const QString failed = QStringLiteral("Nu pot comprima fisierul %1 pentru arhiva %2!").arg(source, archive);
    z_stream zs{};
    // Raw deflate with zlib's own window and memory settings: the data are
    // those a zlib stream of the level carries.
    if (deflateInit2(&zs, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return failed;
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&zs, deflateEnd);
    const auto* data = reinterpret_cast<const Bytef*>(input.constData());
    if (primer > 0 && deflateSetDictionary(&zs, data, uInt(primer)) != Z_OK)
        return failed;
    zs.next_in = const_cast<Bytef*>(data + primer);
    zs.avail_in = uInt(block.length);
    // Room for the worst case plus the sync flush marker; grown if ever short.
    block.packed.resize(qsizetype(deflateBound(&zs, uLong(block.length)) + 16));
    zs.next_out = reinterpret_cast<Bytef*>(block.packed.data());
    zs.avail_out = uInt(block.packed.size());
    const int flush = block.last ? Z_FINISH : Z_SYNC_FLUSH;
    while (true) {
        const int rc = deflate(&zs, flush);
        if (rc == Z_STREAM_ERROR)
            return failed;
        if (block.last ? rc == Z_STREAM_END : zs.avail_out > 0)
            break;
        if (zs.avail_out > 0)
            return failed; // no progress with room to spare: cannot happen with sound input
        const qsizetype used = qsizetype(zs.total_out);
        block.packed.resize(2 * block.packed.size());
        zs.next_out = reinterpret_cast<Bytef*>(block.packed.data()) + used;
        zs.avail_out = uInt(block.packed.size() - used);
    }
    if (zs.avail_in != 0)
        return failed;
    block.packed.resize(qsizetype(zs.total_out));
    block.adler = adler32(adler32(0L, Z_NULL, 0), data + primer, uInt(block.length));
    return {};
}

// Hands out the blocks to the workers and lets the writer wait for them. A
// worker starts block j only when j < written + window, so at most `window`
// compressed blocks are held in memory.
class BlockQueue {
public:
    BlockQueue(std::vector<Block>& blocks, int window) : m_blocks(blocks), m_window(window) {}

    // Next block for a worker, or -1 when there is nothing left (or we stop).
    int take()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] {
            return m_stop || m_next >= int(m_blocks.size()) || m_next < m_written + m_window;
        });
        if (m_stop || m_next >= int(m_blocks.size()))
            return -1;
        return m_next++;
    }
    void finish(int j, const QString& error)
    {
        {
            std::lock_guard lock(m_mutex);
            m_blocks[j].error = error;
            m_blocks[j].done = true;
        }
        m_changed.notify_all();
    }
    void waitFor(int j)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_blocks[j].done; });
    }
    void written(int count)
    {
        {
            std::lock_guard lock(m_mutex);
            m_written = count;
        }
        m_changed.notify_all();
    }
    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
    }

private:
    std::vector<Block>& m_blocks;
    const int m_window;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 0;
    int m_written = 0;
    bool m_stop = false;
};

// The blocks of every file, in listing order; throws when a file cannot be
// read or is too large for the format's 32-bit size.
std::vector<Block> planBlocks(const QString& file, const QString& folder, const QStringList& names,
                              std::vector<qint64>& sizes)
{
    std::vector<Block> blocks;
    for (int f = 0; f < int(names.size()); ++f) {
        const QString source = QDir(folder).filePath(names[f]);
        const qint64 size = QFileInfo(source).size();
        if (size > std::numeric_limits<std::int32_t>::max())
            throw ArchiveError(QStringLiteral("Fisierul %1 este prea mare pentru arhiva %2!").arg(source, file));
        sizes.push_back(size);
        qint64 offset = 0;
        do { // one block at least: a file emptied since the listing still gets its stream
            Block b;
            b.file = f;
            b.offset = offset;
            b.length = std::min(kBlockSize, size - offset);
            b.last = offset + kBlockSize >= size;
            blocks.push_back(std::move(b));
            offset += kBlockSize;
        } while (offset < size);
    }
    return blocks;
}

void writeBytes(QFile& archive, const QString& file, const QByteArray& bytes)
{
    if (archive.write(bytes) != bytes.size())
        throw ArchiveError(QStringLiteral("Nu pot scrie arhiva %1!").arg(file));
}

void writeEntries(QFile& archive, const QString& file, const QString& folder, const QStringList& names,
                  const ArchiveProgress& progress, int threads, int level)
{
    std::vector<qint64> sizes;
    std::vector<Block> blocks = planBlocks(file, folder, names, sizes);
    const int workersWanted = std::max(1, std::min(threads, int(blocks.size())));
    BlockQueue queue(blocks, 2 * workersWanted);
    std::vector<std::thread> workers;
    for (int w = 0; w < workersWanted; ++w)
        workers.emplace_back([&] {
            for (int j = queue.take(); j >= 0; j = queue.take()) {
                Block& b = blocks[j];
                queue.finish(j, compressBlock(file, QDir(folder).filePath(names[b.file]), level, b));
            }
        });
    struct Joiner {
        BlockQueue& queue;
        std::vector<std::thread>& workers;
        ~Joiner()
        {
            queue.stop();
            for (auto& t : workers)
                t.join();
        }
    } joiner{queue, workers};

    const int count = int(names.size());
    uLong adler = 1;
    for (int j = 0; j < int(blocks.size()); ++j) {
        Block& b = blocks[j];
        if (b.offset == 0) {
            if (progress)
                progress(b.file, count);
            const QByteArray name = toCp1250(names[b.file]);
            QByteArray header;
            appendInt32(header, std::int32_t(name.size()));
            header.append(name);
            appendInt32(header, std::int32_t(sizes[b.file]));
            writeBytes(archive, file, header + zlibHeader(level));
            adler = adler32(0L, Z_NULL, 0);
        }
        queue.waitFor(j);
        if (!b.error.isEmpty())
            throw ArchiveError(b.error);
        writeBytes(archive, file, b.packed);
        adler = adler32_combine(adler, b.adler, z_off_t(b.length));
        b.packed = QByteArray(); // the memory goes back before the next block is started
        if (b.last)
            writeBytes(archive, file, bigEndian32(adler));
        queue.written(j + 1);
    }
}

} // namespace

void WriteArchive(const QString& folder, const QString& file, const ArchiveProgress& progress, int threads,
                  int level)
{
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    if (!QFileInfo(folder).isDir())
        throw ArchiveError(QStringLiteral("Nu gasesc folderul %1 pentru arhiva %2!").arg(folder, file));
    QStringList names = ArchiveFileList(folder);
    // An archive written into the folder it archives must not swallow itself.
    const QFileInfo target(file);
    names.removeIf([&](const QString& name) { return QFileInfo(QDir(folder).filePath(name)) == target; });

    QFile archive(file);
    if (!archive.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ArchiveError(QStringLiteral("Nu pot crea arhiva %1!").arg(file));
    try {
        QByteArray count;
        appendInt32(count, std::int32_t(names.size()));
        writeBytes(archive, file, count);
        writeEntries(archive, file, folder, names, progress, threads, level);
        if (!archive.flush())
            throw ArchiveError(QStringLiteral("Nu pot scrie arhiva %1!").arg(file));
        archive.close();
        if (archive.error() != QFileDevice::NoError)
            throw ArchiveError(QStringLiteral("Nu pot scrie arhiva %1!").arg(file));
    } catch (...) {
        archive.close();
        QFile::remove(file); // a half-written archive must not pass for a good one
        throw;
    }
    if (progress)
        progress(int(names.size()), int(names.size()));
}

} // namespace backup
