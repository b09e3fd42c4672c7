// The county variant of the AJPIS report: Annex 13 and Annexes 14 to 17 of
// the working month as workbooks, each with a CSV file of the same rows in
// plain upper-case ASCII, named after the UAT and a chosen payment month.
// The window command and hestavo-cli both call WriteCountyReport.
#pragma once

#include "register/AdminSettings.h"

#include <QList>
#include <QString>

#include <functional>

namespace hestavo {

// The month the report is named for: "Ianuarie" .. "Decembrie" and a year.
struct PaymentMonth {
    QString name;
    int year = 0;
};

// One annex written: the workbook in the output folder and its CSV in the CSV
// folder (full paths), the number of data rows and the sum of the annex's
// amount column (the monthly aid for Annex 13, the supplement for 14 to 17)
// with two decimals.
struct CountyAnnexFiles {
    int annex = 0;
    QString workbook;
    QString csv;
    int rows = 0;
    QString total;
};

struct CountyOutcome {
    QList<CountyAnnexFiles> written;
    QList<int> withoutData;   // annexes with no rows: neither workbook nor CSV
    QList<int> writtenEmpty;  // Annex 13 without rows: an empty list and a header-only CSV
    QString csvFolder;        // created only when some annex was written
};

// Receives the progress of a run: the text to show and whether the bar steps.
using CountyProgress = std::function<void(const QString& text, bool step)>;

// The CSV folder's name: the UAT name with the characters a folder name
// cannot hold replaced by "_", " AJUTOARE INCALZIRE ", the month name in
// upper case, a space and the year.
QString CountyCsvFolderName(const QString& uatName, const PaymentMonth& month);

// ExportError (heading "Raport AJPIS") unless the name is one of the twelve
// month names and the year lies within 2010 .. this year ("An incorect!").
void CheckPaymentMonth(const PaymentMonth& month);

// Writes the annexes of workingMonth (MM.YYYY) into outputFolder, an existing
// folder. Every file is built in the temporary folder first and moved in only
// after all annexes are complete, so a failure leaves no file of this run in
// outputFolder. Annex 13, the monthly return, is written even without rows
// (named in writtenEmpty); another annex without rows is left out and named
// in withoutData.
// Throws ExportError (heading "Raport AJPIS") for a payment month refused by
// CheckPaymentMonth, a missing template or an output that cannot be written;
// engine and workbook errors propagate with their own messages.
CountyOutcome WriteCountyReport(const QString& workingMonth, const PaymentMonth& month, const QString& outputFolder,
                                const AdminSettings& settings, const CountyProgress& progress = {});

// The closing note of a run with annexes without data ("" when every annex
// had rows).
QString WithoutDataNote(const CountyOutcome& outcome);

} // namespace hestavo
