#include "register/MonthCorrections.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Months.h"
#include "engine/Database.h"
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

std::string CereriPath() { return tableFile(QStringLiteral("Cereri.dbf")).toStdString(); }

void Step(WorkProgress* progress, int walked)
{
    if (progress && walked % 100 == 0)
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
    if (progress)
        progress->begin(int(CountWhere(month) / 100));
    int walked = 0;
    engine::Transaction transaction = Db().beginTransaction();
    {
        engine::TableCursor row = Db().openCursor(CereriPath(), month.toStdString());
        for (; !row.eof(); row.next()) {
            if (row.text("CUAJUT") == "X" && IsActiveStatus(QString::fromStdString(row.text("STATUT"))))
                row.setNumber("TOTAL", double(months) * row.number("CUANTUM"));
            row.setNumber("NR_LUNI", months);
            row.post();
            Step(progress, ++walked);
        }
    }
    LogAction(QStringLiteral("Modificare Numar luni."));
    transaction.commit();
    return walked;
}

int SetAid(const QString& workingMonth, bool on, const BracketTable& brackets, WorkProgress* progress)
{
    const QString serial = QString::number(MonthToSerial(workingMonth));
    const QString active = "(LUNACRT=" + serial + ") AND ((STATUT='APROBAT') OR (STATUT='MODIFICAT'))";
    if (progress)
        progress->begin(int(CountWhere("LUNACRT=" + serial + " AND " + kActive) / 100));
    int walked = 0;
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"UPDATE " + quotedTable(QStringLiteral("Cereri.dbf")),
                        QStringLiteral("SET CUAJUT=") + (on ? "\"X\"" : "\"\""),
                        "WHERE LUNACRT=" + serial + " AND " + kActive}));
    {
        engine::TableCursor row = Db().openCursor(CereriPath(), active.toStdString());
        for (; !row.eof(); row.next()) {
            const int aid = on ? AidForIncome(brackets, int(row.integer("NR_MEMBRI")), true, row.number("TVENIT")) : 0;
            row.setNumber("CUANTUM", aid);
            row.setNumber("TOTAL", double(row.integer("NR_LUNI")) * aid);
            row.post();
            Step(progress, ++walked);
        }
    }
    LogAction(QStringLiteral("Adaugare/Stergere ajutor."));
    transaction.commit();
    return walked;
}

} // namespace hestavo
