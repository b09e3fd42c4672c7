// Dialog "Rapoarte": the reported period of the AJPIS report, two dates of
// which only the month and year count. It proposes the current heating
// season (1 November to 31 March) and keeps the last dates for the rest of
// the run.
#pragma once

#include <QDate>
#include <QDialog>

#include <utility>

class QDateEdit;

class PeriodDialog : public QDialog {
    Q_OBJECT
public:
    explicit PeriodDialog(QWidget* parent = nullptr);
    ~PeriodDialog() override;

    // The heating season of the day: from 1 November of the previous year
    // (January to September) or of the same year (October to December) to
    // 31 March of the year after that November.
    static std::pair<QDate, QDate> ProposedPeriod(const QDate& today);

    // "&Am ales": refused with a balloon at the second date when it precedes
    // the first, otherwise confirmed.
    void confirm();
    QDate from() const;
    QDate to() const;

    QDateEdit* Data0;
    QDateEdit* Data1;

protected:
};

// Shows the dialog; true with the chosen dates, false when cancelled.
bool ChoosePeriod(QWidget* parent, QDate* from, QDate* to);
