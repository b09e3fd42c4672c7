// Rules of the Romanian personal numeric code (CNP, 13 digits): the control
// digit with the date test, the birth date and the sex it encodes. No widgets;
// CnpEdit is the input control over these rules.
#pragma once

#include <QDate>
#include <QString>

namespace hestavo {

class Cnp {
public:
    // The zero date (30.12.1899): what birthDate gives for a code it cannot read.
    static QDate zeroDate() { return QDate(1899, 12, 30); }

    // True for 13 digits whose first digit is 1, 2, 5, 6, 7, 8 or 9, whose
    // date part is a real calendar date and whose control digit fits (weights
    // 279146358279, sum mod 11, 10 counts as 1). An empty text gives
    // acceptEmpty.
    static bool isValid(const QString& text, bool acceptEmpty = false);
    // Birth date from positions 2-7: the zero date for 6 characters or fewer
    // or a non-numeric part; 1.1.1900 for a date that does not exist. First
    // digit 5 or 6: the 2000s; any other: the 1900s.
    static QDate birthDate(const QString& text);
    // "masculin" for an empty text or first digit 1, 5, 7, 9; else "feminin".
    static QString sex(const QString& text);
    // The control digit of the first 12 digits (for tests and generators).
    static int controlDigit(const QString& first12);
};

} // namespace hestavo
