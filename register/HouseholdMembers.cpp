#include "register/HouseholdMembers.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Settings.h"
#include "engine/Database.h"
#include "register/ApplicationRecord.h"

namespace hestavo {

namespace {

QList<HouseholdMember> Read(engine::ResultSet& rs)
{
    QList<HouseholdMember> members;
    for (rs.first(); !rs.eof(); rs.next())
        members << HouseholdMember{rs.integer("NROM"), QString::fromStdString(rs.text("TITULAR")),
                                   QString::fromStdString(rs.text("CNP")), ToMoney(rs.number("VENIT")),
                                   QString::fromStdString(rs.text("CALITATE"))};
    return members;
}

} // namespace

QList<HouseholdMember> HouseholdMembers::list() const
{
    auto rs = Db().open(sqlLines({"SELECT *", "FROM " + quotedPath(m_table), "WHERE NRCRT=" + QString::number(m_key),
                                  "ORDER BY NROM"}));
    return Read(*rs);
}

qint64 HouseholdMembers::add(const HouseholdMember& m)
{
    const qint64 nrom = m.nrom > 0 ? m.nrom : NextKey(QStringLiteral("NROM"));
    Db().exec(sqlLines({"INSERT INTO " + quotedPath(m_table), "(NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE)",
                        "VALUES (" + QString::number(nrom) + ", " + QString::number(m_key) + ", " + TextLiteral(m.name)
                            + ", " + TextLiteral(m.cnp) + ", " + MoneyLiteral(m.income) + ", " + TextLiteral(m.role) + ")"}));
    return nrom;
}

void HouseholdMembers::change(const HouseholdMember& m)
{
    Db().exec(sqlLines({"UPDATE " + quotedPath(m_table),
                        "SET TITULAR=" + TextLiteral(m.name) + ", CNP=" + TextLiteral(m.cnp) + ", VENIT="
                            + MoneyLiteral(m.income) + ", CALITATE=" + TextLiteral(m.role),
                        "WHERE NROM=" + QString::number(m.nrom)}));
}

void HouseholdMembers::remove(qint64 nrom)
{
    Db().exec(sqlLines({"DELETE FROM " + quotedPath(m_table), "WHERE NROM=" + QString::number(nrom)}));
}

void HouseholdMembers::replaceWithMembersOf(qint64 source)
{
    auto rs = Db().open(sqlLines({"SELECT *", "FROM " + quotedTable(QStringLiteral("Oameni.dbf")),
                                  "WHERE NRCRT=" + QString::number(source), "ORDER BY NROM"}));
    QList<HouseholdMember> members = Read(*rs);
    rs.reset();
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"DELETE FROM " + quotedPath(m_table)}));
    qint64 nrom = members.isEmpty() ? 0 : NextKey(QStringLiteral("NROM"), members.size());
    for (HouseholdMember& m : members) {
        m.nrom = nrom++;
        add(m);
    }
    transaction.commit();
}

} // namespace hestavo
