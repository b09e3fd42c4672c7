// Dialog "Pachet lunar": the payment date and the treasury accounts of the
// monthly package; "Creaza Pachetul" asks for the folder, checks the month
// and writes the package with the progress window, offering the findings'
// list and "Continua oricum?" when something blocks, and closes with a
// message naming the folder that offers to open it.
#pragma once

#include "package/MonthlyPackage.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;

class MonthlyPackageDialog : public QDialog {
    Q_OBJECT
public:
    explicit MonthlyPackageDialog(QWidget* parent = nullptr);

    void createPackage();

    QDateEdit* DataV;
    QCheckBox* Cont073;
    QCheckBox* Cont074;

private:
    // Writes with the progress window; nullopt after an error was shown.
    std::optional<hestavo::PackageOutcome> run(const hestavo::PackageRequest& request);
    // The list of findings, then "Continua oricum?".
    bool continueDespiteFindings(const hestavo::PackageOutcome& outcome);
    bool continueDespiteDifferences(const hestavo::PackageOutcome& outcome);
    void close(const hestavo::PackageOutcome& outcome);
};

// The closing message of a written package: the folder, the count of files,
// the zip, and the offer "Deschide folderul?".
QString PackageClosingText(const hestavo::PackageOutcome& outcome);
// The question after the findings' list, naming how many block.
QString ContinueDespiteFindingsText(const hestavo::PackageOutcome& outcome);

// The main window's "Pachet lunar" after its settings check.
void ShowMonthlyPackage(QWidget* parent);
