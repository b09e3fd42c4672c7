#include "workbook/biff8/Worksheet.h"

#include "workbook/biff8/SharedStrings.h"

#include <algorithm>
#include <cstring>

namespace workbook::biff8 {

double decodeRk(uint32_t rk)
{
    double d;
    if (rk & 0x02) {
        d = double(int32_t(rk) >> 2);
    } else {
        uint64_t bits = uint64_t(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&d, &bits, 8);
    }
    return (rk & 0x01) ? d / 100.0 : d;
}

namespace {

bool isCellRecord(uint16_t t)
{
    switch (t) {
    case rt::Row: case rt::Blank: case rt::Number: case rt::Rk: case rt::LabelSst: case rt::Label:
    case rt::RString: case rt::BoolErr: case rt::MulRk: case rt::MulBlank: case rt::Formula:
    case rt::String: case rt::ShrFmla: case rt::Array: case rt::Table: case rt::DbCell:
        return true;
    default:
        return false;
    }
}

void checkPlace(int row, int col)
{
    if (row < 0 || row > formula::MaxRow || col < 0 || col > 255)
        throw FormatError("celula in afara limitelor foii (rand " + std::to_string(row + 1) + ", coloana "
                          + std::to_string(col + 1) + ")");
}

struct SharedFormula {
    int r1, r2, c1, c2;
    QByteArray rgce, extra;
};

} // namespace

void Worksheet::parse(const std::vector<Record>& records, const std::vector<QString>& sst,
                      const std::vector<StringFormatting>& sstFormatting)
{
    if (records.empty() || records.front().type != rt::Bof)
        throw FormatError("foaie fara inregistrare BOF");
    m_worksheet = ByteView(records.front().data).u16(2) == 0x0010;
    enum { Before, Cells, After } state = Before;
    int depth = 0;
    Cell* lastFormula = nullptr;
    std::vector<std::pair<int, int>> sharedCells;
    std::vector<SharedFormula> shared;
    int lastFormulaRow = -1, lastFormulaCol = -1;

    auto place = [&](int row, int col) -> Cell& {
        checkPlace(row, col);
        Cell& c = m_rows[row].cells[col];
        c = Cell();
        return c;
    };

    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        ByteView v(r.data);
        if (i == 0) {
            m_before.push_back(r);
            continue;
        }
        if (depth > 0 || r.type == rt::Bof) {
            if (r.type == rt::Bof) ++depth;
            if (r.type == rt::Eof) --depth;
            (state == Before ? m_before : m_after).push_back(r);
            if (state != Before) m_afterNested.push_back(true);
            continue;
        }
        if (!m_worksheet) {
            m_after.push_back(r);
            m_afterNested.push_back(true);
            continue;
        }
        if (r.type == rt::Index)
            continue;
        if (r.type == rt::Dimensions) {
            m_dimensionsAt = int(m_before.size());
            continue;
        }
        if (r.type == rt::DefaultRowHeight)
            m_defaultHeight = v.u16(2);
        if (!isCellRecord(r.type)) {
            if (state == Before) {
                m_before.push_back(r);
            } else {
                state = After;
                m_after.push_back(r);
                m_afterNested.push_back(false);
            }
            continue;
        }
        state = state == After ? After : Cells;
        switch (r.type) {
        case rt::Row: {
            v.need(0, 16);
            int row = v.u16(0);
            checkPlace(row, 0);
            m_rows[row].rowRecord = r.data.left(16);
            break;
        }
        case rt::Blank: { Cell& c = place(v.u16(0), v.u16(2)); c.xf = v.u16(4); break; }
        case rt::Number: {
            Cell& c = place(v.u16(0), v.u16(2));
            c.xf = v.u16(4); c.kind = Cell::Number; c.number = v.f64(6);
            break;
        }
        case rt::Rk: {
            Cell& c = place(v.u16(0), v.u16(2));
            c.xf = v.u16(4); c.kind = Cell::Number; c.number = decodeRk(v.u32(6));
            break;
        }
        case rt::LabelSst: {
            uint32_t idx = v.u32(6);
            if (idx >= sst.size())
                throw FormatError("celula text cu index SST in afara tabelei");
            Cell& c = place(v.u16(0), v.u16(2));
            c.xf = v.u16(4); c.kind = Cell::Text; c.text = sst[idx];
            if (idx < sstFormatting.size()) c.textFormatting = sstFormatting[idx];
            break;
        }
        case rt::Label: case rt::RString: {
            ContinuedReader cr({v.sub(6, v.size() - 6)});
            QString text = cr.unicodeString();
            Cell& c = place(v.u16(0), v.u16(2));
            c.xf = v.u16(4); c.kind = Cell::Text; c.text = text;
            break;
        }
        case rt::BoolErr: {
            Cell& c = place(v.u16(0), v.u16(2));
            c.xf = v.u16(4); c.kind = Cell::BoolErr; c.boolErrValue = v.u8(6); c.boolErrIsError = v.u8(7);
            break;
        }
        case rt::MulRk: case rt::MulBlank: {
            int width = r.type == rt::MulRk ? 6 : 2;
            int n = int((v.size() - 6) / width);
            int row = v.u16(0), first = v.u16(2);
            if (n < 1 || v.u16(v.size() - 2) != first + n - 1)
                throw FormatError("inregistrare MULRK/MULBLANK inconsistenta");
            for (int k = 0; k < n; ++k) {
                Cell& c = place(row, first + k);
                c.xf = v.u16(4 + k * width);
                if (width == 6) { c.kind = Cell::Number; c.number = decodeRk(v.u32(6 + k * width)); }
            }
            break;
        }
        case rt::Formula: {
            int cce = v.u16(20);
            Cell& c = place(v.u16(0), v.u16(2));
            c.xf = v.u16(4); c.kind = Cell::Formula;
            c.cached = v.bytes(6, 8);
            c.flags = v.u16(14);
            c.rgce = v.bytes(22, cce);
            c.extra = r.data.mid(22 + cce);
            lastFormula = &c;
            lastFormulaRow = v.u16(0);
            lastFormulaCol = v.u16(2);
            if ((c.flags & 0x08) && !c.rgce.isEmpty() && uint8_t(c.rgce[0]) == 0x01)
                sharedCells.emplace_back(lastFormulaRow, lastFormulaCol);
            break;
        }
        case rt::String:
            if (!lastFormula)
                throw FormatError("inregistrare STRING fara formula");
            lastFormula->stringResult = r.data;
            // A long text result may continue.
            while (i + 1 < records.size() && records[i + 1].type == rt::Continue)
                lastFormula->stringResult.append(records[++i].data);
            break;
        case rt::ShrFmla: {
            SharedFormula s;
            s.r1 = v.u16(0); s.r2 = v.u16(2); s.c1 = v.u8(4); s.c2 = v.u8(5);
            int cce = v.u16(8);
            s.rgce = v.bytes(10, cce);
            s.extra = r.data.mid(10 + cce);
            shared.push_back(s);
            break;
        }
        case rt::Array:
            if (!lastFormula)
                throw FormatError("inregistrare ARRAY fara formula");
            v.need(0, 14);
            lastFormula->arrayRecord = r.data;
            break;
        case rt::Table:
            throw FormatError("foaia contine un tabel de date (TABLE), care nu este suportat");
        case rt::DbCell:
            break;
        }
    }
    (void)lastFormulaCol;
    if (m_worksheet && state == Before) {
        // A sheet without cells: what follows DIMENSIONS (or BOF) comes after
        // the cells that may be written into it.
        size_t at = m_dimensionsAt >= 0 ? size_t(m_dimensionsAt) : 1;
        for (size_t k = at; k < m_before.size(); ++k) {
            m_after.push_back(m_before[k]);
            m_afterNested.push_back(false);
        }
        m_before.resize(at);
    }
    if (m_worksheet && (depth != 0 || m_after.empty() || m_after.back().type != rt::Eof))
        throw FormatError("foaie fara inregistrare EOF");
    // Unshare: each member takes the group's tokens made absolute for its place.
    for (auto [row, col] : sharedCells) {
        Cell& c = m_rows[row].cells[col];
        ByteView t(c.rgce);
        int fr = t.u16(1), fc = t.u16(3);
        const SharedFormula* found = nullptr;
        for (const SharedFormula& s : shared)
            if ((s.r1 == fr && s.c1 == fc) || (row >= s.r1 && row <= s.r2 && col >= s.c1 && col <= s.c2)) {
                found = &s;
                if (s.r1 == fr && s.c1 == fc) break;
            }
        if (!found) {
            // An array member carries the shared flag in some writers; leave it.
            bool array = false;
            auto rit = m_rows.find(fr);
            if (rit != m_rows.end()) {
                auto cit = rit->second.cells.find(fc);
                array = cit != rit->second.cells.end() && !cit->second.arrayRecord.isEmpty();
            }
            if (!array)
                throw FormatError("formula partajata fara inregistrarea SHRFMLA");
            c.flags &= ~0x08;
            continue;
        }
        c.rgce = formula::unshare(found->rgce, row, col);
        c.extra = found->extra;
        c.flags &= ~0x08;
    }
}

