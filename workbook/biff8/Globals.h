// The workbook globals substream: its records in order, with the parts the
// engine edits decoded: sheet list (BOUNDSHEET), EXTERNSHEET table, defined
// names (NAME), cell formats (XF, FORMAT) for telling dates from numbers.
// The SST, EXTSST and RECALCID records are dropped on read; SST and EXTSST are
// regenerated on save, RECALCID left out so that Excel recalculates.
#pragma once

#include "workbook/biff8/RecordReader.h"
#include "workbook/biff8/SharedStrings.h"

#include <QHash>
#include <functional>
#include <vector>

namespace workbook::biff8 {

struct SheetEntry {
    QString name;
    uint8_t visibility = 0;
    uint8_t kind = 0;        // 0 worksheet, 2 chart, 6 VB module
    uint32_t offset = 0;     // BOF position when read
};

struct Xti { uint16_t supbook; int16_t first; int16_t last; };

class Globals {
public:
    // records: from the globals BOF to its EOF inclusive.
    void parse(const std::vector<Record>& records);
    // Framed records; boundsheetOffsets[i] is where sheet i's BOF will be.
    // sstBytes: framed SST + EXTSST, written at the SST's place.
    QByteArray serialize(const std::vector<uint32_t>& sheetOffsets,
                         const std::function<QByteArray(qsizetype)>& sstAt, int activeSheet) const;

    std::vector<SheetEntry>& sheets() { return m_sheets; }
    const std::vector<QString>& sst() const { return m_sst; }
    const std::vector<StringFormatting>& sstFormatting() const { return m_sstFormatting; }
    bool isDateXf(uint16_t xf) const;
    // Does the cell format wrap text; the height of its font in points.
    bool wrapsText(uint16_t xf) const;
    double fontPoints(uint16_t xf) const;
    bool date1904() const { return m_date1904; }

    // Does EXTERNSHEET entry ixti reach sheet `sheet`?
    bool covers(uint16_t ixti, int sheet) const;
    // The one sheet of this workbook EXTERNSHEET entry ixti names; -1 otherwise.
    int sheetOfXti(uint16_t ixti) const;
    // The tokens of NAME record `index` (1-based); empty when there is none.
    QByteArray nameTokens(uint16_t index) const;
    // Each NAME's tokens and extra data.
    void forEachNameFormula(const std::function<void(QByteArray& rgce, QByteArray& extra)>& f);
    // Removes sheet k from BOUNDSHEET, TABID, SUPBOOK, EXTERNSHEET and NAME.
    // Returns the map of old 1-based name indexes to new ones (0: deleted) and
    // sets deadIxti for the EXTERNSHEET entries that named only sheet k.
    std::vector<uint16_t> deleteSheet(int k, std::vector<bool>& deadIxti);

private:
    struct Name { qsizetype record; qsizetype rgceAt; int cce; };
    void decodeNames();
    std::vector<Record> m_records;
    std::vector<SheetEntry> m_sheets;
    std::vector<QString> m_sst;
    std::vector<StringFormatting> m_sstFormatting;
    int m_sstAt = -1;
    std::vector<Xti> m_xti;
    int m_selfSupbook = -1;
    std::vector<Name> m_names;
    std::vector<uint16_t> m_xfFormat;
    std::vector<uint16_t> m_xfFont;
    std::vector<bool> m_xfWraps;
    std::vector<uint16_t> m_fontTwips;
    QHash<int, QString> m_formats;
    bool m_date1904 = false;
};

} // namespace workbook::biff8
