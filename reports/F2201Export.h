// The tax authority's request form F2201 about the adults of the month's
// approved or modified households: the holders and every member, each person
// once, written in files "F2201_" + number + ".xml" of at most 501 positions.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace hestavo {

struct F2201Person {
    QString name;
    QString cnp;
    qint64 applicationNumber = 0; // the largest NR_CERE the person is listed under
    QDate applicationDate;        // the latest DATACERE (each taken separately)
};

struct F2201Outcome {
    QStringList files;     // full paths, in order
    int persons = 0;       // every person considered
    int adults = 0;        // persoane elements written
    int cleanedValues = 0; // values whose characters XML cannot carry were dropped
};

// Holders of the approved and modified applications of the month and their
// members, grouped by name and CNP, in order of name.
QList<F2201Person> F2201Persons(const QString& workingMonth);

// Born before the day 18 years before today; a CNP without a readable birth
// date counts as adult.
bool IsAdult(const QString& cnp, const QDate& today);

// The integer part of (now as days since 30.12.1899 - 2017) x 10 000 000.
qint64 F2201BaseRequest(const QDateTime& now);

// Writes the files into folder (existing ones of the same names are replaced,
// each only once its new content is complete). now gives the request numbers,
// the creation stamp and the adult test.
F2201Outcome WriteF2201Files(const QList<F2201Person>& persons, const QString& folder, const QDateTime& now);

} // namespace hestavo