int Worksheet::lastRow() const
{
    for (auto it = m_rows.rbegin(); it != m_rows.rend(); ++it)
        if (!it->second.cells.empty())
            return it->first;
    return -1;
}

int Worksheet::lastColumn() const
{
    int last = -1;
    for (const auto& [r, row] : m_rows)
        if (!row.cells.empty())
            last = std::max(last, row.cells.rbegin()->first);
    return last;
}

const Cell* Worksheet::cell(int row, int col) const
{
    auto rit = m_rows.find(row);
    if (rit == m_rows.end())
        return nullptr;
    auto cit = rit->second.cells.find(col);
    return cit == rit->second.cells.end() ? nullptr : &cit->second;
}

QByteArray Worksheet::defaultRowRecord() const
{
    QByteArray rec;
    putU16(rec, 0); putU16(rec, 0); putU16(rec, 0);
    putU16(rec, m_defaultHeight); putU16(rec, 0); putU16(rec, 0);
    putU32(rec, 0x000F0100);
    return rec;
}

double Worksheet::columnWidthChars(int col) const
{
    double standard = 8.43;
    for (const Record& r : m_before) {
        ByteView v(r.data);
        if (r.type == rt::Colinfo && r.data.size() >= 6 && col >= v.u16(0) && col <= v.u16(2))
            return v.u16(4) / 256.0;
        if (r.type == rt::DefColWidth && r.data.size() >= 2)
            standard = v.u16(0);
    }
    return standard;
}

