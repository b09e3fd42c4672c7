#include "register/MonthList.h"

#include "data/Db.h"
#include "data/Months.h"
#include "register/WorkingMonth.h"
#include "register/WorkingMonths.h"

#include <QRegularExpression>

namespace hestavo {

std::optional<QString> AddMonthRefusal(const QStringList& months, const QString& month, int currentYear)
{
    static const QRegularExpression form(QStringLiteral("^(0[1-9]|1[0-2])\\.([0-9]{4})$"));
    const QRegularExpressionMatch m = form.match(month);
    if (!m.hasMatch() || !IsAcceptedNewMonthYear(m.captured(2).toInt(), currentYear))
        return QStringLiteral("Anul este scris gresit!");
    if (months.contains(month))
        return QStringLiteral("Luna aleasa exista deja!");
    return std::nullopt;
}

void AddStoredMonth(const QString& month)
{
    QStringList months = ReadMonthList();
    months.prepend(month);
    WriteMonthList(months);
    SetWorkingMonth(month);
}

QStringList DeleteMonth(const QStringList& months, const QString& month)
{
    if (const int serial = MonthToSerial(month); serial > 0)
        DeleteMonthData(Db(), tableFile(QStringLiteral("Cereri.dbf")).toStdString(),
                        tableFile(QStringLiteral("Oameni.dbf")).toStdString(), serial);
    QStringList left = months;
    left.removeAll(month);
    WriteMonthList(left);
    SetWorkingMonth(left.isEmpty() ? QString() : left.first());
    return left;
}

} // namespace hestavo
