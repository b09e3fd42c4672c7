// RtfTemplate turns an RTF template with placeholders such as "[NUME]" into a
// filled RTF document, one physical line at a time, without parsing RTF.
// The template is streamed: it is never held whole in memory.
//
// One output document: set the template (setRTFSursa) and the output (setRTFDest
// or PickDest); BeginDocument(); per record AddTag(...) for every placeholder,
// then AppendBody(1) or AppendBodyToMarker(marker), with AppendPageBreak()
// between records; EndDocument(); OpenDocument(useWord).
//
// Every call opens and closes the files it needs. BeginDocument reports its
// problems by returning false; the other write operations throw RTFError.
// Texts are Windows-1250 bytes; the QString overloads convert.
#pragma once

#include "documents/RtfError.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <stdexcept>
#include <vector>

namespace documents {

class LineReader;
class LineWriter;

class RtfTemplate {
public:
    const QString& RTFSursa() const { return m_sursa; }
    void setRTFSursa(const QString& path) { m_sursa = path; }
    const QString& RTFDest() const { return m_dest; }
    void setRTFDest(const QString& path) { m_dest = path; }

    // Sets RTFDest to base + k + ".rtf" for the first k in 0..99 whose file does
    // not exist or can be deleted (a name LibreOffice holds open, marked by its
    // ".~lock.<name>#" file, is skipped). False, RTFDest unchanged, when none is usable.
    bool PickDest(const QString& base);

    // Creates RTFDest and copies the template's header into it: the lines before
    // the first one holding "\pard", and the part of that line before "\pard".
    // False, leaving no output file, when the template is missing, empty,
    // unreadable, the same file as the output, or has no "\pard" line.
    bool BeginDocument();

    // Adds a placeholder and its value. When written, the value's braces become
    // parentheses, a backslash the RTF escape "\\" (so that typed text never
    // becomes a control word), and s and t with cedilla (bytes 0xAA 0xBA 0xDE
    // 0xFE) the letters with comma below, "\u536\'aa" and so on. A placeholder
    // written in capitals upper-cases the letters of the value, those with
    // diacritics included.
    void AddTag(const QString& tag, const QString& value);
    void AddTag(const QByteArray& tag, const QByteArray& value);

    // Appends the template's body (from "\pard" to the line that closes the
    // document group, without that brace) with the placeholders replaced.
    void AppendBody(int copies = 1);
    // Appends the body with placeholders replaced up to the line holding the
    // marker; that line loses the marker and it and the rest of the template
    // are copied without any searching. Without the marker the template's
    // last line is left out.
    void AppendBodyToMarker(const QString& marker);
    // Appends the line " \par \page ".
    void AppendPageBreak();
    // Appends the "}" that closes the document group.
    void EndDocument();

    // Shows RTFDest to the user: in the word processor when useWord is set and
    // the file is .rtf, .doc or .docx (falling back to the desktop's "open"
    // action when it cannot be started), otherwise with the "open" action.
    // Does nothing when RTFDest is empty, has no folder part or does not exist.
    void OpenDocument(bool useWord) const;

    // Empties the placeholder list.
    void ClearTags();

private:
    struct TagValues {
        QByteArray tag, upperTag;
        std::vector<QByteArray> values;
        size_t next = 0;    // the value the next occurrence takes
    };
    // The tags of a body with the first bytes they can start with, so that a
    // line holding none of those bytes is copied without searching it.
    struct BodyTags {
        std::vector<TagValues> tags;
        std::array<bool, 256> firstBytes{};
    };
    std::vector<TagValues> tagValues() const;
    BodyTags bodyTags() const;
    static QByteArray ReplaceTags(QByteArray line, std::vector<TagValues>& tags, bool& valuesLeft);
    QByteArray ReplaceTags(const QByteArray& line);
    static void writeWithRepetition(LineWriter& out, const QByteArray& line, const BodyTags& body);
    void openTemplateAtBody(LineReader& in, QByteArray& current) const;

    QString m_sursa;
    QString m_dest;
    std::vector<QByteArray> m_tags;
    std::vector<QByteArray> m_upperTags;
    std::vector<QByteArray> m_values;
};

} // namespace documents
