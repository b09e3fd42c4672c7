// A small disk of its own for the tests of a full disk: a tmpfs of the given
// size mounted over a folder, unmounted again at the end. Mounting needs the
// right to (root with CAP_SYS_ADMIN, Linux); where it is missing, mounted()
// is false and the test skips itself.
#pragma once

#include <QDir>
#include <QString>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

class SmallDisk {
public:
    SmallDisk(const QString& folder, int kilobytes) : m_folder(folder)
    {
        QDir().mkpath(folder);
#ifdef Q_OS_LINUX
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
#else
        Q_UNUSED(kilobytes);
#endif
    }
    ~SmallDisk()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
#endif
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }

private:
    QString m_folder;
    bool m_mounted = false;
};