int Worksheet::rowHeightTwips(int row) const
{
    auto it = m_rows.find(row);
    if (it == m_rows.end() || it->second.rowRecord.size() < 16)
        return m_defaultHeight;
    return ByteView(it->second.rowRecord).u16(6) & 0x7FFF;
}

void Worksheet::setRowHeightTwips(int row, int twips)
{
    QByteArray& rec = m_rows[row].rowRecord;
    if (rec.size() != 16)
        rec = defaultRowRecord();
    setU16(rec, 6, uint16_t(std::clamp(twips, 2, 8192)));
    // fUnsynced: the height was set, readers keep it instead of their default.
    setU32(rec, 12, ByteView(rec).u32(12) | 0x40);
}

uint16_t Worksheet::defaultXf(int row, int col) const
{
    auto rit = m_rows.find(row);
    if (rit != m_rows.end() && rit->second.rowRecord.size() >= 16) {
        uint32_t flags = ByteView(rit->second.rowRecord).u32(12);
        if (flags & 0x80)
            return uint16_t((flags >> 16) & 0x0FFF);
    }
    for (const Record& r : m_before) {
        if (r.type != rt::Colinfo || r.data.size() < 8)
            continue;
        ByteView v(r.data);
        if (col >= v.u16(0) && col <= v.u16(2))
            return v.u16(6);
    }
    return 15;
}

