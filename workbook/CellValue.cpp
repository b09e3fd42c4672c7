#include "workbook/CellValue.h"

#include <algorithm>

#include <cmath>

namespace workbook {

QString generalNumber(double d)
{
    if (!std::isfinite(d))
        return QStringLiteral("0");
    if (d == std::floor(d) && std::fabs(d) < 1e15)
        return QString::number(qint64(d));
    QString s = QString::number(d, 'f', 10);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

QString CellValue::toText() const
{
    switch (type) {
    case Type::Empty: return QString();
    case Type::Text: return text;
    case Type::Number: return generalNumber(number);
    case Type::Bool: return number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Type::Error: return text;
    }
    return QString();
}

bool formatIsDate(const QString& f)
{
    bool quoted = false;
    int bracket = 0;
    for (int i = 0; i < f.size(); ++i) {
        QChar c = f.at(i);
        if (c == QLatin1Char('"')) quoted = !quoted;
        else if (quoted) continue;
        else if (c == QLatin1Char('\\')) ++i;
        else if (c == QLatin1Char('[')) ++bracket;
        else if (c == QLatin1Char(']')) bracket = std::max(0, bracket - 1);
        else if (bracket == 0 && QStringLiteral("dmyhsDMYHS").contains(c)) return true;
    }
    return false;
}

} // namespace workbook
