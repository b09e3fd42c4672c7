#include "register/MonthTransfer.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "engine/Database.h"

#include <QFile>
#include <QTextStream>

namespace hestavo {

namespace {

QString Cereri() { return quotedTable(QStringLiteral("Cereri.dbf")); }
QString Oameni() { return quotedTable(QStringLiteral("Oameni.dbf")); }

QStringList ColumnNames(const QStringList& definitions)
{
    QStringList names;
    for (const QString& d : definitions)
        names << d.section(u' ', 0, 0);
    return names;
}

long long CountRows(const QString& quotedTablePath)
{
    auto rs = Db().open(sqlLines({"SELECT COUNT(*) AS N_", "FROM " + quotedTablePath}));
    rs->first();
    return rs->integer("N_");
}

// A scratch table in the temporary folder of this run, removed when the
// operation ends whatever happens.
class ScratchTable {
public:
    ScratchTable(const QString& stem, const QStringList& columns) : m_path(FreshTempFile(stem, QStringLiteral(".dbf")))
    {
        if (m_path.isEmpty())
            throw engine::Error("Nu se poate crea un fisier temporar " + stem.toStdString() + ".dbf");
        Db().exec(sqlLines({"CREATE TABLE " + quoted(), "(" + columns.join(", ") + ")"}));
    }
    ~ScratchTable() { QFile::remove(m_path); }
    ScratchTable(const ScratchTable&) = delete;
    ScratchTable& operator=(const ScratchTable&) = delete;
    QString quoted() const { return quotedPath(m_path); }
    std::string path() const { return m_path.toStdString(); }

private:
    QString m_path;
};

// Gives the rows of a table consecutive keys from `first` on, in file order.
void Renumber(const ScratchTable& table, const char* column, qint64 first, WorkProgress* progress)
{
    engine::TableCursor row = Db().openCursor(table.path());
    for (qint64 key = first; !row.eof(); row.next(), ++key) {
        row.setNumber(column, double(key));
        row.post();
        if (progress && (key - first + 1) % 100 == 0)
            progress->step();
    }
}

QStringList DuplicatesOf(const ScratchTable& copies, int workingSerial)
{
    auto rs = Db().open(sqlLines({"SELECT TITULAR, CNP", "FROM " + copies.quoted(),
                                  "WHERE CNP IN (SELECT CNP FROM " + Cereri() + " WHERE LUNACRT="
                                      + QString::number(workingSerial) + ")"}));
    QStringList found;
    for (rs->first(); !rs->eof(); rs->next())
        found << QString::fromStdString(rs->text("TITULAR")) + " CNP: " + QString::fromStdString(rs->text("CNP"));
    return found;
}

} // namespace

int SeasonMonthsLeft(const QString& workingMonth)
{
    bool ok = false;
    int month = workingMonth.left(2).toInt(&ok);
    if (!ok)
        month = 11;
    switch (month) {
    case 10:
    case 11: return 5;
    case 12: return 4;
    case 1: return 3;
    case 2: return 2;
    case 3: return 1;
    default: return 0;
    }
}

namespace {

// The applications a copy takes from the source month: the active ones.
QString CopiedRows(int source)
{
    return "WHERE LUNACRT=" + QString::number(source) + " AND STATUT<>\"INCETAT\" AND STATUT<>\"RESPINS\"";
}

// The working month's applications a purge deletes: those whose CNP is also
// in the other month.
QString PurgedRows(const QString& otherMonth, const QString& workingMonth)
{
    return "WHERE LUNACRT=" + QString::number(MonthToSerial(workingMonth)) + " AND CNP IN (SELECT CNP FROM " + Cereri()
        + " WHERE LUNACRT=" + QString::number(MonthToSerial(otherMonth)) + ")";
}

long long CountApplications(const QString& where)
{
    auto rs = Db().open(sqlLines({"SELECT COUNT(*) AS N_", "FROM " + Cereri(), where}));
    rs->first();
    return rs->integer("N_");
}

void CheckOtherMonth(const QString& otherMonth, const QString& workingMonth)
{
    const int working = MonthToSerial(workingMonth);
    if (working == 0)
        throw MonthTransferRefusal("Alegeti mai intai o luna de la butonul Perioada! (" + workingMonth + ")");
    const int other = MonthToSerial(otherMonth);
    if (other == 0)
        throw MonthTransferRefusal("Luna incorecta: " + otherMonth + " (LL.AAAA)");
    if (other == working)
        throw MonthTransferRefusal("Luna " + otherMonth.trimmed() + " este chiar luna de lucru! Alegeti alta luna.");
}

} // namespace

CopyOutcome CopyFromOtherMonth(const QString& sourceMonth, const QString& workingMonth, WorkProgress* progress)
{
    CheckOtherMonth(sourceMonth, workingMonth);
    const int source = MonthToSerial(sourceMonth);
    const int working = MonthToSerial(workingMonth);
    const QStringList cereriNames = ColumnNames(cereriColumns());
    const QString names = cereriNames.join(", ");
    ScratchTable copies(QStringLiteral("Temp"), cereriColumns() << QStringLiteral("NRCRTOLD DECIMAL(12,0)"));
    ScratchTable members(QStringLiteral("TempOm"), oameniColumns());

    Db().exec(sqlLines({"INSERT INTO " + copies.quoted(), "(" + names + ")", "SELECT " + names, "FROM " + Cereri(),
                        CopiedRows(source)}));
    CopyOutcome outcome;
    outcome.duplicates = DuplicatesOf(copies, working);
    if (!outcome.duplicates.isEmpty())
        return outcome;
    // One transaction from here on: the row-by-row renumbering costs no flush
    // per row, and Cereri and Oameni change together or not at all.
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"UPDATE " + copies.quoted(),
                        "SET NRCRTOLD=NRCRT, LUNACRT=" + QString::number(working)
                            + ", CUAJUT=\"\", CUANTUM=0, TOTAL=0, NR_LUNI=" + QString::number(SeasonMonthsLeft(workingMonth))}));
    outcome.applications = int(CountRows(copies.quoted()));
    if (progress)
        progress->begin(outcome.applications * 4 / 100 + 1);
    if (outcome.applications > 0)
        Renumber(copies, "NRCRT", NextKey(QStringLiteral("NRCRT"), outcome.applications), progress);
    Db().exec(sqlLines({"INSERT INTO " + members.quoted(), "(NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE)",
                        "SELECT A.NROM, B.NRCRT, A.TITULAR, A.CNP, A.VENIT, A.CALITATE",
                        "FROM " + copies.quoted() + " B INNER JOIN " + Oameni() + " A ON B.NRCRTOLD=A.NRCRT"}));
    outcome.members = int(CountRows(members.quoted()));
    if (outcome.members > 0)
        Renumber(members, "NROM", NextKey(QStringLiteral("NROM"), outcome.members), progress);

    Db().exec(sqlLines({"INSERT INTO " + Cereri(), "(" + names + ")", "SELECT " + names, "FROM " + copies.quoted()}));
    if (progress)
        progress->step();
    Db().exec(sqlLines({"INSERT INTO " + Oameni(), "(NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE)",
                        "SELECT NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE", "FROM " + members.quoted()}));
    LogAction("Adaugare Cereri din luna " + sourceMonth + " in luna " + workingMonth);
    transaction.commit();
    return outcome;
}

