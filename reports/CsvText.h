// Text forms of the county's CSV files: every value cleaned to plain
// upper-case ASCII, the income rounded up to whole lei, the compensation
// level, the name keys of the file names, and the file itself (CR LF lines,
// a header, the column numbers, the data lines, no quoting).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace hestavo {

// Letters with diacritics lose their marks (S for Ș, A for Ă, L for Ł), the
// ASCII letters are upper-cased, every character other than ".", "0".."9"
// and "A".."Z" becomes a space, and the result is trimmed with its runs of
// spaces reduced to one. Never holds a comma, a quote or a hyphen.
QString CsvValue(const QString& text);

// The whole part of the income + 0.99, in decimal: 200.00 gives "200", 200.01
// gives "201", 349.5 gives "350". Computed on whole hundredths, so binary
// noise cannot drop a lei.
QString RoundedIncome(double income);

// The monthly aid rounded to whole lei (halves to even) as a share of 320 lei,
// in percent with two decimals (288 gives "90.00", 320 gives "100.00"); the
// second decimal is rounded half away from zero.
QString CompensationLevel(double aid);

// A count of hundredths with two decimals and "." ("-12.05", "44256.00").
QString HundredthsText(long long hundredths);

// The UAT name as a file-name key: diacritics dropped, upper-cased, every
// character other than "0".."9", "A".."Z" and "_" removed (spaces too).
QString NameKey(const QString& name);

// "ANEXA_" + annex + "_" + name key + "_" + month name in upper case + "_" +
// year, without extension ("ANEXA_13_COMUNASFANTAMARIA_FEBRUARIE_2024").
QString CountyAnnexStem(int annex, const QString& uatName, const QString& monthName, int year);

// One CSV file: the header line, the line of column numbers (1 to the number
// of header fields), then one line per row: its position (1, 2, ...) and its
// fields, joined by "," with no quoting, every line ending in CR LF.
class CsvTable {
public:
    explicit CsvTable(const QString& header);
    // The fields after the row number, already cleaned.
    void append(const QStringList& fields);
    int rowCount() const { return m_rows; }
    // The file's bytes (ASCII).
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    int m_rows = 0;
};

} // namespace hestavo
