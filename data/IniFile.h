// Reader and writer of INI files in the Windows profile format, kept byte for
// byte: sections and keys compare without regard to case, a value is every
// byte after the first "=" of its line, lines the writer does not touch (their
// order, comments, unknown keys, line ends) stay as they were, new lines end
// in CR LF. Every call opens the file, handles one key and closes it. A write
// holds the file's exclusive lock from reading to writing (at most
// FileLock::waitLimit() is waited for it, then SettingsError and nothing is
// written) and replaces the file whole through a file written beside it, so a
// write is on disk when the call returns and a crash or another process never
// sees a half-written file. Write failures throw SettingsError.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace ini {

// The raw bytes of the value; nullopt when the file, the section or the key is
// missing (or the file cannot be read).
std::optional<QByteArray> read(const QString& path, const QString& section, const QString& key);

// Writes key=value into the section, creating the file and the section when
// missing. A value holding CR or LF is refused (it would break the file).
void write(const QString& path, const QString& section, const QString& key, const QByteArray& value);

// Removes the section with all its lines; nothing happens when it is absent.
void eraseSection(const QString& path, const QString& section);

// Reads the value and writes the value returned by change, both under one
// exclusive lock; returns what change returned. Used by the key counters so
// that two processes never receive the same key.
QByteArray update(const QString& path, const QString& section, const QString& key,
                  const std::function<QByteArray(const std::optional<QByteArray>&)>& change);

// The same operations on file content in memory (what the functions above do
// between reading and writing the file).
std::optional<QByteArray> lookup(const QByteArray& content, const QString& section, const QString& key);
QByteArray withValue(const QByteArray& content, const QString& section, const QString& key, const QByteArray& value);
QByteArray withoutSection(const QByteArray& content, const QString& section);

} // namespace ini
