// A byte-range lock held on an open file for the lifetime of the object:
// shared for readers, exclusive for writers. It waits at most the wait limit
// for the lock and then gives up (locked() is false), so a workstation that
// hangs while holding a settings file cannot block the others for ever. The
// lock sits on one byte far beyond any real content, so programs that read the
// file without locking are never blocked by it.
#pragma once

#include <QFile>

#include <chrono>

class FileLock {
public:
    enum Mode { Shared, Exclusive };
    // How long a lock is waited for: 15 seconds unless changed (a workstation
    // on a slow network, or a test, sets its own).
    static std::chrono::milliseconds waitLimit();
    static void setWaitLimit(std::chrono::milliseconds limit);

    FileLock(QFile& file, Mode mode, std::chrono::milliseconds waitLimit = FileLock::waitLimit());
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return m_locked; }
private:
    bool tryOnce(Mode mode);
    QFile& m_file;
    bool m_locked = false;
};

// Forces the written bytes of the file to the disk; false on failure.
bool syncToDisk(QFile& file);
