#include "engine/storage/FileHandle.h"

#include "engine/Value.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace engine::storage {

namespace {

bool g_flush = true;

[[noreturn]] void fail(const std::string& what, const std::string& path)
{
#ifdef _WIN32
    const std::string reason = "cod " + std::to_string(GetLastError());
#else
    const std::string reason = std::strerror(errno);
#endif
    throw Error(what + " \"" + path + "\": " + reason);
}

} // namespace

void setFlushToDisk(bool on) { g_flush = on; }

std::filesystem::path fsPath(const std::string& utf8)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
#else
    return std::filesystem::path(utf8);
#endif
}

std::string utf8Path(const std::filesystem::path& path)
{
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
#else
    return path.string();
#endif
}

#ifdef _WIN32

namespace {
// The wide name Windows calls take. A long absolute path gets the "\\?\"
// prefix, which lifts the 260-character limit (it also turns off the
// tidying of "/" and "..", done here instead).
std::wstring windowsName(const std::string& path)
{
    const std::filesystem::path p = fsPath(path);
    std::wstring wide = p.wstring();
    if (wide.size() < MAX_PATH - 12 || !p.is_absolute() || wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    wide = p.lexically_normal().make_preferred().wstring();
    if (wide.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + wide.substr(2);
    return L"\\\\?\\" + wide;
}
} // namespace

FileHandle::FileHandle(const std::string& path, Mode mode) : m_path(path)
{
    const std::wstring wide = windowsName(path);
    DWORD access = GENERIC_READ | (mode == Mode::ReadOnly ? 0 : GENERIC_WRITE);
    DWORD disposition = mode == Mode::CreateNew ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && mode == Mode::ReadWrite && GetLastError() == ERROR_ACCESS_DENIED) {
        h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        m_readOnly = true;
    }
    if (h == INVALID_HANDLE_VALUE)
        fail("Nu pot deschide fisierul", path);
    m_readOnly = m_readOnly || mode == Mode::ReadOnly;
    m_handle = h;
}

FileHandle::~FileHandle() { close(); }

FileHandle::FileHandle(FileHandle&& o) noexcept
    : m_path(std::move(o.m_path)), m_readOnly(o.m_readOnly), m_handle(std::exchange(o.m_handle, nullptr)),
      m_locks(std::move(o.m_locks))
{
}

FileHandle& FileHandle::operator=(FileHandle&& o) noexcept
{
    if (this != &o) {
        close();
        m_path = std::move(o.m_path);
        m_readOnly = o.m_readOnly;
        m_handle = std::exchange(o.m_handle, nullptr);
        m_locks = std::move(o.m_locks);
    }
    return *this;
}

bool FileHandle::isOpen() const { return m_handle != nullptr; }

void FileHandle::close()
{
    if (m_handle) {
        CloseHandle(static_cast<HANDLE>(m_handle));
        m_handle = nullptr;
    }
    m_locks.clear();
}

namespace {
// Reads, writes and locks name their file offset in an OVERLAPPED.
OVERLAPPED overlappedAt(std::uint64_t offset)
{
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return ov;
}
} // namespace

FileStat FileHandle::stat() const
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(static_cast<HANDLE>(m_handle), &info))
        fail("Nu pot citi atributele fisierului", m_path);
    FileStat s;
    s.device = info.dwVolumeSerialNumber;
    s.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    s.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    s.modifiedNs = static_cast<std::int64_t>(
        ((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime) * 100);
    return s;
}

