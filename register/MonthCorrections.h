// Corrections over all applications of the working month: the application
// date of a range of numbers, the number of aid months, and setting or
// clearing the aid of the active applications. Each runs in one engine
// transaction and writes its audit-log row in it.
#pragma once

#include "register/AidCalculation.h"
#include "register/Recalculation.h"

#include <QDate>
#include <QString>

namespace hestavo {

// DATACERE = date for the month's applications numbered from..to (inclusive).
// Logs "Modificare Data Cereri.". Returns the rows changed.
int SetApplicationDate(const QString& workingMonth, qint64 from, qint64 to, const QDate& date);

// NR_LUNI = months on every row of the month; TOTAL = months x CUANTUM on the
// active rows with aid. Logs "Modificare Numar luni.". Returns the rows walked.
int ChangeAidMonths(const QString& workingMonth, int months, WorkProgress* progress);

// CUAJUT = "X" (on) or empty on the month's active rows, whose CUANTUM and
// TOTAL then follow the bracket table. Logs "Adaugare/Stergere ajutor.".
// Returns the rows changed.
int SetAid(const QString& workingMonth, bool on, const BracketTable& brackets, WorkProgress* progress);

} // namespace hestavo
