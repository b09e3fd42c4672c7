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
// Enter or Return in any input of the dialog moves the focus to the next
// input; buttons keep their own Enter.
void EnterMovesToNextInput(QWidget* dialog);

} // namespace hestavo
