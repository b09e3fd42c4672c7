// The fields and the button row shared by the numbering and listing dialogs:
// application and decision numbers, dates, and the action / "Renunt" pair.
#pragma once

#include <QString>

#include <functional>

class QDate;
class QDateEdit;
class QDialog;
class QHBoxLayout;
class QLineEdit;
class QWidget;

// A field for a whole non-negative number of at most ten digits.
QLineEdit* NewNumberField(QWidget* parent, const QString& objectName, qint64 value);

// A date field shown as dd.MM.yyyy with a calendar to pick from, typed or
// pasted as a date is written (ui/common/DateInput.h).
QDateEdit* NewDateField(QWidget* parent, const QString& objectName, const QDate& value);

// The dialog's action button (the default one, calling action) beside
// "&Renunt" (object name "Cancel"), which rejects the dialog. In the dialog,
// Enter moves to the next input and, in the last one, presses the action
// (inputs made before this call).
QHBoxLayout* NewActionButtons(QDialog* dialog, const QString& caption, const QString& objectName,
                              const std::function<void()>& action);

// Makes the dialog at least as wide as its title needs in a window manager's
// title bar (the text in bold, the icon and the close button beside it), so
// that a small dialog's title is not cut ("Adaug... Luna").
void KeepTitleWhole(QDialog* dialog);
