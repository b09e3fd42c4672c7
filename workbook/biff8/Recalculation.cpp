#include "workbook/biff8/Recalculation.h"

#include "workbook/biff8/FormulaDecoder.h"
#include "workbook/calc/Calculator.h"

#include <set>

namespace workbook::biff8 {

namespace {

uint8_t errorCode(const QString& name)
{
    static const std::pair<const char*, uint8_t> codes[] = {
        {"#NULL!", 0x00}, {"#DIV/0!", 0x07}, {"#VALUE!", 0x0F}, {"#REF!", 0x17}, {"#NAME?", 0x1D}, {"#NUM!", 0x24}};
    for (const auto& [n, code] : codes)
        if (name == QLatin1String(n)) return code;
    return 0x2A;   // #N/A
}

class SheetsGrid : public calc::CellGrid {
public:
    explicit SheetsGrid(std::vector<Worksheet>& sheets) : m_sheets(sheets) {}
    void forEachCell(int sheet, int row1, int col1, int row2, int col2,
                     const std::function<void(int, int, const CellValue&, bool)>& visit) const override
    {
        if (sheet < 0 || sheet >= int(m_sheets.size()))
            return;
        auto& rows = m_sheets[sheet].rows();
        for (auto r = rows.lower_bound(row1); r != rows.end() && r->first <= row2; ++r)
            for (auto c = r->second.cells.lower_bound(col1); c != r->second.cells.end() && c->first <= col2; ++c)
                visit(r->first, c->first, valueOf(c->second), c->second.kind == Cell::Formula);
    }

private:
    static CellValue valueOf(const Cell& c)
    {
        CellValue v;
        switch (c.kind) {
        case Cell::Number: v = CellValue::fromNumber(c.number); break;
        case Cell::Text: v = CellValue::fromText(c.text); break;
        case Cell::BoolErr:
            if (c.boolErrIsError) {
                v = calc::errorValue("#N/A");
                static const std::pair<uint8_t, const char*> names[] = {
                    {0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"}, {0x1D, "#NAME?"}, {0x24, "#NUM!"}};
                for (const auto& [code, n] : names)
                    if (code == c.boolErrValue) v = calc::errorValue(n);
            } else {
                v.type = CellValue::Type::Bool;
                v.number = c.boolErrValue ? 1 : 0;
            }
            break;
        default: break;
        }
        return v;
    }
    std::vector<Worksheet>& m_sheets;
};

} // namespace

void storeResult(Cell& cell, const std::optional<CellValue>& result)
{
    QByteArray cached(8, '\0');
    cell.stringResult.clear();
    if (!result || (result->type == CellValue::Type::Text && result->text.isEmpty())) {
        cached[0] = 3;   // empty text
        setU16(cached, 6, 0xFFFF);
    } else if (result->type == CellValue::Type::Number) {
        cached.clear();
        putF64(cached, result->number);
    } else {
        setU16(cached, 6, 0xFFFF);
        if (result->type == CellValue::Type::Text) {
            cached[0] = 0;
            cell.stringResult = encodeUnicodeString(result->text.left(32767), false);
        } else if (result->type == CellValue::Type::Bool) {
            cached[0] = 1;
            cached[2] = char(result->number != 0 ? 1 : 0);
        } else {
            cached[0] = 2;
            cached[2] = char(errorCode(result->text));
        }
    }
    cell.cached = cached;
    cell.flags = result ? uint16_t(cell.flags & ~0x01) : uint16_t(cell.flags | 0x01);
}

void recalculate(const Globals& globals, std::vector<Worksheet>& sheets)
{
    SheetsGrid grid(sheets);
    calc::Calculator calculator(grid);
    std::map<uint16_t, calc::ExpressionPtr> names;
    std::set<uint16_t> decoding;
    DecodeContext context;
    context.sheetOfXti = [&globals](uint16_t ixti) { return globals.sheetOfXti(ixti); };
    context.name = [&](uint16_t index) -> calc::ExpressionPtr {
        auto it = names.find(index);
        if (it != names.end())
            return it->second;
        if (decoding.count(index))
            return nullptr;   // a name defined through itself
        decoding.insert(index);
        DecodeContext nameContext = context;
        calc::ExpressionPtr e = decodeFormula(globals.nameTokens(index), nameContext);
        decoding.erase(index);
        names[index] = e;
        return e;
    };
    std::vector<Cell*> cells;
    for (int s = 0; s < int(sheets.size()); ++s) {
        context.sheet = s;
        for (auto& [r, row] : sheets[s].rows())
            for (auto& [c, cell] : row.cells) {
                if (cell.kind != Cell::Formula)
                    continue;
                // Array formulas fill several cells: left to the spreadsheet program.
                const bool array = !cell.arrayRecord.isEmpty() || (!cell.rgce.isEmpty() && uint8_t(cell.rgce[0]) == 0x01);
                calculator.addFormula(s, r, c, array ? nullptr : decodeFormula(cell.rgce, context));
                cells.push_back(&cell);
            }
    }
    calculator.run();
    for (size_t i = 0; i < cells.size(); ++i)
        storeResult(*cells[i], calculator.result(i));
}

} // namespace workbook::biff8
