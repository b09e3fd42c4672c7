// A byte-range lock held on an open file for the lifetime of the object:
// shared for readers, exclusive for writers, waiting until granted. The lock
// sits on one byte far beyond any real content, so programs that read the file
// without locking are never blocked by it.
#pragma once

#include <QFile>

class FileLock {
public:
    enum Mode { Shared, Exclusive };
    FileLock(QFile& file, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return m_locked; }
private:
    QFile& m_file;
    bool m_locked = false;
};

// Forces the written bytes of the file to the disk; false on failure.
bool syncToDisk(QFile& file);
