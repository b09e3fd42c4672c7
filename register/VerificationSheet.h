// The field verification sheet of an application: who was verified, when the
// application was made, the period the verification covers and the operator
// who made it, filled from the data folder's "FisaV.rtf" into a file of the
// caller's choice (the register takes a fresh temporary one each time).
#pragma once

#include "register/AdminSettings.h"

#include <QDate>
#include <QString>

namespace hestavo {

struct VerificationSheetInput {
    qint64 application = 0;   // NRCRT
    QDate from;               // the period verified
    QDate to;
};

// "dd.MM.yyyy - dd.MM.yyyy".
QString VerificationPeriod(const QDate& from, const QDate& to);

// The date of the application (the start the period dialog offers); an
// invalid date when it has none. Throws DocumentRefusal when the application
// is no longer in the register.
QDate ApplicationDate(qint64 application);

// Writes the sheet to `output`. Throws DocumentRefusal, writing nothing, when
// the application is gone, the template is missing or the output cannot be
// written.
void WriteVerificationSheet(const VerificationSheetInput& input, const AdminSettings& settings, const QDate& today,
                            const QString& output);

} // namespace hestavo
