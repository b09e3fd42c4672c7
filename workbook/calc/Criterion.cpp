#include "workbook/calc/Criterion.h"

#include <QRegularExpression>

namespace workbook::calc {

using Type = CellValue::Type;

Criterion::Criterion(const CellValue& condition)
{
    if (condition.type == Type::Empty) {
        m_value = CellValue::fromNumber(0);
    } else if (condition.type != Type::Text) {
        m_value = condition;
    } else {
        QString t = condition.text;
        for (const char* op : {"<=", ">=", "<>", "<", ">", "="}) {
            if (t.startsWith(QLatin1String(op))) {
                m_op = QLatin1String(op);
                t = t.mid(m_op.size());
                break;
            }
        }
        m_value = CellValue::fromText(t);
    }
    if (m_value.type == Type::Number) {
        m_number = m_value.number;
    } else if (m_value.type == Type::Text && !m_value.text.trimmed().isEmpty()) {
        bool ok = false;
        const double d = m_value.text.trimmed().toDouble(&ok);
        if (ok) m_number = d;
    }
}

bool Criterion::matchesText(const QString& text) const
{
    const QString& pattern = m_value.text;
    if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?')))
        return text.compare(QString(pattern).remove(QLatin1Char('~')), Qt::CaseInsensitive) == 0;
    QString re;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('~') && i + 1 < pattern.size()) re += QRegularExpression::escape(QString(pattern[++i]));
        else if (c == QLatin1Char('*')) re += QLatin1String(".*");
        else if (c == QLatin1Char('?')) re += QLatin1Char('.');
        else re += QRegularExpression::escape(QString(c));
    }
    QRegularExpression rx(QRegularExpression::anchoredPattern(re), QRegularExpression::CaseInsensitiveOption
                          | QRegularExpression::DotMatchesEverythingOption);
    return rx.match(text).hasMatch();
}

bool Criterion::matches(const CellValue& cell) const
{
    const bool equality = m_op == QLatin1String("=") || m_op == QLatin1String("<>");
    bool equal = false;
    if (m_value.type == Type::Text && m_value.text.isEmpty()) {
        // "=" finds empty cells, "<>" the others.
        equal = cell.type == Type::Empty || (cell.type == Type::Text && cell.text.isEmpty());
        return m_op == QLatin1String("<>") ? !equal : m_op == QLatin1String("=") && equal;
    }
    if (m_number && cell.type == Type::Number) {
        const double a = cell.number, b = *m_number;
        if (m_op == QLatin1String("=")) return a == b;
        if (m_op == QLatin1String("<>")) return a != b;
        if (m_op == QLatin1String("<")) return a < b;
        if (m_op == QLatin1String(">")) return a > b;
        if (m_op == QLatin1String("<=")) return a <= b;
        return a >= b;
    }
    if (m_value.type == Type::Bool && cell.type == Type::Bool)
        equal = cell.number == m_value.number;
    else if (m_value.type == Type::Text && cell.type == Type::Text && !m_number) {
        if (equality) {
            equal = matchesText(cell.text);
        } else {
            const int c = cell.text.compare(m_value.text, Qt::CaseInsensitive);
            if (m_op == QLatin1String("<")) return c < 0;
            if (m_op == QLatin1String(">")) return c > 0;
            if (m_op == QLatin1String("<=")) return c <= 0;
            return c >= 0;
        }
    } else if (m_value.type == Type::Error && cell.type == Type::Error) {
        equal = cell.text == m_value.text;
    }
    if (m_op == QLatin1String("<>")) return !equal;
    return m_op == QLatin1String("=") && equal;
}

} // namespace workbook::calc
