#include "workbook/xlsx/Recalculation.h"

#include "workbook/calc/Calculator.h"
#include "workbook/xlsx/FormulaParser.h"

#include <set>

namespace workbook::xlsx {

namespace {

class SheetsGrid : public calc::CellGrid {
public:
    explicit SheetsGrid(const WorkbookCells& book) : m_book(book) {}
    void forEachCell(int sheet, int row1, int col1, int row2, int col2,
                     const std::function<void(int, int, const CellValue&, bool)>& visit) const override
    {
        if (sheet < 0 || sheet >= int(m_book.sheets->size()))
            return;
        const auto& rows = (*m_book.sheets)[sheet].rows();
        for (auto r = rows.lower_bound(row1); r != rows.end() && r->first <= row2; ++r)
            for (auto c = r->second.cells.lower_bound(col1); c != r->second.cells.end() && c->first <= col2; ++c)
                visit(r->first, c->first, c->second.hasFormula ? CellValue() : valueOf(c->second, *m_book.sharedStrings),
                      c->second.hasFormula);
    }

private:
    const WorkbookCells& m_book;
};

void storeResult(XCell& c, const std::optional<CellValue>& result)
{
    c.hasValue = result.has_value();
    c.value.clear();
    c.setAttr(QStringLiteral("t"), QString());
    if (!result)
        return;
    switch (result->type) {
    case CellValue::Type::Empty:
    case CellValue::Type::Number: c.value = QString::number(result->number, 'g', 17); break;
    case CellValue::Type::Text: c.setAttr(QStringLiteral("t"), QStringLiteral("str")); c.value = result->text; break;
    case CellValue::Type::Bool: c.setAttr(QStringLiteral("t"), QStringLiteral("b")); c.value = result->number != 0 ? QStringLiteral("1") : QStringLiteral("0"); break;
    case CellValue::Type::Error: c.setAttr(QStringLiteral("t"), QStringLiteral("e")); c.value = result->text; break;
    }
}

bool isOrdinaryFormula(const XCell& c)
{
    for (const auto& a : c.formulaAttrs)
        if (a.first == QLatin1String("t") && a.second != QLatin1String("normal")) return false;
    return true;
}

} // namespace

void recalculate(const WorkbookCells& book)
{
    SheetsGrid grid(book);
    calc::Calculator calculator(grid);
    FormulaContext context;
    context.sheetIndex = [&book](const QString& name) {
        for (size_t i = 0; i < book.sheetNames.size(); ++i)
            if (book.sheetNames[i].compare(name, Qt::CaseInsensitive) == 0) return int(i);
        return -1;
    };
    std::set<QString> parsing;
    context.name = [&](const QString& name, int sheet) -> calc::ExpressionPtr {
        const DefinedName* found = nullptr;
        for (const DefinedName& n : book.names)
            if (n.name.compare(name, Qt::CaseInsensitive) == 0 && (n.localSheet == sheet || (n.localSheet < 0 && !found)))
                found = &n;
        const QString key = name.toUpper();
        if (!found || parsing.count(key))
            return nullptr;
        parsing.insert(key);
        FormulaContext nameContext = context;
        nameContext.sheet = sheet;
        calc::ExpressionPtr e = parseFormula(found->formula, nameContext);
        parsing.erase(key);
        return e;
    };
    std::vector<XCell*> cells;
    for (int s = 0; s < int(book.sheets->size()); ++s) {
        context.sheet = s;
        for (auto& [r, row] : (*book.sheets)[s].rows())
            for (auto& [c, cell] : row.cells) {
                if (!cell.hasFormula)
                    continue;
                calculator.addFormula(s, r, c, isOrdinaryFormula(cell) ? parseFormula(cell.formula, context) : nullptr);
                cells.push_back(&cell);
            }
    }
    calculator.run();
    for (size_t i = 0; i < cells.size(); ++i)
        storeResult(*cells[i], calculator.result(i));
}

} // namespace workbook::xlsx
