// Dialog "Referate": report numbers for the approved applications of an
// interval, either the application's own number or numbers from a first one.
// Its numbers are kept between openings while the program runs.
#pragma once

#include "register/Numbering.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

class ReportNumberingDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportNumberingDialog(QWidget* parent = nullptr);
    ~ReportNumberingDialog() override;

    hestavo::ReportNumbering input() const;
    // "&Numeroteaza": a hint at the field in question, or the dialog closes
    // as confirmed.
    void confirm();

    QLineEdit* fromNumber;
    QLineEdit* toNumber;
    QRadioButton* sameAsApplication;
    QRadioButton* fromFirst;
    QLineEdit* firstNumber;
};

// The report numbering with its progress window and closing message; false
// when it failed (the error has been shown).
bool RunReportNumbering(const hestavo::ReportNumbering& n);
