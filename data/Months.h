// Working-month serials (year * 12 + month - 1) and the month names, the text
// clean-up applied to typed input before it enters a statement, and the two
// line-list files: the month list "Luni.lst" (data folder) and the reason list
// "Motive.lst" (program folder).
#pragma once

#include <QString>
#include <QStringList>

// "MM.YYYY" to its serial; 0 for a text of another form or a month outside 1..12.
int MonthToSerial(const QString& text);
// Serial to "MM.YYYY" (24266 gives "03.2022"); empty for a serial below 1.
QString SerialToMonth(int serial);
// 1..12 to "ianuarie".."decembrie"; empty for any other value.
QString MonthName(int month);

// Trims, turns every double quote into a space and collapses runs of spaces,
// so the result can stand inside a double-quoted literal.
QString CleanText(const QString& text);

// Line lists: one entry per line, CR LF line ends, Windows-1250 bytes. A
// missing file is an empty list; a file that exists but cannot be read throws
// SettingsError. Writing an empty list deletes the file.
QStringList readLineList(const QString& path);
void writeLineList(const QString& path, const QStringList& lines);

QString monthListFile();    // "Luni.lst" in the data folder
QString reasonListFile();   // "Motive.lst" in the program folder
QStringList ReadMonthList();
void WriteMonthList(const QStringList& months);
QStringList ReadReasonList();
// Appends a reason that is not blank and not yet in the list; false when
// nothing had to be added.
bool AddReason(const QString& reason);
