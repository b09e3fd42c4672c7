// Text forms shared by the exports: the name split into surname and first
// names, whole numbers rounded with halves to the even neighbour, and the
// general number format.
#pragma once

#include <QString>

namespace hestavo {

struct NameParts {
    QString surname;     // text before the first space; empty without a space
    QString firstNames;  // text after the first space; the whole name without one
};
NameParts SplitName(const QString& name);

// The nearest whole number, halves going to the even neighbour (0.5 -> 0, 2.5 -> 2).
long long RoundHalfEven(double value);

// "1600", "112.5", "78.125": no thousands separator, "." as separator, no
// trailing zeros, at most 15 significant digits.
QString GeneralNumber(double value);

} // namespace hestavo
