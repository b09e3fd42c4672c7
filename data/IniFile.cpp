#include "data/IniFile.h"

#include "data/Cp1250.h"
#include "data/FileLock.h"
#include "data/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

#include <algorithm>
#include <chrono>
#include <vector>

namespace ini {
namespace {

struct Line {
    qsizetype begin;   // offset of the first byte
    qsizetype end;     // offset after the last byte, line break excluded
    qsizetype next;    // offset of the next line
};

std::vector<Line> splitLines(const QByteArray& c)
{
    std::vector<Line> lines;
    qsizetype pos = 0;
    while (pos < c.size()) {
        qsizetype nl = c.indexOf('\n', pos);
        qsizetype next = nl < 0 ? c.size() : nl + 1;
        qsizetype end = nl < 0 ? c.size() : nl;
        if (end > pos && c[end - 1] == '\r')
            --end;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

QByteArray trimmed(const QByteArray& b) { return b.trimmed(); }

bool sameName(const QByteArray& bytes, const QString& name)
{
    return QString::compare(fromCp1250(trimmed(bytes)), name.trimmed(), Qt::CaseInsensitive) == 0;
}

// Section name of a "[name]" line, nullopt for any other line.
std::optional<QByteArray> sectionName(const QByteArray& line)
{
    QByteArray t = trimmed(line);
    if (!t.startsWith('['))
        return std::nullopt;
    qsizetype close = t.indexOf(']');
    return close < 0 ? t.mid(1) : t.mid(1, close - 1);
}

struct Found {
    int sectionLine = -1;   // index of the "[section]" line
    int lastLine = -1;      // last non-blank line of the section
    int endLine = -1;       // first line after the section
    int keyLine = -1;       // line holding the key
    qsizetype valueBegin = 0;
};

Found find(const std::vector<Line>& lines, const QByteArray& c, const QString& section, const QString& key)
{
    Found f;
    for (int i = 0; i < int(lines.size()); ++i) {
        QByteArray line = c.mid(lines[i].begin, lines[i].end - lines[i].begin);
        if (auto s = sectionName(line)) {
            if (f.sectionLine >= 0) {
                f.endLine = i;
                return f;
            }
            if (sameName(*s, section)) {
                f.sectionLine = i;
                f.lastLine = i;
            }
            continue;
        }
        if (f.sectionLine < 0)
            continue;
        if (!trimmed(line).isEmpty())
            f.lastLine = i;
        if (f.keyLine >= 0 || key.isEmpty())
            continue;
        qsizetype eq = line.indexOf('=');
        if (eq >= 0 && !trimmed(line).startsWith(';') && sameName(line.left(eq), key)) {
            f.keyLine = i;
            f.valueBegin = lines[i].begin + eq + 1;
        }
    }
    if (f.sectionLine >= 0)
        f.endLine = int(lines.size());
    return f;
}

} // namespace

std::optional<QByteArray> lookup(const QByteArray& content, const QString& section, const QString& key)
{
    const auto lines = splitLines(content);
    Found f = find(lines, content, section, key);
    if (f.keyLine < 0)
        return std::nullopt;
    return content.mid(f.valueBegin, lines[f.keyLine].end - f.valueBegin);
}

QByteArray withValue(const QByteArray& content, const QString& section, const QString& key, const QByteArray& value)
{
    const QByteArray keyLine = toCp1250(key) + '=' + value;
    const auto lines = splitLines(content);
    Found f = find(lines, content, section, key);
    QByteArray out = content;
    if (f.keyLine >= 0) {
        const Line& l = lines[f.keyLine];
        out.replace(f.valueBegin, l.end - f.valueBegin, value);
        return out;
    }
    if (f.sectionLine >= 0) {
        const Line& l = lines[f.lastLine];
        // Only LF ends a line: a last line ending in a lone CR takes the new
        // line before that CR, or both would read as one line.
        const bool hasBreak = l.next > l.begin && content[l.next - 1] == '\n';
        if (hasBreak)
            out.insert(l.next, keyLine + "\r\n");
        else
            out.insert(l.end, "\r\n" + keyLine + "\r\n");
        return out;
    }
    // A last line ending in a lone CR gets only the LF it lacks: a CR LF
    // after it would leave that CR in the line's value.
    if (out.endsWith('\r'))
        out += '\n';
    else if (!out.isEmpty() && !out.endsWith('\n'))
        out += "\r\n";
    out += '[' + toCp1250(section) + "]\r\n" + keyLine + "\r\n";
    return out;
}

QByteArray withoutSection(const QByteArray& content, const QString& section)
{
    const auto lines = splitLines(content);
    Found f = find(lines, content, section, QString());
    if (f.sectionLine < 0)
        return content;
    qsizetype from = lines[f.sectionLine].begin;
    qsizetype to = f.endLine < int(lines.size()) ? lines[f.endLine].begin : content.size();
    QByteArray out = content;
    out.remove(from, to - from);
    return out;
}

std::optional<QByteArray> read(const QString& path, const QString& section, const QString& key)
{
    // Writers replace the file whole by a rename, so a reader always sees one
    // complete version and needs no lock.
    QFile file;
    if (!openReplaceable(file, path, QIODevice::ReadOnly))
        return std::nullopt;
    return lookup(file.readAll(), section, key);
}

namespace {

QString shownPath(const QString& path) { return QDir::toNativeSeparators(path); }

[[noreturn]] void fail(const QString& text) { throw SettingsError(text.toStdString()); }

// Opens the file for writing, creating it (and its folder) when missing.
void openForWriting(QFile& file, const QString& path)
{
    if (openReplaceable(file, path, QIODevice::ReadWrite))
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!openReplaceable(file, path, QIODevice::ReadWrite))
        fail("Nu pot scrie fisierul de setari " + shownPath(path) + ": " + file.errorString());
}

// Reads the file, applies change and writes the result, all while holding the
// file's exclusive lock. The new content replaces the file whole (see
// FileReplace.h). The lock is taken on the open file; when another writer has
// renamed a new file over it meanwhile, the new file is opened and locked.
void rewrite(const QString& path, const std::function<QByteArray(const QByteArray&)>& change)
{
    using Clock = std::chrono::steady_clock;
    const auto limit = FileLock::waitLimit();
    const auto deadline = Clock::now() + limit;
    for (;;) {
        QFile file;
        openForWriting(file, path);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        FileLock lock(file, FileLock::Exclusive, std::max(left, std::chrono::milliseconds(0)));
        if (!lock.locked())
            fail("Fisierul de setari " + shownPath(path) + " este blocat de alt program de peste "
                 + QString::number(double(limit.count()) / 1000.0)
                 + " secunde.\rNu am scris nimic. Incercati din nou.");
        if (!stillNamedBy(file, path))
            continue;
        const QByteArray before = file.readAll();
        const QByteArray after = change(before);
        if (after == before)
            return;
        const QString error = replaceFileContent(path, after, file);
        if (!error.isEmpty())
            fail("Nu pot scrie fisierul de setari " + shownPath(path) + ": " + error);
        return;
    }
}

void checkValue(const QByteArray& value)
{
    if (value.contains('\r') || value.contains('\n'))
        throw SettingsError("Valoarea unei setari nu poate contine un sfarsit de rand");
}

} // namespace

void write(const QString& path, const QString& section, const QString& key, const QByteArray& value)
{
    checkValue(value);
    rewrite(path, [&](const QByteArray& c) { return withValue(c, section, key, value); });
}

void eraseSection(const QString& path, const QString& section)
{
    if (!QFileInfo::exists(path))
        return;
    rewrite(path, [&](const QByteArray& c) { return withoutSection(c, section); });
}

QByteArray update(const QString& path, const QString& section, const QString& key,
                  const std::function<QByteArray(const std::optional<QByteArray>&)>& change)
{
    QByteArray result;
    rewrite(path, [&](const QByteArray& c) {
        result = change(lookup(c, section, key));
        checkValue(result);
        return withValue(c, section, key, result);
    });
    return result;
}

} // namespace ini
