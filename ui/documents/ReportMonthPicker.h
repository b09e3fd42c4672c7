// Report month picker: a payment month (heating season or the twelve months)
// and, when asked, its year. Created once per run; keeps the last choice.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

class ReportMonthPicker : public QDialog {
    Q_OBJECT
public:
    explicit ReportMonthPicker(QWidget* parent = nullptr);
    // Shows the year only when showYear, the twelve-month list when twelveMonths.
    void Prepare(bool showYear, bool twelveMonths);
    // "Am ales": with the year shown, refuses a year outside 2010 .. this year.
    void acceptChoice();

    // The heating-season month as two digits ("11", "12", "01", "02", "03").
    QString SeasonMonthNumber() const;
    // The twelve-month list's choice ("Ianuarie" ...).
    QString CalendarMonthName() const;
    QString YearText() const;

    QComboBox* Sezon;
    QComboBox* Luni12;
    QLabel* AnulLabel;
    QLineEdit* Anul;
};

// The picker of this run.
ReportMonthPicker& SelLuna();
// Shows it; true when confirmed. The caller reads the choice from SelLuna().
bool PickReportMonth(bool showYear, bool twelveMonths);
