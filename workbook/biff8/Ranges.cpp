// Records of a sheet that carry row numbers outside the cell table: merged
// cells, conditional formats, validations, hyperlinks, notes, drawing anchors
// and page breaks.
// Their ranges move with a row insertion like the areas of formulas.
#include "workbook/biff8/Worksheet.h"

namespace workbook::biff8 {

namespace {

struct Ref8 { int r1, r2, c1, c2; };

void shiftRef8(QByteArray& data, qsizetype at, const formula::RowShift& s)
{
    ByteView v(data);
    int r1 = v.u16(at), r2 = v.u16(at + 2);
    s.moveArea(r1, r2);
    if (r2 > formula::MaxRow)
        throw WorkbookError("Foaia ar depasi limita de 65536 randuri a formatului .xls");
    setU16(data, at, uint16_t(r1));
    setU16(data, at + 2, uint16_t(r2));
}

// Offset of the range list (cref + Ref8U[]) in a DV record.
qsizetype dvRangesAt(const QByteArray& data)
{
    ByteView v(data);
    qsizetype at = 4;
    for (int i = 0; i < 4; ++i) {
        qsizetype cch = v.u16(at);
        uint8_t flags = v.u8(at + 2);
        at += 3 + cch * ((flags & 1) ? 2 : 1);
    }
    for (int i = 0; i < 2; ++i)
        at += 4 + v.u16(at);
    v.need(at, 2);
    return at;
}

// Drawing objects (images, charts, the boxes of notes) keep their place in
// OfficeArt client anchors: rows of the top-left and bottom-right corners.
// Containers are entered, atoms skipped; an anchor moves like a cell.
void shiftDrawingAnchors(QByteArray& data, const formula::RowShift& s)
{
    ByteView v(data);
    qsizetype at = 0;
    while (at + 8 <= v.size()) {
        const uint16_t verInst = v.u16(at);
        const uint16_t type = v.u16(at + 2);
        const uint32_t length = v.u32(at + 4);
        if ((verInst & 0x0F) == 0x0F) {
            at += 8;
            continue;
        }
        if (qsizetype(length) > v.size() - at - 8)
            return;
        if (type == 0xF010 && length >= 18) {
            for (qsizetype rowAt : {at + 8 + 6, at + 8 + 14}) {
                const int row = std::min(formula::MaxRow, s.moveRow(v.u16(rowAt)));
                setU16(data, rowAt, uint16_t(row));
            }
        }
        at += 8 + length;
    }
}

} // namespace

void Worksheet::shiftRanges(const formula::RowShift& s, int dataRow, int count)
{
    std::vector<Ref8> merges;
    int firstMergeAt = -1;
    std::vector<Record> kept;
    std::vector<bool> keptNested;
    for (size_t i = 0; i < m_after.size(); ++i) {
        Record& r = m_after[i];
        bool nested = m_afterNested[i];
        if (nested) {
            kept.push_back(r);
            keptNested.push_back(true);
            continue;
        }
        ByteView v(r.data);
        switch (r.type) {
        case rt::MergedCells: {
            int n = v.u16(0);
            for (int k = 0; k < n; ++k) {
                qsizetype at = 2 + 8 * k;
                Ref8 m{v.u16(at), v.u16(at + 2), v.u16(at + 4), v.u16(at + 6)};
                if (m.r1 == dataRow && m.r2 == dataRow) {
                    merges.push_back(m);
                    for (int c = 1; c <= count; ++c)
                        merges.push_back({m.r1 + c, m.r2 + c, m.c1, m.c2});
                } else {
                    s.moveArea(m.r1, m.r2);
                    if (m.r2 > formula::MaxRow)
                        throw WorkbookError("Foaia ar depasi limita de 65536 randuri a formatului .xls");
                    merges.push_back(m);
                }
            }
            if (firstMergeAt < 0) {
                firstMergeAt = int(kept.size());
                kept.push_back(r);
                keptNested.push_back(false);
            }
            continue;
        }
        case rt::CondFmt: {
            shiftRef8(r.data, 4, s);
            int n = v.u16(12);
            for (int k = 0; k < n; ++k)
                shiftRef8(r.data, 14 + 8 * k, s);
            break;
        }
        case rt::DV: {
            qsizetype at = dvRangesAt(r.data);
            int n = v.u16(at);
            for (int k = 0; k < n; ++k)
                shiftRef8(r.data, at + 2 + 8 * k, s);
            break;
        }
        case rt::Hlink:
            shiftRef8(r.data, 0, s);
            break;
        case rt::HlinkTooltip:
            shiftRef8(r.data, 2, s);
            break;
        case rt::MsoDrawing:
            shiftDrawingAnchors(r.data, s);
            break;
        case rt::Note: {
            int row = s.moveRow(v.u16(0));
            setU16(r.data, 0, uint16_t(row));
            break;
        }
        default:
            break;
        }
        kept.push_back(r);
        keptNested.push_back(false);
    }
    if (firstMergeAt >= 0) {
        std::vector<Record> chunks;
        for (size_t k = 0; k < merges.size(); k += 1026) {
            Record r;
            r.type = rt::MergedCells;
            size_t n = std::min<size_t>(1026, merges.size() - k);
            putU16(r.data, uint16_t(n));
            for (size_t j = k; j < k + n; ++j) {
                putU16(r.data, uint16_t(merges[j].r1));
                putU16(r.data, uint16_t(merges[j].r2));
                putU16(r.data, uint16_t(merges[j].c1));
                putU16(r.data, uint16_t(merges[j].c2));
            }
            chunks.push_back(r);
        }
        kept.erase(kept.begin() + firstMergeAt);
        keptNested.erase(keptNested.begin() + firstMergeAt);
        kept.insert(kept.begin() + firstMergeAt, chunks.begin(), chunks.end());
        keptNested.insert(keptNested.begin() + firstMergeAt, chunks.size(), false);
    }
    m_after = std::move(kept);
    m_afterNested = std::move(keptNested);

    for (Record& r : m_before) {
        if (r.type != rt::HPageBreaks)
            continue;
        ByteView v(r.data);
        int n = v.u16(0);
        for (int k = 0; k < n; ++k) {
            qsizetype at = 2 + 6 * k;
            setU16(r.data, at, uint16_t(std::min(formula::MaxRow, s.moveRow(v.u16(at)))));
        }
    }
}

} // namespace workbook::biff8
