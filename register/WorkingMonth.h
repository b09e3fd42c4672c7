// The working month: setting VARIABILE/LUNA_LUCRU and, while the program runs
// with its main window, the month shown there ("LunaLucru"), always changed
// together. Other commands read it from here.
#pragma once

#include <QString>

#include <functional>

namespace hestavo {

// Where this run shows its working month: read gives the month shown, write
// shows a new one. The main window binds its label once (ui/common's
// BindWorkingMonthLabel); an empty display unbinds it.
struct WorkingMonthDisplay {
    std::function<QString()> read;
    std::function<void(const QString&)> write;
};
void BindWorkingMonthDisplay(WorkingMonthDisplay display);

// The month shown (the setting when nothing is bound); empty when no month.
QString WorkingMonthText();

// Writes the setting and the display.
void SetWorkingMonth(const QString& month);

} // namespace hestavo
