// The three list workbooks of the working month's households and persons,
// filled from their fixed templates: the persons with income, relation, age
// and birth date; the members situation (every applicant with each member);
// the risk-profile control list. Each returns the filled workbook (a fresh
// temporary file), closed and not yet shown.
#pragma once

#include <QString>

namespace hestavo {

// "Lista persoanelor si varsta": members of approved or modified applications
// with the heating-aid mark.
QString PersonsAgeList(const QString& workingMonth);

// "Situatia membrilor": approved or modified applications, each paired with
// each member (once with empty member cells when it has none).
QString MembersSituationList(const QString& workingMonth);

// "Control bazat pe profilul de risc" for a season month ("11", "12", "01",
// "02", "03") and a year. ExportError without a county or with a year that is
// not a number.
QString RiskControlList(const QString& workingMonth, const QString& seasonMonth, const QString& year);

} // namespace hestavo
