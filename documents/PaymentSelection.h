// Which approved applications the payment list and the treasury report take:
// one locality or all, and a range of initial letters of the applicant's
// name. The choices of the selection dialog, as conditions of a statement.
#pragma once

#include <QString>
#include <QStringList>

struct PaymentSelection {
    QString locality;          // empty: every locality
    QChar firstLetter = u'A';
    QChar lastLetter = u'Z';   // "Z": no upper bound
};

// The first item of the locality list, standing for every locality.
inline const char* const kAllLocalities = "* toate localitatile *";

// A B C ... Z without Q, W, X and Y: the letters the dialog offers.
const QStringList& SelectionLetters();

// " AND LOCALIT=..." (when a locality is chosen) " AND TITULAR>=..." and, unless
// the last letter is "Z", " AND TITULAR<=..." with "ZZ" appended to it.
QString SelectionConditions(const PaymentSelection& selection);

// A double-quoted text literal of a statement; a double quote inside becomes
// a space (the dialect has no escape for it).
QString QuotedLiteral(const QString& text);

// The status condition of the applications that receive aid.
inline const char* const kPaidStatuses = "(STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\")";

// Money of a two-decimal column as a count of hundredths (bani), summed
// exactly; and back to text with two decimals ("100.50").
qint64 ToCents(double amount);
QString CentsText(qint64 cents);
