// Replacing a small file whole, so that a crash or a killed process leaves
// either the old content or the new one, never a mixture: the new content is
// written to a file beside the old one, flushed to the disk and renamed over
// it. Used for the settings files, whose writers lock the file they replace.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>

// Opens the file so that it can later be replaced by rename while this handle
// is open (on Windows: shared for reading, writing and deletion).
bool openReplaceable(QFile& file, const QString& path, QIODevice::OpenMode mode);

// True while the open file is still the one the path names (another writer
// may have renamed a new file over it since it was opened).
bool stillNamedBy(QFile& file, const QString& path);

// Writes content to path + ".nou", flushes it and renames it over path.
// Returns an empty text on success, else the system's reason; the old file is
// then unchanged. Only one writer at a time may call it for a path: the caller
// holds the lock on original, the file open at path. On Windows, a share
// that supports no replacing rename gets the content written over original.
QString replaceFileContent(const QString& path, const QByteArray& content, QFile& original);
