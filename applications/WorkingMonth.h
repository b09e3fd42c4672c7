// The working month: setting VARIABILE/LUNA_LUCRU and the main window's label
// "LunaLucru", always changed together. Other commands read it from here.
#pragma once

#include <QString>

class QLabel;

namespace hestavo {

// The main window registers its label once; the label follows every change.
void BindWorkingMonthLabel(QLabel* label);
// The label's text (the setting when no label is bound); empty when no month.
QString WorkingMonthText();
// Writes the setting and the label.
void SetWorkingMonth(const QString& month);

} // namespace hestavo
