// The acceptance checks of an application ("Memoreaza" in the editor, and
// "application add" on the command line): every field within what its column
// holds, the required fields, the register's duplicates and whether an active
// application qualifies for aid. One list, in the order the editor asks, so
// that the window and the command line refuse the same things.
#pragma once

#include "data/MessageTypes.h"
#include "register/ApplicationRecord.h"

#include <vector>

namespace hestavo {

// The input of the editor a problem is about, where the editor puts its hint.
enum class ApplicationField {
    Cnp, Number, Date, StartYear, Period, Applicant, Locality, Address, Members, Income,
    Status, Reason, Children, Occupation
};

struct ApplicationProblem {
    QString text;
    ApplicationField field = ApplicationField::Cnp;
    // Not empty: a question put after the text ("Continuam asa?"), to which
    // the clerk may answer "Da" and go on; empty: a refusal.
    QString question;
    QString title;            // the question's caption
    int kind = kKindWarning;  // of the question's message box
    // A refusal that is first announced in a message box of its own.
    QString announcement;
    // The question's buttons: its "Da" lets the failed check pass, so "Nu"
    // is the default.
    int buttons = kOverrideQuestion;

    bool isQuestion() const { return !question.isEmpty(); }
};

// The statuses an application may have; INCETAT and RESPINS need a reason.
const QStringList& ApplicationStatuses();
bool StatusNeedsReason(const QString& status);

// The problems of the application as the register would store it, in order.
// month: the working-month serial (0 when the working month is not a month);
// self: the NRCRT being modified, -1 for a new application. The record's text
// fields are taken as they are (CleanText is the caller's). Reads the register
// (throws engine::Error).
std::vector<ApplicationProblem> CheckApplication(const ApplicationRecord& r, int month, qint64 self);

// The longest text and the largest amount the Cereri columns hold, for the
// editor's input limits.
int ApplicationTextWidth(const char* column);
int ApplicationIntegerDigits(const char* column);

} // namespace hestavo
