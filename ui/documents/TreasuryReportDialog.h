// Dialog "Raport trezorerie": the payment date and the accounts (073, 074) of
// the treasury report; "Creaza Raport" asks for the selection and the folder
// and writes the outputs.
#pragma once

#include <QDialog>

class QCheckBox;
class QDateEdit;

class TreasuryReportDialog : public QDialog {
    Q_OBJECT
public:
    explicit TreasuryReportDialog(int monthSerial, QWidget* parent = nullptr);

    // "Creaza Raport": refuses when no account is ticked; asks the selection,
    // the folder and, when the output folder exists, whether to replace it;
    // writes the report, closes accepted and opens the folder. A refusal of
    // the report is shown and the dialog stays open.
    void createReport();

    QDateEdit* DataV;
    QCheckBox* Cont073;
    QCheckBox* Cont074;

private:
    int m_month;
};

// The main window's "Raport Trezorerie" after its settings check: shows the
// dialog for the working month's serial.
void ShowTreasuryReport(int monthSerial, QWidget* parent);
