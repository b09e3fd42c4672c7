#include "data/FileLock.h"

#include <QRandomGenerator>
#include <QThread>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <atomic>

namespace {
constexpr long long kLockOffset = 0x7FFFFFF0LL;
std::atomic<long long> g_waitLimitMs{15000};

#ifdef Q_OS_WIN
OVERLAPPED lockPlace()
{
    OVERLAPPED ov{};
    ov.Offset = DWORD(kLockOffset & 0xFFFFFFFF);
    ov.OffsetHigh = DWORD(kLockOffset >> 32);
    return ov;
}
HANDLE osHandle(QFile& file) { return reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())); }
#else
// Open-file-description locks belong to this open file, not to the whole
// process, so two threads or two handles in one process exclude each other.
#ifdef F_OFD_SETLK
constexpr int kTryLock = F_OFD_SETLK;
#else
constexpr int kTryLock = F_SETLK;
#endif
bool setLock(int fd, short type)
{
    struct flock fl{};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockOffset;
    fl.l_len = 1;
    int rc;
    do {
        rc = fcntl(fd, kTryLock, &fl);
    } while (rc == -1 && errno == EINTR);
    return rc == 0;
}
#endif
} // namespace

std::chrono::milliseconds FileLock::waitLimit() { return std::chrono::milliseconds(g_waitLimitMs.load()); }
void FileLock::setWaitLimit(std::chrono::milliseconds limit) { g_waitLimitMs = limit.count(); }

bool FileLock::tryOnce(Mode mode)
{
#ifdef Q_OS_WIN
    OVERLAPPED ov = lockPlace();
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (mode == Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(osHandle(m_file), flags, 0, 1, 0, &ov);
#else
    return setLock(m_file.handle(), mode == Exclusive ? F_WRLCK : F_RDLCK);
#endif
}

// Tries without blocking and sleeps between tries (a short, growing, jittered
// pause), so the wait can end at the limit on every platform.
FileLock::FileLock(QFile& file, Mode mode, std::chrono::milliseconds waitLimit) : m_file(file)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + waitLimit;
    int pauseMs = 1;
    for (;;) {
        m_locked = tryOnce(mode);
        if (m_locked || Clock::now() >= deadline)
            return;
        QThread::msleep(1 + QRandomGenerator::global()->bounded(pauseMs));
        pauseMs = std::min(pauseMs * 2, 20);
    }
}

FileLock::~FileLock()
{
    if (!m_locked)
        return;
#ifdef Q_OS_WIN
    OVERLAPPED ov = lockPlace();
    UnlockFileEx(osHandle(m_file), 0, 1, 0, &ov);
#else
    setLock(m_file.handle(), F_UNLCK);
#endif
}

bool syncToDisk(QFile& file)
{
#ifdef Q_OS_WIN
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())));
#else
    return ::fsync(file.handle()) == 0;
#endif
}
