// The shared string table (SST with its CONTINUE records) and its index
// EXTSST. Reading keeps the text of each string (formatting runs and phonetic
// data are skipped); writing splits strings over CONTINUE records with the
// repeated flag byte and computes EXTSST for the stream offset it is placed at.
#pragma once

#include "workbook/biff8/RecordReader.h"

#include <QHash>
#include <QString>
#include <vector>

namespace workbook::biff8 {

class SharedStrings {
public:
    // sst: the SST record's data, continues: the data of the CONTINUE records after it.
    static std::vector<QString> parse(const QByteArray& sst, const std::vector<QByteArray>& continues);

    int add(const QString& s);   // index of the string, added once
    int uniqueCount() const { return int(m_strings.size()); }
    const std::vector<QString>& strings() const { return m_strings; }

    // Framed SST + CONTINUE records followed by EXTSST; streamOffset is where
    // the SST record will start in the workbook stream.
    QByteArray serialize(qsizetype streamOffset) const;

private:
    std::vector<QString> m_strings;
    QHash<QString, int> m_index;
    uint32_t m_total = 0;
};

} // namespace workbook::biff8
