#include "register/WorkingMonths.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "engine/Database.h"

namespace hestavo {

bool IsAcceptedNewMonthYear(int year, int currentYear)
{
    return year >= 2006 && year <= currentYear + 1;
}

bool IsAcceptedReportYear(int year, int currentYear)
{
    return year >= 2010 && year <= currentYear;
}

const QStringList& HeatingSeasonMonths()
{
    static const QStringList list{"Noiembrie", "Decembrie", "Ianuarie", "Februarie", "Martie"};
    return list;
}

const QStringList& CalendarMonths()
{
    static const QStringList list{"Ianuarie", "Februarie", "Martie",     "Aprilie",   "Mai",       "Iunie",
                                  "Iulie",    "August",    "Septembrie", "Octombrie", "Noiembrie", "Decembrie"};
    return list;
}

QString HeatingSeasonMonthNumber(int item)
{
    const int month = item == 0 ? 11 : item == 1 ? 12 : item - 1;
    return QString::number(month).rightJustified(2, u'0');
}

void DeleteMonthData(engine::Database& db, const std::string& cereriPath, const std::string& oameniPath,
                     int monthSerial)
{
    const std::string serial = std::to_string(monthSerial);
    const std::string cereri = "\"" + cereriPath + "\"";
    const std::string oameni = "\"" + oameniPath + "\"";
    engine::Transaction transaction = db.beginTransaction();
    db.exec("DELETE FROM " + oameni + " WHERE NRCRT IN (SELECT NRCRT FROM " + cereri + " WHERE LUNACRT=" + serial
            + ")");
    db.exec("DELETE FROM " + cereri + " WHERE LUNACRT=" + serial);
    transaction.commit();
}

} // namespace hestavo
