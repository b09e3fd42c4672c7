// Dialog "Modificare Nr.luni": the new number of aid months (1 to 5) for the
// whole working month.
#pragma once

#include <QDialog>

class QLineEdit;

class AidMonthsDialog : public QDialog {
    Q_OBJECT
public:
    explicit AidMonthsDialog(QWidget* parent = nullptr);
    // "&Modifica" (also Enter in the field): refuses 0 or more than 5 with a
    // hint, else closes accepted.
    void confirm();
    int months() const;

    QLineEdit* monthsField;
};
