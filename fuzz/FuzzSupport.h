// What every fuzz target shares: a Qt application object, a scratch folder of
// its own process, and writing the input bytes to a file there. The targets
// call the program's readers through their public entry points, exactly as
// the program does; only the set-up around them lives here.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzz {

// A QCoreApplication for the life of the process (Qt's event loop, sockets
// and text codecs need one).
inline void startApplication()
{
    static int argc = 1;
    static char name[] = "hestavo-fuzz";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// The process's own scratch folder, emptied at its first use.
inline QString scratchFolder()
{
    static const QString folder = [] {
        const QString path = QDir::temp().filePath(QStringLiteral("hestavo-fuzz-%1").arg(QCoreApplication::applicationPid()));
        QDir(path).removeRecursively();
        QDir().mkpath(path);
        return path;
    }();
    return folder;
}

// A sub-folder of the scratch folder, emptied.
inline QString freshFolder(const QString& name)
{
    const QString path = QDir(scratchFolder()).filePath(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Writes bytes to path (replacing it); aborts when the scratch folder fails,
// so that a full disk is not taken for a finding.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        std::abort();
}

inline void copyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        std::abort();
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace fuzz
