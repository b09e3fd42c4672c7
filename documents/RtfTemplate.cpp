// The RTF placeholder engine: header copy, body copies with placeholders
// replaced, multi-valued placeholders that repeat a line, and opening the result.
#include "documents/RtfTemplate.h"

#include "data/Cp1250.h"
#include "app/Shell.h"
#include "documents/DocumentOpener.h"
#include "documents/RtfLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace documents {

namespace {

const QByteArray kPard = QByteArrayLiteral("\\pard");
const QByteArray kNoValue = QByteArrayLiteral("..........");

// Only the ASCII letters change; bytes of letters with diacritics stay.
QByteArray upperAscii(QByteArray text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// Removes the bytes up to and including the blank from both ends.
QByteArray trimmed(const QByteArray& text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && static_cast<unsigned char>(text[from]) <= ' ')
        ++from;
    while (to > from && static_cast<unsigned char>(text[to - 1]) <= ' ')
        --to;
    return text.mid(from, to - from);
}

int braceBalance(const QByteArray& line)
{
    int balance = 0;
    for (char c : line)
        balance += c == '{' ? 1 : c == '}' ? -1 : 0;
    return balance;
}

bool sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

QString noPardMessage(const QString& path)
{
    return QStringLiteral("Sablonul %1 nu are nicio linie cu \\pard si nu poate fi completat!").arg(path);
}

} // namespace

