#include "workbook/calc/Evaluator.h"

#include "workbook/calc/Calculator.h"
#include "workbook/calc/Functions.h"

#include <cmath>

namespace workbook::calc {

using Type = CellValue::Type;

std::optional<double> toNumber(const CellValue& v, CellValue& error)
{
    switch (v.type) {
    case Type::Empty: return 0.0;
    case Type::Number: case Type::Bool: return v.number;
    case Type::Error: error = v; return std::nullopt;
    case Type::Text: {
        bool ok = false;
        const double d = v.text.trimmed().toDouble(&ok);
        if (ok && std::isfinite(d))
            return d;
        error = errorValue("#VALUE!");
        return std::nullopt;
    }
    }
    return std::nullopt;
}

std::optional<bool> toBool(const CellValue& v, CellValue& error)
{
    switch (v.type) {
    case Type::Empty: return false;
    case Type::Number: case Type::Bool: return v.number != 0;
    case Type::Error: error = v; return std::nullopt;
    case Type::Text:
        if (v.text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0) return true;
        if (v.text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) return false;
        error = errorValue("#VALUE!");
        return std::nullopt;
    }
    return std::nullopt;
}

QString numberText(double d)
{
    if (d == 0)
        return QStringLiteral("0");
    QString s = QString::number(d, 'g', 15);
    return s.replace(QLatin1Char('e'), QLatin1Char('E'));
}

CellValue numberResult(double d)
{
    return std::isfinite(d) ? CellValue::fromNumber(d) : errorValue("#NUM!");
}

int compareValues(const CellValue& a, const CellValue& b)
{
    auto rank = [](Type t) { return t == Type::Text ? 1 : t == Type::Bool ? 2 : 0; };
    // An empty cell compares as the other side's kind of nothing.
    CellValue x = a, y = b;
    auto fill = [](CellValue& e, const CellValue& other) {
        if (e.type != Type::Empty) return;
        if (other.type == Type::Text) e = CellValue::fromText(QString());
        else if (other.type == Type::Bool) { e.type = Type::Bool; e.number = 0; }
        else e = CellValue::fromNumber(0);
    };
    fill(x, y);
    fill(y, x);
    if (rank(x.type) != rank(y.type))
        return rank(x.type) < rank(y.type) ? -1 : 1;
    if (x.type == Type::Text) {
        const int c = x.text.compare(y.text, Qt::CaseInsensitive);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    return x.number < y.number ? -1 : x.number > y.number ? 1 : 0;
}

std::optional<CellValue> Evaluator::evaluate(const Expression& e)
{
    try {
        CellValue v = scalar(operand(e));
        if (v.type == Type::Empty)
            return CellValue::fromNumber(0);
        return v;
    } catch (const NotUnderstood&) {
        return std::nullopt;
    }
}

CellValue Evaluator::valueAt(int sheet, int row, int col) const
{
    CellValue out;
    m_calc.grid().forEachCell(sheet, row, col, row, col, [&](int r, int c, const CellValue& v, bool formula) {
        if (!formula) {
            out = v;
            return;
        }
        auto result = m_calc.formulaValue(sheet, r, c);
        if (!result)
            throw NotUnderstood();
        out = *result;
    });
    return out;
}

void Evaluator::forEachValue(const Operand& a, const std::function<void(const CellValue&)>& visit) const
{
    if (!a.isArea) {
        visit(a.value);
        return;
    }
    forEachStored(a, [&](int, int, const CellValue& v) { visit(v); });
}

void Evaluator::forEachStored(const Operand& a, const std::function<void(int, int, const CellValue&)>& visit) const
{
    m_calc.grid().forEachCell(a.sheet, a.row1, a.col1, a.row2, a.col2, [&](int r, int c, const CellValue& v, bool formula) {
        if (!formula) {
            if (v.type != Type::Empty)
                visit(r, c, v);
            return;
        }
        auto result = m_calc.formulaValue(a.sheet, r, c);
        if (!result)
            throw NotUnderstood();
        visit(r, c, *result);
    });
}

CellValue Evaluator::scalar(const Operand& o) const
{
    if (!o.isArea)
        return o.value;
    if (o.row1 == o.row2 && o.col1 == o.col2)
        return valueAt(o.sheet, o.row1, o.col1);
    if (o.col1 == o.col2 && m_row >= o.row1 && m_row <= o.row2)
        return valueAt(o.sheet, m_row, o.col1);
    if (o.row1 == o.row2 && m_col >= o.col1 && m_col <= o.col2)
        return valueAt(o.sheet, o.row1, m_col);
    return errorValue("#VALUE!");
}

Operand Evaluator::operand(const Expression& e)
{
    Operand o;
    switch (e.kind) {
    case Expression::Kind::Constant: o.value = e.constant; break;
    case Expression::Kind::Missing: break;
    case Expression::Kind::Reference: case Expression::Kind::Area:
        o.isArea = true;
        o.sheet = e.sheet;
        o.row1 = e.row1; o.col1 = e.col1; o.row2 = e.row2; o.col2 = e.col2;
        break;
    case Expression::Kind::Unary: o.value = unary(e); break;
    case Expression::Kind::Binary: o.value = binary(e); break;
    case Expression::Kind::Function: o.value = callFunction(*this, e); break;
    }
    return o;
}

CellValue Evaluator::unary(const Expression& e)
{
    const CellValue v = scalar(operand(*e.args[0]));
    CellValue error;
    auto n = toNumber(v, error);
    if (!n)
        return error;
    if (e.name == QLatin1String("-")) return numberResult(-*n);
    if (e.name == QLatin1String("%")) return numberResult(*n / 100);
    return numberResult(*n);
}

CellValue Evaluator::binary(const Expression& e)
{
    const CellValue a = scalar(operand(*e.args[0]));
    const CellValue b = scalar(operand(*e.args[1]));
    if (a.type == Type::Error) return a;
    if (b.type == Type::Error) return b;
    const QString& op = e.name;
    if (op == QLatin1String("&")) {
        auto text = [](const CellValue& v) { return v.type == Type::Number ? numberText(v.number) : v.toText(); };
        return CellValue::fromText(text(a) + text(b));
    }
    if (op == QLatin1String("=") || op == QLatin1String("<>") || op == QLatin1String("<") || op == QLatin1String(">")
        || op == QLatin1String("<=") || op == QLatin1String(">=")) {
        const int c = compareValues(a, b);
        bool r = op == QLatin1String("=") ? c == 0 : op == QLatin1String("<>") ? c != 0 : op == QLatin1String("<") ? c < 0
            : op == QLatin1String(">") ? c > 0 : op == QLatin1String("<=") ? c <= 0 : c >= 0;
        CellValue v;
        v.type = Type::Bool;
        v.number = r ? 1 : 0;
        return v;
    }
    CellValue error;
    auto x = toNumber(a, error);
    if (!x) return error;
    auto y = toNumber(b, error);
    if (!y) return error;
    if (op == QLatin1String("+")) return numberResult(*x + *y);
    if (op == QLatin1String("-")) return numberResult(*x - *y);
    if (op == QLatin1String("*")) return numberResult(*x * *y);
    if (op == QLatin1String("/")) return *y == 0 ? errorValue("#DIV/0!") : numberResult(*x / *y);
    if (op == QLatin1String("^")) {
        if (*x == 0 && *y == 0) return errorValue("#NUM!");
        if (*x == 0 && *y < 0) return errorValue("#DIV/0!");
        return numberResult(std::pow(*x, *y));
    }
    throw NotUnderstood();
}

} // namespace workbook::calc
