// The counties of Romania as offered by the administration window, with the
// abbreviation the reports print and the two-digit county code.
#pragma once

#include <QString>
#include <QStringList>

namespace hestavo {

// The 48 county names in display order (upper case, no diacritics).
const QStringList& CountyNames();
// Abbreviation at the same position ("AB" for ALBA, "B" for the Bucharest sectors).
const QStringList& CountyAbbreviations();
// Position in the list of an upper-cased name; -1 when it is not a county.
int CountyIndex(const QString& name);
// Position + 1 written with two digits: "01" for ALBA ... "48" for SECTOR 6.
QString DefaultCountyCode(int index);

} // namespace hestavo
