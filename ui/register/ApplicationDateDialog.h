// Dialog "Cereri": the application date to put on a range of application
// numbers of the working month.
#pragma once

#include <QDialog>

class QDateEdit;
class QLineEdit;

class ApplicationDateDialog : public QDialog {
    Q_OBJECT
public:
    explicit ApplicationDateDialog(QWidget* parent = nullptr);
    // Both numbers 0, the date today.
    void reset();
    // "&Pune Data": refuses a zero number or a reversed range with a hint;
    // otherwise sets the date, reports it and closes.
    void putDate();

    QLineEdit* fromNumber;
    QLineEdit* toNumber;
    QDateEdit* date;
};
