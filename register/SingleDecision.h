// The mayor's single cumulative decision granting the aid to every plain
// approval of the working month that carries one decision number: the data
// folder's "StabilireU.xls" filled on its three sheets (the decision, annex 1
// with the heating aid, annex 2 with the energy supplements). Nothing in the
// database changes.
#pragma once

#include "register/AdminSettings.h"

#include <QDate>
#include <QString>

namespace hestavo {

// What the dialog "Dispozitie Unica" collects.
struct SingleDecisionChoice {
    qint64 number = 0;    // "Numarul Dispozitiei"
    QDate start;          // "se stabileste incepand cu"
    QString period;       // "pentru perioada"
    QString paymentDate;  // "Data platii"
    QString tribunal;     // "Solutionari la Tribunalul"
};

// The three texts of the choice as last confirmed (section "DISPCUM"), and
// storing them back.
SingleDecisionChoice StoredSingleDecisionTexts();
void StoreSingleDecisionTexts(const SingleDecisionChoice& choice);

// The refusal of a number below 1; empty when the number is acceptable.
QString SingleDecisionProblem(const SingleDecisionChoice& choice);

struct SingleDecisionResult {
    QString file;        // the filled workbook
    int annex1Rows = 0;  // applications granted the heating aid
    int annex2Rows = 0;  // applications granted a supplement
};

// Fills the workbook and saves it to `output` or, when that is empty, to a
// fresh temporary file. Throws DocumentRefusal, writing nothing, when no
// plain approval carries the number, the template is missing, or `output` is
// held open by another program; engine and workbook errors propagate.
SingleDecisionResult WriteSingleDecision(const QString& workingMonth, const SingleDecisionChoice& choice,
                                         const AdminSettings& settings, const QString& output = QString());

} // namespace hestavo
