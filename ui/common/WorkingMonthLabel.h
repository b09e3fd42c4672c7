// The main window's label "LunaLucru" as the display of the working month
// (register/WorkingMonth.h): it follows every change of the month, and its
// text is the month of this run.
#pragma once

class QLabel;

namespace hestavo {

// Binds the label (nullptr unbinds). Once the label is destroyed the
// working month is read from the setting again.
void BindWorkingMonthLabel(QLabel* label);

} // namespace hestavo
