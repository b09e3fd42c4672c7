#include "data/FileLock.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
constexpr long long kLockOffset = 0x7FFFFFF0LL;
}

FileLock::FileLock(QFile& file, Mode mode) : m_file(file)
{
#ifdef Q_OS_WIN
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    OVERLAPPED ov{};
    ov.Offset = DWORD(kLockOffset & 0xFFFFFFFF);
    ov.OffsetHigh = DWORD(kLockOffset >> 32);
    m_locked = LockFileEx(h, mode == Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, 1, 0, &ov);
#else
    struct flock fl{};
    fl.l_type = mode == Exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockOffset;
    fl.l_len = 1;
    // Open-file-description locks belong to this open file, not to the whole
    // process, so two threads or two handles in one process exclude each other.
#ifdef F_OFD_SETLKW
    int cmd = F_OFD_SETLKW;
#else
    int cmd = F_SETLKW;
#endif
    int rc;
    do {
        rc = fcntl(file.handle(), cmd, &fl);
    } while (rc == -1 && errno == EINTR);
    m_locked = rc == 0;
#endif
}

FileLock::~FileLock()
{
    if (!m_locked)
        return;
#ifdef Q_OS_WIN
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(m_file.handle()));
    OVERLAPPED ov{};
    ov.Offset = DWORD(kLockOffset & 0xFFFFFFFF);
    ov.OffsetHigh = DWORD(kLockOffset >> 32);
    UnlockFileEx(h, 0, 1, 0, &ov);
#else
    struct flock fl{};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockOffset;
    fl.l_len = 1;
#ifdef F_OFD_SETLK
    fcntl(m_file.handle(), F_OFD_SETLK, &fl);
#else
    fcntl(m_file.handle(), F_SETLK, &fl);
#endif
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
