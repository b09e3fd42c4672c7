// Dialog "Dispozitie Unica": the number of the single decision to list, the
// date from which the aid is granted (kept between openings) and the texts
// of the period, the payment date and the tribunal (stored when confirmed).
#pragma once

#include "register/SingleDecision.h"

#include <QDialog>

class QDateEdit;
class QLineEdit;

class SingleDecisionDialog : public QDialog {
    Q_OBJECT
public:
    explicit SingleDecisionDialog(QWidget* parent = nullptr);
    ~SingleDecisionDialog() override;

    hestavo::SingleDecisionChoice choice() const;
    // "&Listeaza": a hint for a missing number, otherwise the texts are
    // stored and the dialog confirmed.
    void confirm();

    QLineEdit* number;
    QDateEdit* start;
    QLineEdit* period;
    QLineEdit* paymentDate;
    QLineEdit* tribunal;
};

// The menu command: the dialog, then the workbook written to a fresh
// temporary file and opened for the user.
void ListSingleDecision(QWidget* parent);
