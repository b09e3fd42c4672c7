// The reports to the mayor ("referate") proposing the aid of the approved
// applications of the working month whose report numbers lie in a range: one
// RTF document, one report per page, in application-number order.
#pragma once

#include "register/AdminSettings.h"

#include <QDate>
#include <QString>

namespace hestavo {

struct ReportListing {
    qint64 from = 0;   // report numbers (NR_REF)
    qint64 to = 0;
    QDate date;        // "Data referatelor"
};

// The date the report dialog starts with at the first use in a run: today.
QDate DefaultReportDate();

// Writes the reports to `output` and returns how many. Throws DocumentRefusal,
// writing nothing, when no report qualifies, the template is missing or the
// output cannot be written.
int WriteReports(const QString& workingMonth, const ReportListing& listing, const AdminSettings& settings,
                 const QString& output);

} // namespace hestavo
