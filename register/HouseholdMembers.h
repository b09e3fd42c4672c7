// The household members of one application in a members table (Oameni
// itself, or the temporary table of a new application whose rows carry NRCRT
// -2): listing, adding with a new NROM, changing, deleting, and replacing
// them with the members of an earlier application. Throws engine::Error.
#pragma once

#include "register/AidCalculation.h"

#include <QList>
#include <QString>

namespace hestavo {

struct HouseholdMember {
    qint64 nrom = 0;
    QString name;    // TITULAR
    QString cnp;
    Money income = 0; // VENIT
    QString role;    // CALITATE
};

class HouseholdMembers {
public:
    HouseholdMembers(const QString& tablePath, qint64 applicationKey)
        : m_table(tablePath), m_key(applicationKey) {}

    QList<HouseholdMember> list() const;            // ordered by NROM
    qint64 add(const HouseholdMember& member);      // returns the new NROM
    void change(const HouseholdMember& member);     // by its NROM
    void remove(qint64 nrom);
    // Deletes every row of the table and copies the members of the application
    // `source` of Oameni in, with new keys from one block of NROM.
    void replaceWithMembersOf(qint64 source);

private:
    QString m_table;
    qint64 m_key;
};

} // namespace hestavo
