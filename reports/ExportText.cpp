#include "reports/ExportText.h"

#include <cmath>

namespace hestavo {

NameParts SplitName(const QString& name)
{
    const qsizetype space = name.indexOf(QLatin1Char(' '));
    if (space < 0)
        return {QString(), name};
    return {name.left(space), name.mid(space + 1)};
}

long long RoundHalfEven(double value)
{
    // Amounts carry two decimals: taken to whole cents first, so binary noise
    // (2.4999999999) does not move a tie; std::nearbyint sends ties to even.
    const double r = std::round(value * 100) / 100;
    return static_cast<long long>(std::nearbyint(r));
}

QString GeneralNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

} // namespace hestavo
