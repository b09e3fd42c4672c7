// Dialog "Listare Dispozitii": the interval of decision numbers to list and
// the date from which the aid is granted (kept between openings).
#pragma once

#include "register/DecisionList.h"

#include <QDialog>

class QDateEdit;
class QLineEdit;

class DecisionListDialog : public QDialog {
    Q_OBJECT
public:
    explicit DecisionListDialog(QWidget* parent = nullptr);
    ~DecisionListDialog() override;

    // "&Listeaza": a hint for a reversed interval, otherwise confirmed.
    void confirm();

    QLineEdit* fromNumber;
    QLineEdit* toNumber;
    QDateEdit* aidStart;
};

// The menu command of one status: the dialog, then the document written to a
// free "Dispozitie<k>.rtf" of the temporary folder and opened for the user.
void ListDecisionsOfStatus(const QString& status, QWidget* parent);
