// Other-month picker: the months of the list except the working month, used
// to copy or purge applications of another month.
#pragma once

#include <QDialog>

class QComboBox;

class OtherMonthPicker : public QDialog {
    Q_OBJECT
public:
    explicit OtherMonthPicker(QWidget* parent = nullptr);
    // Caption, list from "Luni.lst" without the working month, first item selected.
    void Prepare(const QString& title);
    // "&Am ales luna": refuses an empty choice with a hint, else closes with true.
    void acceptChoice();
    QComboBox* Luna;
};

// Shows the picker; true when a month was chosen, written to *month.
bool PickOtherMonth(const QString& title, QString* month, QWidget* parent = nullptr);
