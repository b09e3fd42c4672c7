// Add-month dialog: a month number and a year, giving the text "MM.YYYY".
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

class AddMonthDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddMonthDialog(QWidget* parent = nullptr);
    // Shows the dialog; the month text, or empty text when cancelled.
    static QString Run(QWidget* parent = nullptr);
    QString Result() const { return m_result; }
    QComboBox* Luna;
    QLineEdit* Anul;

private:
    void addMonth();
    QString m_result;
};
