// The administration values every other part reads (the bracket table, the
// supplement amounts, the town hall), loaded once from the settings file, and
// the month's recalculation with them.
#pragma once

#include "register/AdminSettings.h"
#include "register/Recalculation.h"

#include <QString>

namespace hestavo {

// The administration values as last loaded from the settings file: read at
// the first use, then again whenever the administration window loads them
// (after every closing).
const AdminSettings& AdminValues();
void SetAdminValues(const AdminSettings& values);

// The aid and the bracket letter with the loaded bracket table.
int AidForIncome(int members, bool active, double totalIncome);
char BracketLetter(int amount);

// Recalculates month (MM.YYYY) with `now`; `before` are the values the
// settings file held before `now` was stored. Logs "Recalculare cereri.".
// No window: the progress goes to `progress` (may be null).
RecalcResult RecalculateAndLog(const QString& month, const AdminSettings& now, const AdminSettings& before,
                               WorkProgress* progress);

} // namespace hestavo