Cell& Worksheet::cellForWrite(int row, int col)
{
    if (row < 0 || row > formula::MaxRow)
        throw WorkbookError("Randul " + std::to_string(row + 1) + " depaseste limita de 65536 randuri a foii .xls");
    if (col < 0 || col > 255)
        throw WorkbookError("Coloana " + std::to_string(col + 1) + " depaseste limita de 256 coloane a foii .xls");
    Row& r = m_rows[row];
    auto it = r.cells.find(col);
    if (it != r.cells.end())
        return it->second;
    Cell c;
    c.xf = defaultXf(row, col);
    return r.cells.emplace(col, c).first->second;
}

void Worksheet::forEachFormula(const std::function<void(QByteArray&, QByteArray&)>& f)
{
    for (auto& [r, row] : m_rows)
        for (auto& [c, cell] : row.cells) {
            if (cell.kind != Cell::Formula)
                continue;
            f(cell.rgce, cell.extra);
        }
}

void Worksheet::shiftFormulas(const formula::RowShift& totals, const formula::RowShift& plain, int dataRow,
                              const formula::Scope& scope)
{
    for (auto& [r, row] : m_rows)
        for (auto& [c, cell] : row.cells) {
            if (cell.kind != Cell::Formula)
                continue;
            const formula::RowShift& s = r == dataRow ? plain : totals;
            formula::shiftRows(cell.rgce, cell.extra, s, scope);
            if (!cell.arrayRecord.isEmpty() && scope.localRefs) {
                QByteArray& a = cell.arrayRecord;
                ByteView v(a);
                int r1 = v.u16(0), r2 = v.u16(2);
                s.moveArea(r1, r2);
                setU16(a, 0, uint16_t(r1));
                setU16(a, 2, uint16_t(r2));
                int cce = v.u16(12);
                QByteArray rgce = a.mid(14, cce), extra = a.mid(14 + cce);
                v.need(14, cce);
                formula::shiftRows(rgce, extra, s, scope);
                a = a.left(14) + rgce + extra;
            }
        }
}

void Worksheet::copyRowBelow(int row, int count)
{
    if (count <= 0)
        return;
    int last = m_rows.empty() ? -1 : m_rows.rbegin()->first;
    if (last + count > formula::MaxRow)
        throw WorkbookError("Foaia ar depasi limita de 65536 randuri a formatului .xls");
    // Move rows below, from the bottom up.
    std::map<int, Row> moved;
    for (auto it = m_rows.upper_bound(row); it != m_rows.end();)
    {
        moved.emplace(it->first + count, std::move(it->second));
        it = m_rows.erase(it);
    }
    auto src = m_rows.find(row);
    if (src != m_rows.end()) {
        for (int i = 1; i <= count; ++i) {
            Row copy = src->second;
            for (auto& [c, cell] : copy.cells) {
                if (cell.kind != Cell::Formula)
                    continue;
                formula::offsetRows(cell.rgce, i);
                if (!cell.rgce.isEmpty() && uint8_t(cell.rgce[0]) == 0x01) {
                    // Member of an array formula anchored in the data row: follow the copy.
                    int r = ByteView(cell.rgce).u16(1);
                    if (r == row) setU16(cell.rgce, 1, uint16_t(r + i));
                }
                if (!cell.arrayRecord.isEmpty()) {
                    QByteArray& a = cell.arrayRecord;
                    ByteView v(a);
                    setU16(a, 0, uint16_t(v.u16(0) + i));
                    setU16(a, 2, uint16_t(v.u16(2) + i));
                    int cce = v.u16(12);
                    v.need(14, cce);
                    QByteArray rgce = a.mid(14, cce);
                    formula::offsetRows(rgce, i);
                    a = a.left(14) + rgce + a.mid(14 + cce);
                }
            }
            m_rows.emplace(row + i, std::move(copy));
        }
    }
    for (auto& [r, rw] : moved)
        m_rows.emplace(r, std::move(rw));
}

void Worksheet::setSelected(bool selected)
{
    for (Record& r : m_after) {
        if (r.type != rt::Window2 || r.data.size() < 2)
            continue;
        uint16_t f = getU16(r.data, 0);
        f = selected ? (f | 0x0600) : (f & ~0x0600);
        setU16(r.data, 0, f);
        break;
    }
}

