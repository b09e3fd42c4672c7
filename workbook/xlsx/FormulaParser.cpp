#include "workbook/xlsx/FormulaParser.h"

#include "workbook/xlsx/FormulaText.h"

#include <QRegularExpression>

namespace workbook::xlsx {

namespace {

using calc::Expression;
using calc::ExpressionPtr;

struct Failed {};

class Parser {
public:
    Parser(const QString& text, const FormulaContext& context) : m_s(text), m_ctx(context) {}

    ExpressionPtr parse()
    {
        skipSpaces();
        if (peek(QLatin1String("=")) ) ++m_i;
        ExpressionPtr e = comparison();
        skipSpaces();
        if (m_i != m_s.size()) throw Failed();
        return e;
    }

private:
    void skipSpaces() { while (m_i < m_s.size() && m_s[m_i].isSpace()) ++m_i; }
    bool peek(QLatin1String t) const { return QStringView(m_s).mid(m_i).startsWith(t); }
    bool take(QLatin1String t)
    {
        skipSpaces();
        if (!peek(t)) return false;
        m_i += t.size();
        return true;
    }

    ExpressionPtr comparison()
    {
        ExpressionPtr left = concatenation();
        for (;;) {
            QString op;
            for (const char* o : {"<=", ">=", "<>", "=", "<", ">"})
                if (take(QLatin1String(o))) { op = QLatin1String(o); break; }
            if (op.isEmpty()) return left;
            left = Expression::binary(op, left, concatenation());
        }
    }
    ExpressionPtr concatenation()
    {
        ExpressionPtr left = additive();
        while (take(QLatin1String("&"))) left = Expression::binary(QStringLiteral("&"), left, additive());
        return left;
    }
    ExpressionPtr additive()
    {
        ExpressionPtr left = multiplicative();
        for (;;) {
            if (take(QLatin1String("+"))) left = Expression::binary(QStringLiteral("+"), left, multiplicative());
            else if (take(QLatin1String("-"))) left = Expression::binary(QStringLiteral("-"), left, multiplicative());
            else return left;
        }
    }
    ExpressionPtr multiplicative()
    {
        ExpressionPtr left = power();
        for (;;) {
            if (take(QLatin1String("*"))) left = Expression::binary(QStringLiteral("*"), left, power());
            else if (take(QLatin1String("/"))) left = Expression::binary(QStringLiteral("/"), left, power());
            else return left;
        }
    }
    ExpressionPtr power()
    {
        ExpressionPtr left = percent();
        while (take(QLatin1String("^"))) left = Expression::binary(QStringLiteral("^"), left, percent());
        return left;
    }
    ExpressionPtr percent()
    {
        ExpressionPtr e = unary();
        while (take(QLatin1String("%"))) e = Expression::unary(QStringLiteral("%"), e);
        return e;
    }
    ExpressionPtr unary()
    {
        if (take(QLatin1String("-"))) return Expression::unary(QStringLiteral("-"), unary());
        if (take(QLatin1String("+"))) return unary();
        return primary();
    }

    ExpressionPtr primary()
    {
        skipSpaces();
        if (m_i >= m_s.size()) throw Failed();
        const QChar c = m_s[m_i];
        if (c == QLatin1Char('(')) {
            ++m_i;
            ExpressionPtr e = comparison();
            if (!take(QLatin1String(")"))) throw Failed();
            return e;
        }
        if (c == QLatin1Char('"')) return stringLiteral();
        if (c == QLatin1Char('#')) return errorLiteral();
        if (c.isDigit() || c == QLatin1Char('.')) {
            if (ExpressionPtr r = reference()) return r;   // a row range such as 3:5
            return number();
        }
        if (c == QLatin1Char('{') || c == QLatin1Char('[')) throw Failed();   // arrays, external books
        if (ExpressionPtr r = reference()) return r;
        return identifier();
    }

    ExpressionPtr stringLiteral()
    {
        QString text;
        ++m_i;
        for (;;) {
            if (m_i >= m_s.size()) throw Failed();
            if (m_s[m_i] == QLatin1Char('"')) {
                if (m_i + 1 < m_s.size() && m_s[m_i + 1] == QLatin1Char('"')) { text += QLatin1Char('"'); m_i += 2; continue; }
                ++m_i;
                break;
            }
            text += m_s[m_i++];
        }
        return Expression::constantOf(CellValue::fromText(text));
    }

    ExpressionPtr errorLiteral()
    {
        for (const char* e : {"#DIV/0!", "#N/A", "#NAME?", "#NULL!", "#NUM!", "#REF!", "#VALUE!"}) {
            if (peek(QLatin1String(e))) {
                m_i += qsizetype(strlen(e));
                return Expression::constantOf(calc::errorValue(e));
            }
        }
        throw Failed();
    }

