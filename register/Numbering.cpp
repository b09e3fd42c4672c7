#include "register/Numbering.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "engine/Database.h"

#include <QHash>

namespace hestavo {

namespace {

QString Cereri() { return quotedTable(QStringLiteral("Cereri.dbf")); }

QString SelectionCondition(DecisionSelection s)
{
    switch (s) {
    case DecisionSelection::All: return QString();
    case DecisionSelection::Approved: return " AND STATUT=\"APROBAT\" AND (CUMODIF<>\"X\" OR CUMODIF IS NULL)";
    case DecisionSelection::ApprovedWithChange: return " AND STATUT=\"APROBAT\" AND CUMODIF=\"X\"";
    case DecisionSelection::Changed: return " AND STATUT=\"MODIFICAT\"";
    case DecisionSelection::Ended: return " AND STATUT=\"INCETAT\"";
    case DecisionSelection::Refused: return " AND STATUT=\"RESPINS\"";
    }
    return QString();
}

// NRCRT -> the number it receives, for the rows of the query in their order.
QHash<qint64, qint64> NumbersInOrder(const QString& condition, qint64 first, bool same)
{
    auto rs = Db().open(sqlLines({"SELECT NRCRT, NR_CERE", "FROM " + Cereri(), "WHERE " + condition, "ORDER BY NR_CERE"}));
    QHash<qint64, qint64> numbers;
    qint64 k = first;
    for (rs->first(); !rs->eof(); rs->next()) {
        numbers.insert(rs->integer("NRCRT"), k);
        if (!same)
            ++k;
    }
    return numbers;
}

QString IntervalCondition(int serial, qint64 from, qint64 to)
{
    return "LUNACRT=" + QString::number(serial) + " AND NR_CERE>=" + QString::number(from) + " AND NR_CERE<="
        + QString::number(to);
}

// Walks the month's rows and lets `write` change the numbered ones.
template <typename Write>
void WriteNumbers(int serial, const QHash<qint64, qint64>& numbers, WorkProgress* progress, Write write)
{
    if (progress)
        progress->begin(int(numbers.size() / 100));
    int done = 0;
    engine::TableCursor row = Db().openCursor(tableFile(QStringLiteral("Cereri.dbf")).toStdString(),
                                              ("LUNACRT=" + QString::number(serial)).toStdString());
    for (; !row.eof() && done < numbers.size(); row.next()) {
        const auto found = numbers.constFind(row.integer("NRCRT"));
        if (found == numbers.constEnd())
            continue;
        write(row, found.value());
        row.post();
        if (progress && ++done % 100 == 0)
            progress->step();
    }
}

} // namespace

QStringList DecisionSelectionCaptions()
{
    return {"Toate cererile", "Aprobate", "Aprobate cu modificare", "Modificate", "Incetate", "Respinse"};
}

NumberingProblem CheckDecisionNumbering(const DecisionNumbering& n)
{
    if (n.from == 0)
        return {0, QStringLiteral("Numar incorect!")};
    if (n.to == 0)
        return {1, QStringLiteral("Numar incorect!")};
    if (n.first == 0)
        return {2, QStringLiteral("Numar incorect!")};
    if (n.to < n.from)
        return {0, QStringLiteral("Intervalul ales este incorect!")};
    if (!n.date.isValid())
        return {3, QStringLiteral("Data incorecta!")};
    return {};
}

int NumberDecisions(const QString& workingMonth, const DecisionNumbering& n, WorkProgress* progress)
{
    const int serial = MonthToSerial(workingMonth);
    const QHash<qint64, qint64> numbers =
        NumbersInOrder(IntervalCondition(serial, n.from, n.to) + SelectionCondition(n.selection), n.first, n.sameNumber);
    const engine::Date date{n.date.year(), n.date.month(), n.date.day()};
    engine::Transaction transaction = Db().beginTransaction();
    if (n.clearOthers)
        Db().exec(sqlLines({"UPDATE " + Cereri(), "SET NR_DISP=\"\", DATADISP=NULL",
                            "WHERE LUNACRT=" + QString::number(serial)}));
    WriteNumbers(serial, numbers, progress, [&](engine::TableCursor& row, qint64 k) {
        row.setText("NR_DISP", std::to_string(k));
        row.setDate("DATADISP", date);
    });
    LogAction(QStringLiteral("Numerotare Dispozitii."));
    transaction.commit();
    return int(numbers.size());
}

NumberingProblem CheckReportNumbering(const ReportNumbering& n)
{
    if (n.to < n.from)
        return {0, QStringLiteral("Perioada incorecta!")};
    if (!n.sameAsApplication && n.first < 1)
        return {2, QStringLiteral("Primul numar incorect!")};
    return {};
}

int NumberReports(const QString& workingMonth, const ReportNumbering& n, WorkProgress* progress)
{
    const int serial = MonthToSerial(workingMonth);
    const QString approved = QStringLiteral(" AND STATUT=\"APROBAT\"");
    if (n.sameAsApplication) {
        // Every approved application of the month, whatever the interval.
        const QHash<qint64, qint64> all = NumbersInOrder("LUNACRT=" + QString::number(serial) + approved, 0, true);
        engine::Transaction transaction = Db().beginTransaction();
        Db().exec(sqlLines({"UPDATE " + Cereri(), "SET NR_REF=NR_CERE",
                            "WHERE LUNACRT=" + QString::number(serial) + approved}));
        LogAction(QStringLiteral("Numerotare Referate."));
        transaction.commit();
        return int(all.size());
    }
    const QHash<qint64, qint64> numbers = NumbersInOrder(IntervalCondition(serial, n.from, n.to) + approved, n.first, false);
    engine::Transaction transaction = Db().beginTransaction();
    WriteNumbers(serial, numbers, progress,
                 [](engine::TableCursor& row, qint64 k) { row.setNumber("NR_REF", double(k)); });
    LogAction(QStringLiteral("Numerotare Referate."));
    transaction.commit();
    return int(numbers.size());
}

namespace {

// How a count of numbered documents reads: none, one, and the plural noun.
struct Numbered {
    const char* none;
    const char* one;
    const char* many;
};

// "Au fost numerotate 112 dispozitii (2001–2112)."; the numbers in brackets
// are given by the caller.
QString NumberedSummary(int count, const Numbered& words, const QString& numbers)
{
    if (count == 0)
        return QString::fromLatin1(words.none) + " (nicio cerere aleasa).";
    const QString what = count == 1 ? QString::fromLatin1(words.one)
                                    : "Au fost numerotate " + formatCount(count) + " " + QString::fromLatin1(words.many);
    return what + " (" + numbers + ").";
}

QString NumberRange(qint64 first, int count)
{
    return count == 1 ? QString::number(first) : QString::number(first) + QChar(0x2013) + QString::number(first + count - 1);
}

} // namespace

QString DecisionNumberingSummary(int count, const DecisionNumbering& n)
{
    const QString numbers = n.sameNumber ? "toate cu numarul " + QString::number(n.first) : NumberRange(n.first, count);
    return NumberedSummary(count, {"Nu a fost numerotata nicio dispozitie", "A fost numerotata 1 dispozitie", "dispozitii"},
                           numbers);
}

QString ReportNumberingSummary(int count, const ReportNumbering& n)
{
    const QString numbers = n.sameAsApplication ? QStringLiteral("cu numarul cererii") : NumberRange(n.first, count);
    return NumberedSummary(count, {"Nu a fost numerotat niciun referat", "A fost numerotat 1 referat", "referate"}, numbers);
}

} // namespace hestavo
