#include "data/IniFile.h"

#include "data/Cp1250.h"
#include "data/FileLock.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

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

QByteArray readAllLocked(QFile& file)
{
    file.seek(0);
    return file.readAll();
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
        const bool hasBreak = l.end < l.next;
        if (hasBreak)
            out.insert(l.next, keyLine + "\r\n");
        else
            out.insert(l.end, "\r\n" + keyLine + "\r\n");
        return out;
    }
    if (!out.isEmpty() && !out.endsWith('\n'))
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    FileLock lock(file, FileLock::Shared);
    return lookup(readAllLocked(file), section, key);
}

namespace {

void rewrite(const QString& path, const std::function<QByteArray(const QByteArray&)>& change)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!file.open(QIODevice::ReadWrite))
            throw SettingsError("Nu pot scrie fisierul de setari " + QDir::toNativeSeparators(path).toStdString()
                                + ": " + file.errorString().toStdString());
    }
    FileLock lock(file, FileLock::Exclusive);
    const QByteArray before = readAllLocked(file);
    const QByteArray after = change(before);
    if (after == before)
        return;
    bool ok = file.seek(0) && file.write(after) == after.size() && file.resize(after.size()) && file.flush();
    if (ok)
        ok = syncToDisk(file);
    if (!ok)
        throw SettingsError("Nu pot scrie fisierul de setari " + QDir::toNativeSeparators(path).toStdString()
                            + ": " + file.errorString().toStdString());
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