std::size_t FileHandle::readAt(std::uint64_t offset, char* buffer, std::size_t n) const
{
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED ov = overlappedAt(offset + done);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        if (!ReadFile(static_cast<HANDLE>(m_handle), buffer + done, want, &got, &ov)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            fail("Nu pot citi din fisierul", m_path);
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void FileHandle::writeAt(std::uint64_t offset, const char* data, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED ov = overlappedAt(offset + done);
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        if (!WriteFile(static_cast<HANDLE>(m_handle), data + done, want, &put, &ov) || put == 0)
            fail("Nu pot scrie in fisierul", m_path);
        done += put;
    }
}

void FileHandle::truncate(std::uint64_t size)
{
    FILE_END_OF_FILE_INFO info;
    info.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(static_cast<HANDLE>(m_handle), FileEndOfFileInfo, &info, sizeof info))
        fail("Nu pot schimba lungimea fisierului", m_path);
}

void FileHandle::sync()
{
    if (g_flush && !FlushFileBuffers(static_cast<HANDLE>(m_handle)))
        fail("Nu pot salva pe disc fisierul", m_path);
}

bool FileHandle::lockRange(std::uint64_t start, std::uint64_t length, Lock kind, bool wait)
{
    OVERLAPPED ov = overlappedAt(start);
    DWORD flags = (kind == Lock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (LockFileEx(static_cast<HANDLE>(m_handle), flags, 0, static_cast<DWORD>(length & 0xFFFFFFFF),
                   static_cast<DWORD>(length >> 32), &ov))
        return true;
    if (!wait && GetLastError() == ERROR_LOCK_VIOLATION)
        return false;
    fail("Nu pot bloca fisierul", m_path);
}

void FileHandle::unlockRange(std::uint64_t start, std::uint64_t length)
{
    OVERLAPPED ov = overlappedAt(start);
    UnlockFileEx(static_cast<HANDLE>(m_handle), 0, static_cast<DWORD>(length & 0xFFFFFFFF),
                 static_cast<DWORD>(length >> 32), &ov);
}

bool FileHandle::lock(std::uint64_t start, std::uint64_t length, Lock kind, bool wait)
{
    const auto held = std::find_if(m_locks.begin(), m_locks.end(),
                                   [&](const HeldLock& h) { return h.start == start && h.length == length; });
    if (held == m_locks.end()) {
        if (!lockRange(start, length, kind, wait))
            return false;
        m_locks.push_back({start, length, kind});
        return true;
    }
    if (held->kind == kind)
        return true;
    if (kind == Lock::Shared) {
        // A handle may add a shared lock over its own exclusive one; the
        // unlock that follows removes the exclusive lock first.
        lockRange(start, length, Lock::Shared, false);
        unlockRange(start, length);
        held->kind = Lock::Shared;
        return true;
    }
    // Shared to exclusive: let the shared lock go, then ask for the exclusive
    // one; when another handle shares the range, take the shared lock back.
    unlockRange(start, length);
    if (lockRange(start, length, Lock::Exclusive, wait)) {
        held->kind = Lock::Exclusive;
        return true;
    }
    if (!lockRange(start, length, Lock::Shared, false))
        m_locks.erase(held);
    return false;
}

void FileHandle::unlock(std::uint64_t start, std::uint64_t length)
{
    const auto held = std::find_if(m_locks.begin(), m_locks.end(),
                                   [&](const HeldLock& h) { return h.start == start && h.length == length; });
    if (held == m_locks.end())
        return;
    unlockRange(start, length);
    m_locks.erase(held);
}

bool statPath(const std::string& path, FileStat& out)
{
    try {
        FileHandle h(path, FileHandle::Mode::ReadOnly);
        out = h.stat();
        return true;
    } catch (const Error&) {
        return false;
    }
}

void syncDirectoryOf(const std::string&) {}

bool replaceFile(const std::string& source, const std::string& target)
{
    const std::wstring s = windowsName(source);
    const std::wstring t = windowsName(target);
    if (MoveFileExW(s.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // A target some process holds open cannot be replaced on Windows.
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION)
        return false;
    fail("Nu pot inlocui fisierul", target);
}

#else // POSIX

FileHandle::FileHandle(const std::string& path, Mode mode) : m_path(path)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::ReadOnly: flags |= O_RDONLY; break;
    case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    m_fd = ::open(path.c_str(), flags, 0666);
    if (m_fd < 0 && mode == Mode::ReadWrite && (errno == EACCES || errno == EROFS)) {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        m_readOnly = true;
    }
    if (m_fd < 0)
        fail("Nu pot deschide fisierul", path);
    m_readOnly = m_readOnly || mode == Mode::ReadOnly;
}

FileHandle::~FileHandle() { close(); }

FileHandle::FileHandle(FileHandle&& o) noexcept
    : m_path(std::move(o.m_path)), m_readOnly(o.m_readOnly), m_fd(std::exchange(o.m_fd, -1)) {}

FileHandle& FileHandle::operator=(FileHandle&& o) noexcept
{
    if (this != &o) {
        close();
        m_path = std::move(o.m_path);
        m_readOnly = o.m_readOnly;
        m_fd = std::exchange(o.m_fd, -1);
    }
    return *this;
}

bool FileHandle::isOpen() const { return m_fd >= 0; }

void FileHandle::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

namespace {
FileStat fromStat(const struct stat& st)
{
    FileStat s;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}
} // namespace

FileStat FileHandle::stat() const
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        fail("Nu pot citi atributele fisierului", m_path);
    return fromStat(st);
}

