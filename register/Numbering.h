// The numbering of the working month's applications: decision numbers with
// their date (NR_DISP, DATADISP) and report numbers (NR_REF), given over an
// interval of application numbers. Each numbering runs in one engine
// transaction, so a failure leaves every number as it was, and writes its
// audit-log row in it. Throws engine::Error.
#pragma once

#include "register/Recalculation.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace hestavo {

// The choice "Numeroteaza doar cererile", in the order of its list.
enum class DecisionSelection { All, Approved, ApprovedWithChange, Changed, Ended, Refused };
QStringList DecisionSelectionCaptions();

struct DecisionNumbering {
    qint64 from = 0;        // first application number (NR_CERE)
    qint64 to = 0;          // last application number
    qint64 first = 0;       // first decision number
    QDate date;             // decision date
    DecisionSelection selection = DecisionSelection::All;
    bool sameNumber = false;   // every selected application gets the number `first`
    bool clearOthers = false;  // clear every decision number of the month first
};

// Which field a refusal points at (0, 1, 2: from, to, first) and its text;
// field -1 when the input is acceptable.
struct NumberingProblem {
    int field = -1;
    QString text;
};
NumberingProblem CheckDecisionNumbering(const DecisionNumbering& n);

// Numbers the month's selected applications in NR_CERE order. Logs
// "Numerotare Dispozitii.". Returns the applications numbered.
int NumberDecisions(const QString& workingMonth, const DecisionNumbering& n, WorkProgress* progress);

// The closing message of a decision numbering that numbered `count`
// applications: "Au fost numerotate 112 dispozitii (2001–2112)."
QString DecisionNumberingSummary(int count, const DecisionNumbering& n);

struct ReportNumbering {
    qint64 from = 0;
    qint64 to = 0;
    bool sameAsApplication = false;  // NR_REF = NR_CERE on every approved application of the month
    qint64 first = 0;                // otherwise the first report number
};
// Field 0 (from) or 2 (first) with its text; -1 when acceptable.
NumberingProblem CheckReportNumbering(const ReportNumbering& n);

// Numbers the approved applications' reports. Logs "Numerotare Referate.".
// Returns the applications numbered.
int NumberReports(const QString& workingMonth, const ReportNumbering& n, WorkProgress* progress);

// The closing message of a report numbering that numbered `count` applications.
QString ReportNumberingSummary(int count, const ReportNumbering& n);

} // namespace hestavo
