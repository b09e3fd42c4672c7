// An open file with positioned reads and writes, flushing and byte-range
// locks: POSIX open-file-description locks on Linux (per handle, so two
// handles in one process exclude each other too), LockFileEx on Windows.
// Internal to the storage layer. Errors raise engine::Error naming the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace engine::storage {

struct FileStat {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
};

class FileHandle {
public:
    enum class Mode { ReadWrite, ReadOnly, CreateNew };
    enum class Lock { Shared, Exclusive };

    FileHandle() = default;
    FileHandle(const std::string& path, Mode mode);
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool isOpen() const;
    bool readOnly() const { return m_readOnly; }
    const std::string& path() const { return m_path; }

    FileStat stat() const;
    std::uint64_t size() const { return stat().size; }
    // Reads up to n bytes at offset; returns how many were read (less at the end).
    std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t n) const;
    void writeAt(std::uint64_t offset, const char* data, std::size_t n);
    void truncate(std::uint64_t size);
    void sync();
    void close();

    // Locks [start, start+length). wait=false returns false when another
    // handle holds a conflicting lock; wait=true blocks until granted.
    // Locking a range this handle already holds changes its kind (shared to
    // exclusive fails, keeping the shared lock, while another handle shares it).
    bool lock(std::uint64_t start, std::uint64_t length, Lock kind, bool wait);
    void unlock(std::uint64_t start, std::uint64_t length);

private:
    std::string m_path;
    bool m_readOnly = false;
#ifdef _WIN32
    void* m_handle = nullptr;
    // Windows locks neither change kind in place nor merge: a second lock of
    // a range stacks on the first, and a shared lock cannot become exclusive.
    // The ranges locked through this handle let lock() and unlock() behave as
    // the POSIX locks do.
    struct HeldLock {
        std::uint64_t start;
        std::uint64_t length;
        Lock kind;
    };
    std::vector<HeldLock> m_locks;
    bool lockRange(std::uint64_t start, std::uint64_t length, Lock kind, bool wait);
    void unlockRange(std::uint64_t start, std::uint64_t length);
#else
    int m_fd = -1;
#endif
};

// Whether sync() and syncDirectoryOf() reach the disk (on by default). Tests
// of locking between processes switch it off to run fast: a process that
// ends abruptly loses nothing the page cache holds; only a power failure
// needs the flush.
void setFlushToDisk(bool on);

// Paths are UTF-8 strings on every system. On Windows std::filesystem reads
// a narrow string in the ANSI code page, so a folder named with Romanian
// letters must go through these two.
std::filesystem::path fsPath(const std::string& utf8);
std::string utf8Path(const std::filesystem::path& path);

// Stat of a path (false when it does not exist).
bool statPath(const std::string& path, FileStat& out);
// Makes a created, renamed or deleted directory entry durable (no-op on Windows).
void syncDirectoryOf(const std::string& path);
// Replaces target by source atomically. False (source left in place) when
// another process holds target open and the system will not replace it
// (Windows); other failures throw.
[[nodiscard]] bool replaceFile(const std::string& source, const std::string& target);

} // namespace engine::storage