std::size_t FileHandle::readAt(std::uint64_t offset, char* buffer, std::size_t n) const
{
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(m_fd, buffer + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail("Nu pot citi din fisierul", m_path);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void FileHandle::writeAt(std::uint64_t offset, const char* data, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(m_fd, data + done, n - done, static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail("Nu pot scrie in fisierul", m_path);
        }
        done += static_cast<std::size_t>(put);
    }
}

void FileHandle::truncate(std::uint64_t size)
{
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
        fail("Nu pot schimba lungimea fisierului", m_path);
}

void FileHandle::sync()
{
    if (g_flush && ::fsync(m_fd) != 0)
        fail("Nu pot salva pe disc fisierul", m_path);
}

namespace {
// A lock request of this type (read, write or unlock) over a byte range.
struct flock lockRequest(short type, std::uint64_t start, std::uint64_t length)
{
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(start);
    fl.l_len = static_cast<off_t>(length);
    return fl;
}
} // namespace

bool FileHandle::lock(std::uint64_t start, std::uint64_t length, Lock kind, bool wait)
{
    struct flock fl = lockRequest(kind == Lock::Exclusive ? F_WRLCK : F_RDLCK, start, length);
    for (;;) {
#ifdef F_OFD_SETLKW
        const int cmd = wait ? F_OFD_SETLKW : F_OFD_SETLK;
#else
        const int cmd = wait ? F_SETLKW : F_SETLK;
#endif
        if (::fcntl(m_fd, cmd, &fl) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (!wait && (errno == EAGAIN || errno == EACCES))
            return false;
        fail("Nu pot bloca fisierul", m_path);
    }
}

void FileHandle::unlock(std::uint64_t start, std::uint64_t length)
{
    struct flock fl = lockRequest(F_UNLCK, start, length);
#ifdef F_OFD_SETLK
    ::fcntl(m_fd, F_OFD_SETLK, &fl);
#else
    ::fcntl(m_fd, F_SETLK, &fl);
#endif
}

bool statPath(const std::string& path, FileStat& out)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    out = fromStat(st);
    return true;
}

void syncDirectoryOf(const std::string& path)
{
    if (!g_flush)
        return;
    const std::string parent = std::filesystem::path(path).parent_path().string();
    const char* dir = parent.empty() ? "." : parent.c_str();
    const int fd = ::open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool replaceFile(const std::string& source, const std::string& target)
{
    if (::rename(source.c_str(), target.c_str()) != 0)
        fail("Nu pot inlocui fisierul", target);
    syncDirectoryOf(target);
    return true;
}

#endif

} // namespace engine::storage
