// The mayor's separate decisions of one status (granting, changing, ending or
// refusing the aid) for a range of decision numbers of the working month: one
// RTF document, one decision per page, filled from the status's template in
// the data folder. Nothing in the database changes.
#pragma once

#include "register/AdminSettings.h"

#include <QDate>
#include <QString>

namespace hestavo {

struct DecisionListing {
    QString status;      // "APROBAT", "MODIFICAT", "INCETAT" or "RESPINS"
    qint64 from = 0;     // decision numbers; 0 to 0: the decisions not yet numbered
    qint64 to = 0;
    QDate aidStart;      // "Ajutorul se acorda incepand cu"
};

// The template file of a status ("Stabilire.rtf" ...); empty for another status.
QString DecisionTemplateFile(const QString& status);

// Writes the decisions to `output` in the numeric order of their numbers and
// returns how many were written. Throws DocumentRefusal, writing nothing, when
// no decision qualifies, the template is missing, or the output cannot be
// written or is held open by another program; engine::Error or
// documents::RTFError on a failure while reading or writing.
int WriteDecisions(const QString& workingMonth, const DecisionListing& listing, const AdminSettings& settings,
                   const QString& output);

} // namespace hestavo
