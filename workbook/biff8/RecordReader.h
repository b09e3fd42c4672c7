// Splits a BIFF8 workbook stream into its records and writes records back,
// continuing data over 8,224 bytes in CONTINUE records. Also reads the BIFF8
// unicode strings that records carry, including strings split over CONTINUE.
#pragma once

#include "workbook/Bytes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace workbook::biff8 {

namespace rt {
enum : uint16_t {
    Formula = 0x0006, Eof = 0x000A, CalcCount = 0x000C, CalcMode = 0x000D, Precision = 0x000E,
    RefMode = 0x000F, Delta = 0x0010, Iteration = 0x0011, Protect = 0x0012, Password = 0x0013,
    ExternSheet = 0x0017, Name = 0x0018, WindowProtect = 0x0019, HPageBreaks = 0x001B,
    Note = 0x001C, Selection = 0x001D, DateMode = 0x0022, FilePass = 0x002F, Continue = 0x003C,
    Window1 = 0x003D, DefColWidth = 0x0055, Obj = 0x005D, Colinfo = 0x007D, Guts = 0x0080,
    WsBool = 0x0081, Boundsheet = 0x0085, MulRk = 0x00BD, MulBlank = 0x00BE, RString = 0x00D6,
    DbCell = 0x00D7, MergedCells = 0x00E5, LabelSst = 0x00FD, Sst = 0x00FC, ExtSst = 0x00FF,
    TabId = 0x013D, CondFmt = 0x01B0, Cf = 0x01B1, DVal = 0x01B2, Hlink = 0x01B8,
    SupBook = 0x01AE, RecalcId = 0x01C1, DV = 0x01BE, Dimensions = 0x0200, Blank = 0x0201,
    Number = 0x0203, Label = 0x0204, BoolErr = 0x0205, String = 0x0207, Row = 0x0208,
    Index = 0x020B, Array = 0x0221, DefaultRowHeight = 0x0225, Table = 0x0236, Window2 = 0x023E,
    Rk = 0x027E, MsoDrawing = 0x00EC, ShrFmla = 0x04BC, Bof = 0x0809, HlinkTooltip = 0x0800, CodePage = 0x0042,
};
}

struct Record {
    uint16_t type = 0;
    QByteArray data;
    qsizetype offset = 0;   // position in the stream it was read from
};

constexpr qsizetype MaxRecordData = 8224;

// Raises FormatError when a record's length runs past the end of the stream.
std::vector<Record> readRecords(const QByteArray& stream);
// Appends one record; data beyond 8,224 bytes goes into CONTINUE records.
void writeRecord(QByteArray& out, uint16_t type, const QByteArray& data);

// Reads bytes across a record and the CONTINUE records that follow it.
class ContinuedReader {
public:
    explicit ContinuedReader(std::vector<ByteView> segments) : m_segments(std::move(segments)) {}
    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    void skip(qsizetype count);
    QByteArray take(qsizetype count);
    // Characters of a unicode string; a split inside the characters starts the
    // next segment with a flag byte that may change the width.
    QString chars(qsizetype count, bool wide);
    // A whole XLUnicodeString: count (2 bytes, or 1 with shortCount), flags, runs, extension.
    QString unicodeString(bool shortCount = false);
    // The same, keeping the formatting runs (4 bytes each) and the extension
    // (phonetic) data as read.
    QString unicodeString(QByteArray& runs, QByteArray& extension);
    bool atEnd();

private:
    void advance();
    std::vector<ByteView> m_segments;
    size_t m_seg = 0;
    qsizetype m_pos = 0;
};

// A unicode string laid out in one buffer (no CONTINUE), as NAME, BOUNDSHEET
// or LABEL carry it.
QByteArray encodeUnicodeString(const QString& s, bool shortCount);

} // namespace workbook::biff8
