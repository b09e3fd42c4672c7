// Rules and data work behind the working-month windows: which years the month
// dialogs accept, the heating-season month numbers, and deleting a month with
// all its applications and their household members.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace engine { class Database; }

namespace hestavo {

// Year of a month added to the list: 2006 .. next year.
bool IsAcceptedNewMonthYear(int year, int currentYear);
// Year of a report month: 2010 .. this year.
bool IsAcceptedReportYear(int year, int currentYear);

// "Noiembrie" .. "Martie", and "Ianuarie" .. "Decembrie".
const QStringList& HeatingSeasonMonths();
const QStringList& CalendarMonths();
// Two-digit month number of an item of the heating-season list: item 0 is
// "11", item 1 "12", item i >= 2 is i - 1 ("01", "02", "03").
QString HeatingSeasonMonthNumber(int item);

// Deletes the household members of the month's applications, then the
// applications, in one transaction: on an engine error (rethrown) nothing is
// deleted, so members never outlive their application.
void DeleteMonthData(engine::Database& db, const std::string& cereriPath, const std::string& oameniPath,
                     int monthSerial);

} // namespace hestavo
