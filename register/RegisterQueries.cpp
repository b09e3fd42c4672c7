#include "register/RegisterQueries.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "engine/Database.h"

namespace hestavo {

namespace {

QString Cereri() { return quotedTable(QStringLiteral("Cereri.dbf")); }
QString Oameni() { return quotedTable(QStringLiteral("Oameni.dbf")); }

std::optional<FoundApplication> First(std::unique_ptr<engine::ResultSet> rs)
{
    if (rs->isEmpty())
        return std::nullopt;
    rs->first();
    return FoundApplication{rs->integer("NRCRT"), int(rs->integer("LUNACRT")), ApplicationRecord::fromRow(*rs)};
}

QString Field(const engine::ResultSet& rs, const char* column)
{
    for (const std::string& name : rs.columnNames())
        if (name == column)
            return QString::fromStdString(rs.text(column));
    return QString();
}

std::optional<Holder> FirstHolder(const QStringList& lines)
{
    auto rs = Db().open(sqlLines(lines));
    if (rs->isEmpty())
        return std::nullopt;
    rs->first();
    return Holder{Field(*rs, "NR_CERE"), Field(*rs, "DATACERE"), Field(*rs, "TITULAR"), Field(*rs, "CODCL"),
                  Field(*rs, "POD")};
}

QString Except(const char* column, qint64 key) { return key < 0 ? QString() : " AND " + QString::fromLatin1(column) + "<>" + QString::number(key); }

} // namespace

std::optional<FoundApplication> ApplicationByKey(qint64 key)
{
    return First(Db().open(sqlLines({"SELECT *", "FROM " + Cereri(), "WHERE NRCRT=" + QString::number(key)})));
}

std::optional<FoundApplication> LatestApplicationOf(const QString& cnp)
{
    return First(Db().open(sqlLines({"SELECT *", "FROM " + Cereri(), "WHERE CNP=" + TextLiteral(cnp), "ORDER BY LUNACRT DESC"})));
}

bool ApplicantInMonth(const QString& cnp, int month, qint64 exceptKey)
{
    return !Db().open(sqlLines({"SELECT NRCRT", "FROM " + Cereri(),
                                "WHERE CNP=" + TextLiteral(cnp) + " AND LUNACRT=" + QString::number(month)
                                    + Except("NRCRT", exceptKey)}))
                ->isEmpty();
}

bool NumberInMonth(qint64 number, int year, int month, qint64 exceptKey)
{
    return !Db().open(sqlLines({"SELECT NR_CERE", "FROM " + Cereri(),
                                "WHERE LUNACRT=" + QString::number(month) + " AND NR_CERE=" + QString::number(number)
                                    + " AND EXTRACT(YEAR FROM DATACERE)=" + QString::number(year)
                                    + Except("NRCRT", exceptKey)}))
                ->isEmpty();
}

std::optional<Holder> NonBeneficiaryMemberInMonth(const QString& cnp, int month)
{
    return FirstHolder({"SELECT B.NR_CERE, A.TITULAR", "FROM " + Cereri() + " B, " + Oameni() + " A",
                        "WHERE B.NRCRT=A.NRCRT AND B.LUNACRT=" + QString::number(month) + " AND A.CNP = " + TextLiteral(cnp)
                            + " AND A.CALITATE<>\"beneficiar\""});
}

std::optional<Holder> MemberInMonth(const QString& cnp, int month, qint64 exceptNrom)
{
    return FirstHolder({"SELECT A.CNP, B.NR_CERE, B.DATACERE", "FROM " + Oameni() + " A, " + Cereri() + " B",
                        "WHERE A.CNP = " + TextLiteral(cnp) + " AND A.NRCRT=B.NRCRT AND B.LUNACRT=" + QString::number(month)
                            + Except("NROM", exceptNrom)});
}

std::optional<Holder> ContractInMonth(char kind, const QString& supplier, const QString& clientCode, const QString& pod,
                                      int month, qint64 exceptKey)
{
    const QString x(QChar::fromLatin1(kind));
    QString columns = "TITULAR, NR_CERE, DATACERE, CODCL" + x + " AS CODCL";
    QString match = "CODCL" + x + " = " + TextLiteral(clientCode);
    if (kind != 'T') {
        columns += ", POD" + x + " AS POD";
        // A blank consumption point identifies nothing: it is left out of the search.
        if (!pod.isEmpty())
            match += " OR POD" + x + " = " + TextLiteral(pod);
    }
    return FirstHolder({"SELECT " + columns, "FROM " + Cereri(),
                        "WHERE LUNACRT=" + QString::number(month) + " AND NRCRT<>" + QString::number(exceptKey) + " AND FURN"
                            + x + " = " + TextLiteral(supplier) + " AND (" + match + ")"});
}

} // namespace hestavo
