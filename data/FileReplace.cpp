#include "data/FileReplace.h"

#include "data/FileLock.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstring>
#include <system_error>
#include <vector>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString besidePath(const QString& path) { return path + QStringLiteral(".nou"); }

#ifdef Q_OS_WIN
std::wstring nativeName(const QString& path) { return QDir::toNativeSeparators(path).toStdWString(); }

HANDLE openShared(const QString& path, DWORD access, DWORD disposition)
{
    return CreateFileW(nativeName(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool identity(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) { return GetFileInformationByHandle(h, &info); }

QString lastErrorText()
{
    return QString::fromStdString(std::system_category().message(int(GetLastError())));
}

// Renames the written file over the target while other handles (opened with
// delete sharing) may still hold the target: POSIX rename semantics where the
// file system offers them, else the classic replace. Closes source.
bool renameOver(HANDLE source, const QString& from, const QString& to)
{
    const std::wstring target = nativeName(to);
    const size_t bytes = sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t);
    std::vector<char> buffer(bytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    // FileRenameInfoEx and its flags (Windows 10 1607 on), spelled out for
    // headers that declare them only for newer targets: the flags word
    // shares its place with ReplaceIfExists at the start of the structure.
    constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    constexpr DWORD kReplaceIfExists = 0x1, kPosixSemantics = 0x2;
    const DWORD flags = kReplaceIfExists | kPosixSemantics;
    memcpy(buffer.data(), &flags, sizeof flags);
    info->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
    memcpy(info->FileName, target.c_str(), info->FileNameLength);
    const bool renamed = SetFileInformationByHandle(source, kRenameInfoEx, info, DWORD(bytes));
    CloseHandle(source);
    if (renamed)
        return true;
    return MoveFileExW(nativeName(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
#endif

} // namespace

bool openReplaceable(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
#ifdef Q_OS_WIN
    const bool write = mode & QIODevice::WriteOnly;
    HANDLE h = openShared(path, GENERIC_READ | (write ? GENERIC_WRITE : 0), write ? OPEN_ALWAYS : OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const int fd = _open_osfhandle(intptr_t(h), write ? _O_RDWR : _O_RDONLY);
    if (fd < 0) {
        CloseHandle(h);
        return false;
    }
    return file.open(fd, mode, QFileDevice::AutoCloseHandle);
#else
    file.setFileName(path);
    return file.open(mode);
#endif
}

bool stillNamedBy(QFile& file, const QString& path)
{
#ifdef Q_OS_WIN
    BY_HANDLE_FILE_INFORMATION open{}, named{};
    HANDLE h = openShared(path, 0, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = identity(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())), open) && identity(h, named);
    CloseHandle(h);
    return ok && open.dwVolumeSerialNumber == named.dwVolumeSerialNumber
           && open.nFileIndexHigh == named.nFileIndexHigh && open.nFileIndexLow == named.nFileIndexLow;
#else
    struct stat open{}, named{};
    if (::fstat(file.handle(), &open) != 0 || ::stat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
#endif
}

QString replaceFileContent(const QString& path, const QByteArray& content, QFile& original)
{
    const QString beside = besidePath(path);
#ifdef Q_OS_WIN
    HANDLE h = CreateFileW(nativeName(beside).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return lastErrorText();
    DWORD written = 0;
    bool ok = WriteFile(h, content.constData(), DWORD(content.size()), &written, nullptr)
              && written == DWORD(content.size()) && FlushFileBuffers(h);
    if (ok)
        ok = renameOver(h, beside, path);
    else
        CloseHandle(h);
    if (ok)
        return QString();
    const QString reason = lastErrorText();
    DeleteFileW(nativeName(beside).c_str());
    // A share that can replace neither way (an old server): the content is
    // written over the locked original, as older versions always did, so
    // that the settings stay writable there.
    const bool inPlace = original.seek(0) && original.write(content) == content.size()
                         && original.resize(content.size()) && original.flush() && syncToDisk(original);
    return inPlace ? QString() : reason;
#else
    QFile out(beside);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return out.errorString();
    const bool written = out.write(content) == content.size() && out.flush() && syncToDisk(out);
    const QString writeError = out.errorString();
    out.close();
    if (!written) {
        QFile::remove(beside);
        return writeError;
    }
    if (::rename(QFile::encodeName(beside).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(beside);
        return reason;
    }
    // The rename itself is on disk once the folder is.
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    Q_UNUSED(original);
    return QString();
#endif
}