    ExpressionPtr number()
    {
        static const QRegularExpression re(QStringLiteral("\\d*\\.?\\d+(?:[eE][+-]?\\d+)?|\\d+\\.?"));
        auto m = re.match(m_s, m_i, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) throw Failed();
        m_i = m.capturedEnd(0);
        return Expression::constantOf(CellValue::fromNumber(m.captured(0).toDouble()));
    }

    // [sheet!]A1[:B2], [sheet!]A:B, [sheet!]1:2 at the current position; null
    // (position kept) when the text there is not a reference.
    ExpressionPtr reference()
    {
        static const QRegularExpression re(QStringLiteral(
            "(?:'((?:[^']|'')+)'!|([A-Za-z_][A-Za-z0-9_.]*)!)?"
            "(?:(\\$?[A-Za-z]{1,3}\\$?\\d+)(?::(\\$?[A-Za-z]{1,3}\\$?\\d+))?"
            "|(\\$?[A-Za-z]{1,3}):(\\$?[A-Za-z]{1,3})|(\\$?\\d+):(\\$?\\d+))"
            "(?![A-Za-z0-9_.(!])"));
        auto m = re.match(m_s, m_i, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) return nullptr;
        int sheet = m_ctx.sheet;
        QString sheetName = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1).replace(QLatin1String("''"), QLatin1String("'"));
        if (!sheetName.isEmpty()) {
            sheet = m_ctx.sheetIndex ? m_ctx.sheetIndex(sheetName) : -1;
            if (sheet < 0) throw Failed();
        }
        auto clean = [](QString s) { return s.remove(QLatin1Char('$')).toUpper(); };
        ExpressionPtr out;
        if (!m.captured(3).isEmpty()) {
            int r1, c1;
            if (!parseCellRef(clean(m.captured(3)), r1, c1)) return nullptr;
            if (m.captured(4).isEmpty()) {
                out = Expression::reference(sheet, r1, c1);
            } else {
                int r2, c2;
                if (!parseCellRef(clean(m.captured(4)), r2, c2)) return nullptr;
                out = Expression::area(sheet, r1, c1, r2, c2);
            }
        } else if (!m.captured(5).isEmpty()) {
            int r, c1, c2;
            if (!parseCellRef(clean(m.captured(5)) + QLatin1Char('1'), r, c1)
                || !parseCellRef(clean(m.captured(6)) + QLatin1Char('1'), r, c2))
                return nullptr;
            out = Expression::area(sheet, 0, c1, MaxRow, c2);
        } else {
            const int r1 = clean(m.captured(7)).toInt() - 1, r2 = clean(m.captured(8)).toInt() - 1;
            if (r1 < 0 || r2 < 0) return nullptr;
            out = Expression::area(sheet, r1, 0, r2, 16383);
        }
        m_i = m.capturedEnd(0);
        return out;
    }

    ExpressionPtr identifier()
    {
        static const QRegularExpression re(QStringLiteral("[A-Za-z_\\\\][A-Za-z0-9_.]*"));
        auto m = re.match(m_s, m_i, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) throw Failed();
        const QString word = m.captured(0);
        m_i = m.capturedEnd(0);
        if (take(QLatin1String("("))) return call(word.toUpper());
        const QString upper = word.toUpper();
        if (upper == QLatin1String("TRUE") || upper == QLatin1String("FALSE")) {
            CellValue v;
            v.type = CellValue::Type::Bool;
            v.number = upper == QLatin1String("TRUE") ? 1 : 0;
            return Expression::constantOf(v);
        }
        ExpressionPtr named = m_ctx.name ? m_ctx.name(word, m_ctx.sheet) : nullptr;
        if (!named) throw Failed();
        return named;
    }

    ExpressionPtr call(const QString& name)
    {
        if (!calc::isKnownFunction(name)) throw Failed();
        std::vector<ExpressionPtr> args;
        skipSpaces();
        if (take(QLatin1String(")"))) return Expression::function(name, std::move(args));
        for (;;) {
            skipSpaces();
            if (peek(QLatin1String(",")) || peek(QLatin1String(")"))) args.push_back(Expression::missing());
            else args.push_back(comparison());
            if (take(QLatin1String(","))) continue;
            if (take(QLatin1String(")"))) break;
            throw Failed();
        }
        return Expression::function(name, std::move(args));
    }

    const QString& m_s;
    const FormulaContext& m_ctx;
    qsizetype m_i = 0;
};

} // namespace

calc::ExpressionPtr parseFormula(const QString& text, const FormulaContext& context)
{
    try {
        return Parser(text, context).parse();
    } catch (const Failed&) {
        return nullptr;
    }
}

} // namespace workbook::xlsx
