#include "workbook/calc/Calculator.h"

#include "workbook/calc/Evaluator.h"

namespace workbook::calc {

void Calculator::addFormula(int sheet, int row, int col, ExpressionPtr expression)
{
    if (sheet >= int(m_bySheet.size()))
        m_bySheet.resize(sheet + 1);
    m_bySheet[sheet][key(row, col)] = m_formulas.size();
    m_formulas.push_back({sheet, row, col, std::move(expression), std::nullopt, false});
}

void Calculator::collect(const Expression& e, std::vector<size_t>& out) const
{
    if (e.kind == Expression::Kind::Reference || e.kind == Expression::Kind::Area) {
        if (e.sheet < 0 || e.sheet >= int(m_bySheet.size()))
            return;
        const auto& cells = m_bySheet[e.sheet];
        for (auto it = cells.lower_bound(key(e.row1, 0)); it != cells.end() && int(it->first >> 32) <= e.row2; ++it) {
            const int col = int(it->first & 0xFFFFFFFF);
            if (col >= e.col1 && col <= e.col2)
                out.push_back(it->second);
        }
        return;
    }
    for (const ExpressionPtr& a : e.args)
        collect(*a, out);
}

std::vector<size_t> Calculator::dependencies(const Formula& f) const
{
    std::vector<size_t> out;
    if (f.expression)
        collect(*f.expression, out);
    return out;
}

std::vector<size_t> Calculator::order()
{
    enum State : uint8_t { Unvisited, OnStack, Done };
    std::vector<State> state(m_formulas.size(), Unvisited);
    std::vector<size_t> out;
    out.reserve(m_formulas.size());
    struct Frame { size_t formula; std::vector<size_t> deps; size_t next = 0; };
    std::vector<Frame> stack;
    for (size_t start = 0; start < m_formulas.size(); ++start) {
        if (state[start] != Unvisited)
            continue;
        stack.push_back({start, dependencies(m_formulas[start])});
        state[start] = OnStack;
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next < top.deps.size()) {
                const size_t d = top.deps[top.next++];
                if (state[d] == Unvisited) {
                    state[d] = OnStack;
                    stack.push_back({d, dependencies(m_formulas[d])});
                } else if (state[d] == OnStack) {
                    // A cycle: every formula from d up to the top reads itself.
                    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
                        m_formulas[it->formula].cyclic = true;
                        if (it->formula == d)
                            break;
                    }
                }
                continue;
            }
            state[top.formula] = Done;
            out.push_back(top.formula);
            stack.pop_back();
        }
    }
    return out;
}

void Calculator::run()
{
    for (size_t i : order()) {
        Formula& f = m_formulas[i];
        if (f.cyclic) {
            f.result = errorValue("#VALUE!");
            continue;
        }
        if (!f.expression)
            continue;
        Evaluator ev(*this, f.sheet, f.row, f.col);
        f.result = ev.evaluate(*f.expression);
    }
}

std::optional<CellValue> Calculator::formulaValue(int sheet, int row, int col) const
{
    if (sheet < 0 || sheet >= int(m_bySheet.size()))
        return std::nullopt;
    auto it = m_bySheet[sheet].find(key(row, col));
    if (it == m_bySheet[sheet].end())
        return std::nullopt;
    const Formula& f = m_formulas[it->second];
    if (f.cyclic)
        return errorValue("#VALUE!");
    return f.result;
}

} // namespace workbook::calc
