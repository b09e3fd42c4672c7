// Commands of the administration window kept apart from its widgets: the
// values every other part reads, the prerequisite check of the register and
// the reports, the bulk recalculation and the administrator password change.
#pragma once

#include "applications/AdminSettings.h"
#include "applications/Recalculation.h"

#include <QString>

class AdministrationWindow;

namespace hestavo {

// The administration values as last loaded from the settings file: read at
// the first use, then again whenever the administration window loads them
// (after every closing).
const AdminSettings& AdminValues();
void SetAdminValues(const AdminSettings& values);

// The aid and the bracket letter with the loaded bracket table.
int AidForIncome(int members, bool active, double totalIncome);
char BracketLetter(int amount);

// Working month chosen, authority name, county and fiscal code set; otherwise
// shows why (error "Raport AJPIS") and returns false.
bool SettingsComplete();

// Recalculates month (MM.YYYY) with `now`; `before` are the values the
// settings file held before `now` was stored. Logs "Recalculare cereri.".
// No window: the progress goes to `progress` (may be null).
RecalcResult RecalculateAndLog(const QString& month, const AdminSettings& now, const AdminSettings& before,
                               WorkProgress* progress);

// Recalculates the working month with `now`, after they were stored; `before`
// are the values the settings file held before. Refuses with an error when no
// month is chosen. Shows the progress window, logs, and reports success.
// Returns the walk's counts (empty when refused).
std::optional<RecalcResult> RecalculateWorkingMonth(const AdminSettings& now, const AdminSettings& before);

// The "&Recalculeaza cererile" command: stores the form's values without
// validation, then recalculates.
void RecalculeazaCommand(AdministrationWindow& form);

} // namespace hestavo
