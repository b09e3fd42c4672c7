// Moving whole sets of applications between working months: copying the
// active applications of another month (with their members, under new keys)
// into the working month, and purging the working month's applications whose
// CNP also occurs in another month. Each runs in one engine transaction.
#pragma once

#include "register/Recalculation.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace hestavo {

// Heating-season months left from the working month's month number (its first
// two characters, 11 when they are not a number): 10, 11 give 5; 12 gives 4;
// 1 gives 3; 2 gives 2; 3 gives 1; any other 0.
int SeasonMonthsLeft(const QString& workingMonth);

// Thrown, before anything changes, when a copy or a purge is asked with a
// month that is not a month (serial 0) or with the working month itself as the
// other month: a purge against itself would delete the whole month.
class MonthTransferRefusal : public std::runtime_error {
public:
    explicit MonthTransferRefusal(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct CopyOutcome {
    int applications = 0;       // rows copied into Cereri
    int members = 0;            // rows copied into Oameni
    QStringList duplicates;     // "TITULAR CNP: cnp" of source rows already in the month; nothing copied then
};

// Copies the applications of sourceMonth whose status is neither "INCETAT"
// nor "RESPINS" into workingMonth, their members with them. Keys come from
// NextKey with a count (one block for the applications, one for the members,
// in the source's order). The copies lose their aid (CUAJUT empty, CUANTUM
// and TOTAL 0) and get NR_LUNI = SeasonMonthsLeft. When any copied CNP is
// already in the working month nothing is copied and the duplicates are
// returned. Logs the copy when it happened. Throws MonthTransferRefusal or
// engine::Error, leaving the tables as they were.
CopyOutcome CopyFromOtherMonth(const QString& sourceMonth, const QString& workingMonth, WorkProgress* progress);

// Writes the duplicates' list of a refused copy to a fresh temporary text file
// and returns its path.
QString WriteDuplicateList(const QString& workingMonth, const QStringList& duplicates);

// What a copy or a purge would take, before it is asked, without changing
// anything: the applications CopyFromOtherMonth would copy (duplicates
// included), and those PurgeAgainstMonth would delete. Throw as they do.
int CountCopyFromOtherMonth(const QString& sourceMonth, const QString& workingMonth);
int CountPurgeAgainstMonth(const QString& otherMonth, const QString& workingMonth);

// Deletes the working month's applications whose CNP occurs in otherMonth,
// then every member row whose application no longer exists. Logs the purge.
// Returns the number of applications deleted. Throws MonthTransferRefusal or
// engine::Error, leaving the tables as they were.
int PurgeAgainstMonth(const QString& otherMonth, const QString& workingMonth, WorkProgress* progress);

} // namespace hestavo
