// Input rules of the register's fields: upper or lower case as typed, numbers
// with a fixed count of digits, amounts with the decimal comma, and Enter
// moving to the next input.
#pragma once

class QLineEdit;
class QWidget;

namespace hestavo {

void ForceUpperCase(QLineEdit* field);
void ForceLowerCase(QLineEdit* field);
// Whole numbers of up to `digits` digits.
void NumberInput(QLineEdit* field, int digits);
// A money field: up to `digits` integer digits and two decimals after one
// separator, "," or "." (a second one is refused). Read it with parseAmount,
// fill it with formatAmount (data/Settings.h).
void MoneyInput(QLineEdit* field, int digits);

// Enter or Return in any input of the dialog (text, date, list, check box,
// a button that is not auto-default) moves the focus to the next input; only
// an auto-default push button (the dialog's own "Memoreaza", "Renunt") takes
// Enter as its click. With Acts, Enter in the last input before the buttons
// presses the dialog's default button (the small dialogs' action); with
// MovesOn it moves on to the buttons (the editor saves only on its button).
// Inputs added after the call keep their own Enter (a grid's edits).
enum class EnterOnLastInput { MovesOn, Acts };
void EnterMovesToNextInput(QWidget* dialog, EnterOnLastInput last = EnterOnLastInput::MovesOn);

} // namespace hestavo
