// The shared string table (SST with its CONTINUE records) and its index
// EXTSST. Reading keeps the text of each string and, apart, its formatting
// runs and phonetic data; writing puts them back, splits strings over CONTINUE
// records with the repeated flag byte (runs and phonetic data never cut in
// half) and computes EXTSST for the stream offset it is placed at.
#pragma once

#include "workbook/biff8/RecordReader.h"

#include <QHash>
#include <QString>
#include <vector>

namespace workbook::biff8 {

// The formatting of a shared string as stored: runs (4 bytes each: first
// character, font index) and the extension (phonetic) data.
struct StringFormatting {
    QByteArray runs, extension;
    bool isEmpty() const { return runs.isEmpty() && extension.isEmpty(); }
};

class SharedStrings {
public:
    // sst: the SST record's data, continues: the data of the CONTINUE records
    // after it; formatting receives each string's formatting.
    static std::vector<QString> parse(const QByteArray& sst, const std::vector<QByteArray>& continues,
                                      std::vector<StringFormatting>& formatting);

    // Index of the string, added once for each text and formatting.
    int add(const QString& s, const StringFormatting& formatting = {});
    int uniqueCount() const { return int(m_strings.size()); }
    const std::vector<QString>& strings() const { return m_strings; }

    // Framed SST + CONTINUE records followed by EXTSST; streamOffset is where
    // the SST record will start in the workbook stream.
    QByteArray serialize(qsizetype streamOffset) const;

private:
    std::vector<QString> m_strings;
    std::vector<StringFormatting> m_formatting;
    QHash<QString, int> m_formattedIndex;
    QHash<QString, int> m_index;
    uint32_t m_total = 0;
};

} // namespace workbook::biff8
