// File names made from names found in the data (supplier names): characters
// that a file name may not hold are replaced, and names that would give the
// same file get a number.
#pragma once

#include <QString>
#include <QStringList>

// The name with each of / \ : * ? " < > |, each control character and the
// apostrophe replaced by "_".
QString CleanFileNamePart(const QString& name);

// The cleaned names in the same order; a name whose cleaned text equals an
// earlier one's, compared without regard to case (as Windows compares file
// names), gets "_2", "_3", ... so that every result names its own file.
QStringList UniqueFileNameParts(const QStringList& names);
