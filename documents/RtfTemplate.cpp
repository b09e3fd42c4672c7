// The RTF placeholder engine: header copy, body copies with placeholders
// replaced, multi-valued placeholders that repeat a line, and opening the result.
#include "documents/RtfTemplate.h"

#include "data/Cp1250.h"
#include "data/Shell.h"
#include "documents/DocumentOpener.h"
#include "documents/RtfLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

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

// Capitals of a value printed by a placeholder written in capitals: the ASCII
// letters and the Windows-1250 letters with diacritics (ă â î ş ţ and the
// other Central European ones), so "Bacău" prints BACĂU, not BACăU.
QByteArray upperLetters(QByteArray text)
{
    for (char& ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            ch = char(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9D || c == 0x9E || c == 0x9F)
            ch = char(c - 0x10);
        else if (c == 0xB3) ch = char(0xA3);
        else if (c == 0xB9) ch = char(0xA5);
        else if (c == 0xBA) ch = char(0xAA);
        else if (c == 0xBE) ch = char(0xBC);
        else if (c == 0xBF) ch = char(0xAF);
    }
    return text;
}

// A value as RTF text: braces become parentheses, a backslash its escape (so
// typed text never becomes a control word), and s and t with cedilla, the
// bytes the code page has for them, the Unicode letters with comma below
// (with the cedilla byte as the fallback older readers show).
QByteArray escapedValue(const QByteArray& value)
{
    QByteArray escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        switch (static_cast<unsigned char>(c)) {
        case '\\': escaped += "\\\\"; break;
        case '{': escaped += '('; break;
        case '}': escaped += ')'; break;
        case 0xAA: escaped += "\\u536\\'aa"; break;
        case 0xBA: escaped += "\\u537\\'ba"; break;
        case 0xDE: escaped += "\\u538\\'de"; break;
        case 0xFE: escaped += "\\u539\\'fe"; break;
        default: escaped += c; break;
        }
    }
    return escaped;
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
    m_tags.push_back(tag);
    m_upperTags.push_back(upperAscii(tag));
    m_values.push_back(value);   // escaped when written, after any upper-casing
}

void RtfTemplate::ClearTags()
{
    m_tags.clear();
    m_upperTags.clear();
    m_values.clear();
}

std::vector<RtfTemplate::TagValues> RtfTemplate::tagValues() const
{
    // A tag's values are its first run of entries in a row; an entry of the
    // same tag added again later is not used.
    std::vector<TagValues> out;
    int runOf = -1;   // the group the previous entry added a value to
    for (size_t n = 0; n < m_tags.size(); ++n) {
        if (n > 0 && runOf >= 0 && m_tags[n - 1] == m_tags[n]) {
            out[runOf].values.push_back(m_values[n]);
            continue;
        }
        runOf = -1;
        if (m_tags[n].isEmpty())
            continue; // an empty tag would match everywhere
        bool seen = false;
        for (const TagValues& t : out)
            seen = seen || t.upperTag == m_upperTags[n];
        if (!seen) {
            runOf = int(out.size());
            out.push_back({m_tags[n], m_upperTags[n], {m_values[n]}});
        }
    }
    return out;
}

QByteArray RtfTemplate::ReplaceTags(QByteArray line, std::vector<TagValues>& tags, bool& valuesLeft)
{
    QByteArray upperLine = upperAscii(line);
    valuesLeft = false;
    for (TagValues& t : tags) {
        qsizetype p = upperLine.indexOf(t.upperTag);
        const bool used = p >= 0;
        while (p >= 0) {
            // Each occurrence takes the next value; the last one stays once they run out.
            QByteArray value = t.values[std::min(t.next, t.values.size() - 1)];
            ++t.next;
            const qsizetype tagLength = t.tag.size();
            const QByteArray placeholder = line.mid(p, tagLength);
            if (placeholder.size() > 4 && placeholder == upperAscii(placeholder))
                value = upperLetters(value); // the template writes it in capitals
            value = value.isEmpty() ? kNoValue : escapedValue(value);
            line.replace(p, tagLength, value);
            upperLine.replace(p, tagLength, upperAscii(value));
            // Look again after the inserted value: a value that holds its own
            // tag is inserted once and never expanded again.
            p = upperLine.indexOf(t.upperTag, p + value.size());
        }
        if (used && t.next < t.values.size())
            valuesLeft = true;
    }
    return line;
}

QByteArray RtfTemplate::ReplaceTags(const QByteArray& line)
{
    std::vector<TagValues> tags = tagValues();
    bool valuesLeft = false;
    return ReplaceTags(line, tags, valuesLeft);
}

RtfTemplate::BodyTags RtfTemplate::bodyTags() const
{
    BodyTags body;
    body.tags = tagValues();
    for (const TagValues& t : body.tags) {
        const unsigned char first = static_cast<unsigned char>(t.upperTag[0]);
        body.firstBytes[first] = true;
        if (first >= 'A' && first <= 'Z')
            body.firstBytes[first - 'A' + 'a'] = true;
    }
    return body;
}

void RtfTemplate::writeWithRepetition(LineWriter& out, const QByteArray& line, const BodyTags& body)
{
    if (std::none_of(line.begin(), line.end(),
                     [&](char c) { return body.firstBytes[static_cast<unsigned char>(c)]; })) {
        out.writeLine(line);
        return;
    }
    // A line is written again while any of its tags has a value left; every
    // occurrence of a tag takes that tag's next value.
    std::vector<TagValues> tags = body.tags;
    bool valuesLeft = false;
    do {
        out.writeLine(ReplaceTags(line, tags, valuesLeft));
    } while (valuesLeft);
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
    const BodyTags body = bodyTags();
    for (int copy = 1; copy <= copies; ++copy) {
        LineReader in;
        QByteArray current;
        openTemplateAtBody(in, current);
        if (copy > 1)
            out.writeLine(QByteArrayLiteral("\\page"));
        int depth = braceBalance(current) + 1;
        while (!in.atEnd() && depth != 0) {
            if (!current.isEmpty())
                writeWithRepetition(out, current, body);
            in.readLine(current);
            depth += braceBalance(current);
        }
        // The line that closes the document group: everything but its last brace.
        QByteArray last = trimmed(current);
        last.chop(1);
        if (!last.isEmpty()) {
            out.writeLine(ReplaceTags(last));
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
    const BodyTags body = bodyTags();
    while (!in.atEnd()) {
        if (!current.isEmpty())
            writeWithRepetition(out, current, body);
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