QByteArray Worksheet::serialize(SharedStrings& sst) const
{
    QByteArray out;
    if (!m_worksheet) {
        for (const Record& r : m_before) writeRecord(out, r.type, r.data);
        for (const Record& r : m_after) writeRecord(out, r.type, r.data);
        return out;
    }
    int firstRow = -1, lastRowPlus = 0, firstCol = 256, lastColPlus = 0;
    for (const auto& [r, row] : m_rows) {
        if (row.cells.empty())
            continue;
        if (firstRow < 0) firstRow = r;
        lastRowPlus = r + 1;
        firstCol = std::min(firstCol, row.cells.begin()->first);
        lastColPlus = std::max(lastColPlus, row.cells.rbegin()->first + 1);
    }
    QByteArray dim;
    putU32(dim, uint32_t(std::max(firstRow, 0)));
    putU32(dim, uint32_t(lastRowPlus));
    putU16(dim, uint16_t(firstRow < 0 ? 0 : firstCol));
    putU16(dim, uint16_t(lastColPlus));
    putU16(dim, 0);
    int dimAt = m_dimensionsAt >= 0 ? m_dimensionsAt : int(m_before.size());
    for (int i = 0; i <= int(m_before.size()); ++i) {
        if (i == dimAt) writeRecord(out, rt::Dimensions, dim);
        if (i < int(m_before.size())) writeRecord(out, m_before[i].type, m_before[i].data);
    }

    // Row blocks of 32: ROW records first, then the cells of those rows.
    auto it = m_rows.begin();
    while (it != m_rows.end()) {
        auto blockEnd = it;
        int blockFirst = it->first;
        while (blockEnd != m_rows.end() && blockEnd->first < blockFirst - blockFirst % 32 + 32)
            ++blockEnd;
        for (auto r = it; r != blockEnd; ++r) {
            const Row& row = r->second;
            if (row.cells.empty() && row.rowRecord.isEmpty())
                continue;
            QByteArray rec = row.rowRecord.size() == 16 ? row.rowRecord : defaultRowRecord();
            setU16(rec, 0, uint16_t(r->first));
            setU16(rec, 2, uint16_t(row.cells.empty() ? 0 : row.cells.begin()->first));
            setU16(rec, 4, uint16_t(row.cells.empty() ? 0 : row.cells.rbegin()->first + 1));
            writeRecord(out, rt::Row, rec);
        }
        for (auto r = it; r != blockEnd; ++r) {
            for (const auto& [col, c] : r->second.cells) {
                QByteArray d;
                putU16(d, uint16_t(r->first));
                putU16(d, uint16_t(col));
                putU16(d, c.xf);
                switch (c.kind) {
                case Cell::Blank: writeRecord(out, rt::Blank, d); break;
                case Cell::Number: putF64(d, c.number); writeRecord(out, rt::Number, d); break;
                case Cell::Text:
                    putU32(d, uint32_t(sst.add(c.text, c.textFormatting)));
                    writeRecord(out, rt::LabelSst, d);
                    break;
                case Cell::BoolErr:
                    putU8(d, c.boolErrValue); putU8(d, c.boolErrIsError);
                    writeRecord(out, rt::BoolErr, d);
                    break;
                case Cell::Formula: {
                    d.append(c.cached.size() == 8 ? c.cached : QByteArray(8, '\0'));
                    putU16(d, c.flags);
                    putU32(d, 0);
                    putU16(d, uint16_t(c.rgce.size()));
                    d.append(c.rgce);
                    d.append(c.extra);
                    writeRecord(out, rt::Formula, d);
                    if (!c.arrayRecord.isEmpty())
                        writeRecord(out, rt::Array, c.arrayRecord);
                    bool stringResult = c.cached.size() == 8 && uint8_t(c.cached[6]) == 0xFF
                        && uint8_t(c.cached[7]) == 0xFF && c.cached[0] == 0;
                    if (stringResult) {
                        QByteArray s = c.stringResult;
                        if (s.isEmpty()) { putU16(s, 0); putU8(s, 0); }
                        writeRecord(out, rt::String, s);
                    }
                    break;
                }
                }
            }
        }
        it = blockEnd;
    }
    for (const Record& r : m_after)
        writeRecord(out, r.type, r.data);
    return out;
}

} // namespace workbook::biff8
