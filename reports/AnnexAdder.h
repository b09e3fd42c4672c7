// Combines several annex workbooks of one kind into one: the beneficiary lists
// of Annexes 15 and 16 are appended and renumbered, the grids of Annexes 23
// and 24 (rows 9-32, columns D-N) are added up. The inputs are only read; the
// result is a fresh temporary workbook.
#pragma once

#include <QString>
#include <QStringList>

namespace hestavo {

// The annex number written in the first row of the workbook's first sheet
// ("ANEXA nr.15", "Anexa nr. 23"); 0 when there is none or the file cannot be read.
int AnnexNumber(const QString& path);

// "Adaugare ANEXA <kind>" refusals: a file of another kind (named in the
// message), a file already listed. Returns normally when the file may be added.
void CheckAnnexToAdd(int kind, const QString& path, const QStringList& listed);

// Adds up the listed annexes (at least two) and returns the combined workbook.
// Every input is checked again first. With markDuplicates, a valid CNP met
// again in column C of a sheet gets "DUBLAT!" in that sheet's last used column.
QString AddAnnexes(int kind, const QStringList& inputs, bool markDuplicates);

} // namespace hestavo