bool RtfTemplate::PickDest(const QString& base)
{
    for (int k = 0; k < 100; ++k) {
        const QString name = base + QString::number(k) + QStringLiteral(".rtf");
        const QFileInfo info(name);
        // LibreOffice keeps a lock file beside a document it has open; the
        // document itself could be deleted here, but the user is working on it.
        if (QFileInfo::exists(info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#'))))
            continue;
        if (!info.exists() && !info.isSymLink()) {
            m_dest = name;
            return true;
        }
        if (QFile::remove(name)) {
            m_dest = name;
            return true;
        }
    }
    return false;
}

bool RtfTemplate::BeginDocument()
{
    if (m_sursa.isEmpty() || !QFileInfo(m_sursa).isFile() || sameFile(m_sursa, m_dest))
        return false;
    LineReader in;
    bool pardFound = false;
    try {
        LineWriter out(m_dest, true);
        if (!in.open(m_sursa) || in.atEnd()) {
            out.close();
            QFile::remove(m_dest);
            return false;
        }
        QByteArray line;
        while (in.readLine(line)) {
            const qsizetype at = line.indexOf(kPard);
            if (at < 0) {
                out.writeLine(line);
                continue;
            }
            const QByteArray before = trimmed(line.left(at));
            if (!before.isEmpty())
                out.writeLine(before);
            pardFound = true;
            break;
        }
        out.close();
    } catch (const RTFError&) {
        QFile::remove(m_dest);
        return false;
    }
    if (!pardFound) {
        // Header and body cannot be told apart: no usable document can follow.
        QFile::remove(m_dest);
        return false;
    }
    ClearTags();
    return true;
}

void RtfTemplate::AddTag(const QString& tag, const QString& value)
{
    AddTag(toCp1250(tag), toCp1250(value));
}

void RtfTemplate::AddTag(const QByteArray& tag, const QByteArray& value)
{
    QByteArray escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        switch (static_cast<unsigned char>(c)) {
        case '{': escaped += '('; break;
        case '}': escaped += ')'; break;
        case 0xAA: escaped += "\\'aa"; break;
        case 0xDE: escaped += "\\'de"; break;
        default: escaped += c; break;
        }
    }
    m_currentRun = (!m_tags.empty() && m_tags.back() == tag) ? m_currentRun + 1 : 1;
    m_longestRun = std::max(m_longestRun, m_currentRun);
    m_tags.push_back(tag);
    m_upperTags.push_back(upperAscii(tag));
    m_values.push_back(escaped);
}

void RtfTemplate::ClearTags()
{
    m_tags.clear();
    m_upperTags.clear();
    m_values.clear();
    m_repeat = -1;
    m_longestRun = 1;
    m_currentRun = 0;
}

QByteArray RtfTemplate::ReplaceTags(QByteArray line)
{
    QByteArray upperLine = upperAscii(line);
    bool found = false;
    int& r = m_repeat;
    const int count = int(m_tags.size());
    for (int n = 0; n < count; ++n) {
        if (m_tags[n].isEmpty())
            continue; // an empty tag would match everywhere
        qsizetype p = upperLine.indexOf(m_upperTags[n]);
        while (p >= 0) {
            found = true;
            // The next value of the repetition. Only forward: a later entry of
            // the same tag finds it again only when a value brought it back.
            if (r != -1 && r > n && m_tags[r] == m_tags[n])
                n = r;
            const qsizetype tagLength = m_tags[n].size();
            QByteArray value = m_values[n];
            const QByteArray placeholder = line.mid(p, tagLength);
            if (placeholder.size() > 4 && placeholder == upperAscii(placeholder))
                value = upperAscii(value); // the template writes it in capitals
            if (value.isEmpty())
                value = kNoValue;
            line.replace(p, tagLength, value);
            upperLine.replace(p, tagLength, upperAscii(value));
            // Look again after the inserted value: a value that holds its own
            // tag is inserted once and never expanded again.
            p = upperLine.indexOf(m_upperTags[n], p + value.size());
            int run = 1;
            while (n + run < count && m_tags[n + run] == m_tags[n])
                ++run;
            if (run == 1 && r != -1 && m_tags[r] == m_tags[n])
                r = -1; // the last value of the repetition was used
            if (run > 1) {
                r = n + 1;
                n += run - 1;
            }
        }
    }
    if (!found)
        r = -1;
    return line;
}

void RtfTemplate::writeWithRepetition(LineWriter& out, const QByteArray& line)
{
    // A line holding a tag added k times in a row is written k times. Lines the
    // repetition cannot describe (two such tags) stop after as many copies as
    // the longest run of values, instead of running on.
    int copies = 0;
    do {
        out.writeLine(ReplaceTags(line));
        ++copies;
    } while (m_repeat != -1 && copies < m_longestRun);
    m_repeat = -1;
}

void RtfTemplate::openTemplateAtBody(LineReader& in, QByteArray& current) const
{
    if (!in.open(m_sursa))
        throw RTFError(QStringLiteral("Nu pot deschide sablonul %1!").arg(m_sursa));
    while (in.readLine(current)) {
        const qsizetype at = current.indexOf(kPard);
        if (at >= 0) {
            current.remove(0, at);
            return;
        }
    }
    throw RTFError(noPardMessage(m_sursa));
}

void RtfTemplate::AppendBody(int copies)
{
    struct Clear {
        RtfTemplate& self;
        ~Clear() { self.ClearTags(); }
    } clear{*this};
    LineWriter out(m_dest);
    for (int copy = 1; copy <= copies; ++copy) {
        LineReader in;
        QByteArray current;
        openTemplateAtBody(in, current);
        if (copy > 1)
            out.writeLine(QByteArrayLiteral("\\page"));
        int depth = braceBalance(current) + 1;
        while (!in.atEnd() && depth != 0) {
            if (!current.isEmpty())
                writeWithRepetition(out, current);
            in.readLine(current);
            depth += braceBalance(current);
        }
        // The line that closes the document group: everything but its last brace.
        QByteArray last = trimmed(current);
        last.chop(1);
        if (!last.isEmpty()) {
            out.writeLine(ReplaceTags(last));
            m_repeat = -1;
        }
    }
    out.close();
}

void RtfTemplate::AppendBodyToMarker(const QString& marker)
{
    struct Clear {
        RtfTemplate& self;
        ~Clear() { self.ClearTags(); }
    } clear{*this};
    const QByteArray mark = toCp1250(marker);
    LineWriter out(m_dest);
    LineReader in;
    QByteArray current;
    openTemplateAtBody(in, current);
    while (!in.atEnd()) {
        if (!current.isEmpty())
            writeWithRepetition(out, current);
        in.readLine(current);
        const qsizetype at = mark.isEmpty() ? -1 : current.indexOf(mark);
        if (at >= 0) {
            current.remove(at, mark.size());
            out.writeLine(current);
            while (in.readLine(current))
                out.writeLine(current); // the rest is copied without searching
            break;
        }
    }
    out.close();
}

void RtfTemplate::AppendPageBreak()
{
    ClearTags();
    LineWriter out(m_dest);
    out.writeLine(QByteArrayLiteral(" \\par \\page "));
    out.close();
}

void RtfTemplate::EndDocument()
{
    ClearTags();
    LineWriter out(m_dest);
    out.writeLine(QByteArrayLiteral("}"));
    out.close();
}

void RtfTemplate::OpenDocument(bool useWord) const
{
    if (m_dest.isEmpty() || !(m_dest.contains(QLatin1Char('/')) || m_dest.contains(QLatin1Char('\\')))
        || !QFileInfo(m_dest).isFile())
        return;
    const QString extension = QFileInfo(m_dest).suffix().toUpper();
    const bool wordDocument = extension == QLatin1String("RTF") || extension == QLatin1String("DOC")
                              || extension == QLatin1String("DOCX");
    if (useWord && wordDocument && OpenInWordProcessor(m_dest))
        return;
    ShellOpen(m_dest);
}

} // namespace documents
