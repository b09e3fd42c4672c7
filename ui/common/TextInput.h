// Input rules of the register's fields: upper or lower case as typed, numbers
// with a fixed count of digits, and Enter moving to the next input.
#pragma once

class QLineEdit;
class QWidget;

namespace hestavo {

void ForceUpperCase(QLineEdit* field);
void ForceLowerCase(QLineEdit* field);
// Up to `digits` integer digits and `decimals` fractional ones ("." separator).
void NumberInput(QLineEdit* field, int digits, int decimals = 0);
// Enter or Return in any input of the dialog (text, date, list, check box,
// a button that is not auto-default) moves the focus to the next input; only
// an auto-default push button (the dialog's own "Memoreaza", "Renunt") takes
// Enter as its click.
void EnterMovesToNextInput(QWidget* dialog);

} // namespace hestavo
