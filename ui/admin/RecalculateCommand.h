// "&Recalculeaza cererile" of the administration window: the working month
// recalculated with the progress window and the program's messages.
#pragma once

#include "register/AdminValues.h"

#include <optional>

namespace hestavo {

// Recalculates the working month with `now`, after they were stored; `before`
// are the values the settings file held before. Refuses with an error when no
// month is chosen. Shows the progress window, logs, and reports success.
// Returns the walk's counts (empty when refused).
std::optional<RecalcResult> RecalculateWorkingMonth(const AdminSettings& now, const AdminSettings& before);

// The command: stores the values of the administration window's fields
// without validation, then recalculates.
void RecalculeazaCommand(const AdminSettings& formValues);

} // namespace hestavo
