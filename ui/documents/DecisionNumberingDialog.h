// Dialog "Numerotare Dispozitii": decision numbers and their date for an
// interval of the working month's applications. The date and the choices are
// kept between openings while the program runs; the numbers start at 0.
#pragma once

#include "register/Numbering.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;

class DecisionNumberingDialog : public QDialog {
    Q_OBJECT
public:
    explicit DecisionNumberingDialog(QWidget* parent = nullptr);
    ~DecisionNumberingDialog() override;

    // What the fields hold now.
    hestavo::DecisionNumbering input() const;
    // "&Numeroteaza": a hint at the field in question, or the numbering,
    // its message and the dialog closed.
    void numberThem();

    QLineEdit* fromNumber;
    QLineEdit* toNumber;
    QLineEdit* firstNumber;
    QDateEdit* date;
    QComboBox* selection;
    QCheckBox* sameNumber;
    QCheckBox* clearOthers;
};