QString WriteDuplicateList(const QString& workingMonth, const QStringList& duplicates)
{
    const QString path = FreshTempFile(QStringLiteral("Dubluri"), QStringLiteral(".txt"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw engine::Error("Nu se poate scrie lista dublurilor " + path.toStdString());
    QTextStream out(&file);
    out << "Lista cu persoanele existente in luna " << workingMonth << "\r\n" << QString(50, u'*') << "\r\n \r\n";
    for (int i = 0; i < duplicates.size(); ++i)
        out << (i + 1) << ".  " << duplicates[i] << "\r\n";
    return path;
}

int CountCopyFromOtherMonth(const QString& sourceMonth, const QString& workingMonth)
{
    CheckOtherMonth(sourceMonth, workingMonth);
    return int(CountApplications(CopiedRows(MonthToSerial(sourceMonth))));
}

int CountPurgeAgainstMonth(const QString& otherMonth, const QString& workingMonth)
{
    CheckOtherMonth(otherMonth, workingMonth);
    return int(CountApplications(PurgedRows(otherMonth, workingMonth)));
}

int PurgeAgainstMonth(const QString& otherMonth, const QString& workingMonth, WorkProgress* progress)
{
    const int doomed = CountPurgeAgainstMonth(otherMonth, workingMonth);
    if (progress)
        progress->begin(1);
    engine::Transaction transaction = Db().beginTransaction();
    Db().exec(sqlLines({"DELETE FROM " + Cereri(), PurgedRows(otherMonth, workingMonth)}));
    Db().exec(sqlLines({"DELETE FROM " + Oameni(), "WHERE NOT (NRCRT IN (SELECT NRCRT FROM " + Cereri() + "))"}));
    if (progress)
        progress->step();
    LogAction("Stergere Cereri care sunt si in luna " + otherMonth);
    transaction.commit();
    return doomed;
}

} // namespace hestavo
