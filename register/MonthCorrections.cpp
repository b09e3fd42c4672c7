#include "register/MonthCorrections.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Months.h"
#include "engine/Database.h"
#include "register/AidCalculation.h"
#include "register/ApplicationRecord.h"

namespace hestavo {

namespace {

const char kActive[] = "((STATUT=\"APROBAT\") OR (STATUT=\"MODIFICAT\"))";

long long CountWhere(const QString& condition)
{
    auto rs = Db().open(sqlLines({"SELECT COUNT(*) AS N_", "FROM " + quotedTable(QStringLiteral("Cereri.dbf")),
                                  "WHERE " + condition}));
    rs->first();
    return rs->integer("N_");
}

// A fixed-point amount as an exact decimal literal ("1386", "615.33").
QString MoneyLiteral(Money m)
{
    const Money whole = m / kMoneyUnit;
    const Money part = (m < 0 ? -m : m) % kMoneyUnit;
    QString text = (m < 0 && whole == 0 ? "-" : "") + QString::number(whole);
    if (part != 0) {
        QString digits = QString::number(part).rightJustified(4, '0');
        while (digits.endsWith('0'))
            digits.chop(1);
        text += "." + digits;
    }
    return text;
}

// The aid of an active application from its household size and income, as
// AidForIncome gives it, written as one SQL expression over NR_MEMBRI and
// TVENIT (blank numbers count as 0).
QString AidExpression(const BracketTable& table)
{
    const QString average = "TVENIT/NR_MEMBRI";
    auto limit = [&](int row) { return MoneyLiteral(table.limits[row]); };
    auto aid = [&](int row) { return QString::number(WholeLei(table.aids[row])); };
    QString sql = "CASE WHEN NR_MEMBRI IS NULL OR NR_MEMBRI=0 THEN 0";
    sql += " WHEN " + average + ">" + limit(10) + " THEN 0";
    sql += " WHEN NR_MEMBRI=1 AND " + average + ">" + limit(9) + " THEN " + aid(10);
    for (int row = 0; row < 10; ++row)
        sql += " WHEN " + average + "<=" + limit(row) + " THEN " + aid(row);
    return sql + " ELSE 0 END";
}

// One statement changes the month's rows: progress has a single step.
void Begin(WorkProgress* progress)
{
    if (progress)
        progress->begin(1);
}

void Done(WorkProgress* progress)
{
    if (progress)
        progress->step();
}

} // namespace

int SetApplicationDate(const QString& workingMonth, qint64 from, qint64 to, const QDate& date)
{
    const QString condition = "LUNACRT=" + QString::number(MonthToSerial(workingMonth)) + " AND NR_CERE>="
        + QString::number(from) + " AND NR_CERE<=" + QString::number(to);
    const int rows = int(CountWhere(condition));
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"UPDATE " + quotedTable(QStringLiteral("Cereri.dbf")), "SET DATACERE=" + DateLiteral(date),
                        "WHERE " + condition}));
    LogAction(QStringLiteral("Modificare Data Cereri."));
    transaction.commit();
    return rows;
}

int ChangeAidMonths(const QString& workingMonth, int months, WorkProgress* progress)
{
    const QString month = "LUNACRT=" + QString::number(MonthToSerial(workingMonth));
    Begin(progress);
    const int rows = int(CountWhere(month));
    const QString count = QString::number(months);
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"UPDATE " + quotedTable(QStringLiteral("Cereri.dbf")), "SET NR_LUNI=" + count + ",",
                        "TOTAL=CASE WHEN CUAJUT=\"X\" AND " + QString::fromLatin1(kActive) + " THEN " + count
                            + "*CUANTUM ELSE TOTAL END",
                        "WHERE " + month}));
    LogAction(QStringLiteral("Modificare Numar luni."));
    transaction.commit();
    Done(progress);
    return rows;
}

int SetAid(const QString& workingMonth, bool on, const BracketTable& brackets, WorkProgress* progress)
{
    const QString active = "LUNACRT=" + QString::number(MonthToSerial(workingMonth)) + " AND " + kActive;
    Begin(progress);
    const int rows = int(CountWhere(active));
    const QString aid = on ? AidExpression(brackets) : QStringLiteral("0");
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"UPDATE " + quotedTable(QStringLiteral("Cereri.dbf")),
                        QStringLiteral("SET CUAJUT=") + (on ? "\"X\"," : "\"\","), "CUANTUM=" + aid + ",",
                        "TOTAL=NR_LUNI*(" + aid + ")", "WHERE " + active}));
    LogAction(QStringLiteral("Adaugare/Stergere ajutor."));
    transaction.commit();
    Done(progress);
    return rows;
}

} // namespace hestavo
