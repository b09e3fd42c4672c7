// The cross-check of a monthly package: its files read back from disk and
// compared with each other and with the month's tables, household by
// household (a household is its holder's CNP) and to the ban:
//   - the aid: the tables' TOTAL, Annex 13, the payment list (both sheets
//     that carry it), the treasury's annex 2 and payment file (account 073)
//     and the ANPIS file;
//   - the wood supplement: SUMAL, the payment list, the treasury (account
//     074) and Annex 17;
//   - the gas, electricity and heat supplements: SUMAG, SUMAE, SUMAT, the
//     AJPIS Annexes 15, 16, 14 and the suppliers' annexes;
//   - the adults of the F2201 files and those of the month by the CNP rule.
// A treasury account whose annex 2 the package does not hold was not chosen
// and is left out.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace hestavo {

struct CrossCheckResult {
    QStringList report;        // the lines of VERIFICARE.txt
    QStringList differences;   // one line per household and source that disagree
};

// Reads the package folder; engine, workbook and file errors propagate.
// today decides who is an adult, as for the F2201 files.
CrossCheckResult CrossCheckPackage(const QString& packageFolder, const QString& workingMonth, const QDate& today);

} // namespace hestavo
