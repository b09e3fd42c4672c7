// The persons dBase file of the working month: every member of every
// application of the month, whatever its status, one row per person and
// application, with "Lemne " + relation (the one that sorts last).
#pragma once

#include <QString>

namespace hestavo {

// Writes the table to path; an existing file is replaced only once the new
// table is complete. ExportError "Fisierul ales este in utilizare!" when the
// existing file cannot be replaced. Returns the number of rows written.
int ExportPersonsDbf(const QString& workingMonth, const QString& path);

} // namespace hestavo
