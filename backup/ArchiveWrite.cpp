// Writing ".L21" archives: several files are compressed at once by worker
// threads, each into its own temporary file, while the calling thread appends
// the finished ones to the archive strictly in listing order.
#include "backup/Archive.h"
#include "backup/ArchiveIO.h"
#include "data/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

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

struct Job {
    QString source;       // the file to compress
    QString compressed;   // temporary file that receives its zlib stream
    qint64 size = 0;      // bytes actually read from the source
    bool done = false;
    QString error;
};

// Compresses source into target as one zlib stream at level 9, reading and
// writing 64 KB at a time. Returns an empty text or the reason of failure.
QString compressFile(const QString& archive, Job& job)
{
    QFile in(job.source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("Nu pot citi fisierul %1 pentru arhiva %2!").arg(job.source, archive);
    QFile out(job.compressed);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("Nu pot scrie fisierul temporar %1 pentru arhiva %2!").arg(job.compressed, archive);

    z_stream zs{};
    if (deflateInit(&zs, 9) != Z_OK)
        return QStringLiteral("Nu pot comprima fisierul %1 pentru arhiva %2!").arg(job.source, archive);
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&zs, deflateEnd);

    std::vector<char> inBuf(kBufferSize), outBuf(kBufferSize);
    qint64 total = 0;
    bool atEnd = false;
    while (true) {
        if (zs.avail_in == 0 && !atEnd) {
            const qint64 got = in.read(inBuf.data(), kBufferSize);
            if (got < 0)
                return QStringLiteral("Nu pot citi fisierul %1 pentru arhiva %2!").arg(job.source, archive);
            total += got;
            if (total > std::numeric_limits<std::int32_t>::max())
                return QStringLiteral("Fisierul %1 este prea mare pentru arhiva %2!").arg(job.source, archive);
            atEnd = got == 0;
            zs.next_in = reinterpret_cast<Bytef*>(inBuf.data());
            zs.avail_in = static_cast<uInt>(got);
        }
        zs.next_out = reinterpret_cast<Bytef*>(outBuf.data());
        zs.avail_out = kBufferSize;
        const int rc = deflate(&zs, atEnd ? Z_FINISH : Z_NO_FLUSH);
        if (rc == Z_STREAM_ERROR)
            return QStringLiteral("Nu pot comprima fisierul %1 pentru arhiva %2!").arg(job.source, archive);
        const qint64 produced = kBufferSize - zs.avail_out;
        if (produced > 0 && out.write(outBuf.data(), produced) != produced)
            return QStringLiteral("Nu pot scrie fisierul temporar %1 pentru arhiva %2!").arg(job.compressed, archive);
        if (rc == Z_STREAM_END)
            break;
    }
    if (!out.flush())
        return QStringLiteral("Nu pot scrie fisierul temporar %1 pentru arhiva %2!").arg(job.compressed, archive);
    job.size = total;
    return {};
}

// Hands out the files to the workers and lets the writer wait for them. A
// worker starts file j only when j < written + window, so at most `window`
// compressed temporaries exist; slot j % window is free again by then.
class JobQueue {
public:
    JobQueue(std::vector<Job>& jobs, int window) : m_jobs(jobs), m_window(window) {}

    // Next file for a worker, or -1 when there is nothing left (or we stop).
    int take()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] {
            return m_stop || m_next >= int(m_jobs.size()) || m_next < m_written + m_window;
        });
        if (m_stop || m_next >= int(m_jobs.size()))
            return -1;
        return m_next++;
    }
    void finish(int j, const QString& error)
    {
        {
            std::lock_guard lock(m_mutex);
            m_jobs[j].error = error;
            m_jobs[j].done = true;
        }
        m_changed.notify_all();
    }
    void waitFor(int j)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_jobs[j].done; });
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
    std::vector<Job>& m_jobs;
    const int m_window;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 0;
    int m_written = 0;
    bool m_stop = false;
};

void appendFile(QFile& archive, const QString& archivePath, const QString& compressed)
{
    QFile in(compressed);
    if (!in.open(QIODevice::ReadOnly))
        throw ArchiveError(QStringLiteral("Nu pot citi fisierul temporar %1 pentru arhiva %2!").arg(compressed, archivePath));
    std::vector<char> buf(kBufferSize);
    while (true) {
        const qint64 got = in.read(buf.data(), kBufferSize);
        if (got < 0)
            throw ArchiveError(QStringLiteral("Nu pot citi fisierul temporar %1 pentru arhiva %2!").arg(compressed, archivePath));
        if (got == 0)
            break;
        if (archive.write(buf.data(), got) != got)
            throw ArchiveError(QStringLiteral("Nu pot scrie arhiva %1!").arg(archivePath));
    }
}

void writeEntries(QFile& archive, const QString& file, const QString& folder,
                  const QStringList& names, const ArchiveProgress& progress, int threads)
{
    const int count = int(names.size());
    const int window = std::max(1, std::min(threads, count));

    // One reserved temporary name per slot, beside the archive; removed at the end.
    std::vector<std::unique_ptr<QTemporaryFile>> tempSlots;
    for (int s = 0; s < window; ++s) {
        auto tmp = std::make_unique<QTemporaryFile>(file + QStringLiteral(".XXXXXX.tmp"));
        if (!tmp->open())
            throw ArchiveError(QStringLiteral("Nu pot crea un fisier temporar langa arhiva %1!").arg(file));
        tmp->close();
        tempSlots.push_back(std::move(tmp));
    }

    std::vector<Job> jobs(count);
    for (int j = 0; j < count; ++j) {
        jobs[j].source = QDir(folder).filePath(names[j]);
        jobs[j].compressed = tempSlots[j % window]->fileName();
    }
    JobQueue queue(jobs, window);
    std::vector<std::thread> workers;
    for (int w = 0; w < window; ++w)
        workers.emplace_back([&] {
            for (int j = queue.take(); j >= 0; j = queue.take())
                queue.finish(j, compressFile(file, jobs[j]));
        });
    struct Joiner {
        JobQueue& queue;
        std::vector<std::thread>& workers;
        ~Joiner()
        {
            queue.stop();
            for (auto& t : workers)
                t.join();
        }
    } joiner{queue, workers};

    for (int j = 0; j < count; ++j) {
        if (progress)
            progress(j, count);
        queue.waitFor(j);
        if (!jobs[j].error.isEmpty())
            throw ArchiveError(jobs[j].error);
        const QByteArray name = toCp1250(names[j]);
        QByteArray header;
        appendInt32(header, std::int32_t(name.size()));
        header.append(name);
        appendInt32(header, std::int32_t(jobs[j].size));
        if (archive.write(header) != header.size())
            throw ArchiveError(QStringLiteral("Nu pot scrie arhiva %1!").arg(file));
        appendFile(archive, file, jobs[j].compressed);
        queue.written(j + 1);
    }
}

} // namespace

void WriteArchive(const QString& folder, const QString& file, const ArchiveProgress& progress, int threads)
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
        if (archive.write(count) != count.size())
            throw ArchiveError(QStringLiteral("Nu pot scrie arhiva %1!").arg(file));
        writeEntries(archive, file, folder, names, progress, threads);
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
