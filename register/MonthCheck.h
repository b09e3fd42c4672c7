// The check of a working month before its files go to the agencies: what the
// county agency, ANPIS, ANAF or the treasury would reject, and what would pay
// someone wrongly (blocking), and what a clerk should look at (warnings).
// Every rule reads the month's applications and their member rows once.
//
// Blocking:
//   "CNP incorect"             a holder's or member's CNP fails the CNP rule
//                              (an empty one included)
//   "CNP in doua cereri"       one CNP, as holder or member, in two applications
//                              of the month
//   "Ajutor fara dispozitie"   TOTAL > 0 with an empty NR_DISP or no DATADISP
//   "Venit peste plafon"       TOTAL > 0 while the income per member gives no aid
//                              for its household size in the bracket table
//   "Contract in doua cereri"  the same gas or electricity client code (with
//                              its supplier), or the same consumption point
//                              (POD), in two applications of the month
//   "Membri diferiti"          NR_MEMBRI differs from the application's member rows
//   "Suma pe cerere oprita"    an aid or supplement amount on a RESPINS or
//                              INCETAT application
// Warnings:
//   "Fara ajutor"              an APROBAT or MODIFICAT application with no aid
//                              and no supplement
//   "Data cererii"             DATACERE missing, after the end of the month, or
//                              after DATADISP
//   "Adresa lipsa"             LOCALIT or ADRESA empty
//   "Dispozitie comuna"        one NR_DISP on applications of different statuses
#pragma once

#include "register/AidCalculation.h"
#include "workbook/export/GridExport.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace hestavo {

struct MonthFinding {
    bool blocking = false;
    qint64 key = 0;          // NRCRT
    qint64 number = 0;       // NR_CERE
    QString holder;          // TITULAR
    QString rule;            // one of the rule names above
    QString detail;
};

// The rule names, blocking ones first, in the order above.
const QStringList& MonthCheckRules();
bool IsBlockingRule(const QString& rule);

// The findings of the month (a working-month serial), by application number
// and then rule order. Throws engine::Error when a table cannot be read.
std::vector<MonthFinding> CheckMonth(int monthSerial, const BracketTable& brackets);

// How many findings are blocking.
int BlockingCount(const std::vector<MonthFinding>& findings);

// The findings as the check window's grid shows them and its export writes
// them: weight, application number, NRCRT, holder, rule, detail.
workbook::GridData FindingsGrid(const std::vector<MonthFinding>& findings);

// "3 constatari: 1 blocante, 2 avertismente" and one "rule: count" per rule found.
QStringList FindingsSummary(const std::vector<MonthFinding>& findings);

} // namespace hestavo
