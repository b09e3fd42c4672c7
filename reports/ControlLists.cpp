#include "reports/ControlLists.h"

#include "data/Db.h"
#include "data/Months.h"
#include "documents/SpreadsheetOutput.h"
#include "documents/TemplateStore.h"
#include "register/AdminSettings.h"
#include "reports/ExportError.h"
#include "reports/ExportText.h"
#include "reports/MemoryRecords.h"

#include <QFile>

#include <algorithm>

namespace hestavo {

namespace {

const QString kActiveB = QStringLiteral("AND (B.STATUT=\"APROBAT\" OR B.STATUT=\"MODIFICAT\")");

QString MonthCondition(const QString& column, const QString& workingMonth)
{
    return "WHERE " + column + "=" + QString::number(MonthToSerial(workingMonth));
}

// Opens the fixed template, fills its data row from records and closes it
// without showing; returns the filled workbook.
template <typename Records>
QString FillTemplate(const QString& resource, const QString& stem, Records& records)
{
    const QString copy = WriteFixedTemplate(resource, stem, QStringLiteral(".xls"));
    if (copy.isEmpty())
        throw ExportError(QStringLiteral("Eroare"), "\nNu pot scrie modelul " + resource + "!");
    SpreadsheetOutput out;
    if (!out.OpenWorkbook(copy, false))
        throw ExportError(QStringLiteral("Eroare"), "\nNu pot deschide modelul " + resource + "!");
    out.FillRows(records);
    out.CloseWorkbook(false);
    QFile::remove(copy);
    return out.OutputFile;
}

} // namespace

QString PersonsAgeList(const QString& workingMonth)
{
    auto rs = Db().open(sqlLines({"SELECT A.TITULAR, A.CNP, A.VENIT, A.CALITATE, A.NROM, B.NRCRT",
                                  "FROM " + quotedTable("Oameni.dbf") + " A",
                                  "JOIN " + quotedTable("Cereri.dbf") + " B", "ON A.NRCRT=B.NRCRT",
                                  MonthCondition("B.LUNACRT", workingMonth),
                                  "AND (STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\") AND CUAJUT=\"X\""}));
    return FillTemplate(QStringLiteral("ListaPers"), QStringLiteral("ListP"), *rs);
}

QString MembersSituationList(const QString& workingMonth)
{
    auto rs = Db().open(sqlLines({"SELECT A.TITULAR AS NUMEM, A.CNP AS CNPM, B.LOCALIT, B.TITULAR, B.CNP",
                                  "FROM " + quotedTable("Oameni.dbf") + " A",
                                  "RIGHT JOIN " + quotedTable("Cereri.dbf") + " B", "ON A.NRCRT=B.NRCRT",
                                  MonthCondition("B.LUNACRT", workingMonth), kActiveB}));
    MemoryRecords records({"NUMET", "PRENUMET", "CNPT", "NUMEM", "PRENUMEM", "CNPM", "LOC"});
    for (rs->first(); !rs->eof(); rs->next()) {
        auto t = [&rs](const char* column) { return QString::fromStdString(rs->text(column)); };
        const NameParts holder = SplitName(t("TITULAR"));
        const NameParts member = SplitName(t("NUMEM"));
        // The columns of the members table: names of 32, codes of 13, locality of 60.
        records.append({holder.surname.left(32), holder.firstNames.left(32), t("CNP").left(13),
                        member.surname.left(32), member.firstNames.left(32), t("CNPM").left(13),
                        t("LOCALIT").left(60)});
    }
    std::stable_sort(records.rows().begin(), records.rows().end(), [](const QStringList& a, const QStringList& b) {
        return a.mid(0, 5) < b.mid(0, 5);
    });
    return FillTemplate(QStringLiteral("SitMem"), QStringLiteral("SitMem"), records);
}

QString RiskControlList(const QString& workingMonth, const QString& seasonMonth, const QString& year)
{
    const AdminSettings settings = LoadAdminSettings();
    if (settings.judet.trimmed().isEmpty())
        throw ExportError(QStringLiteral("Verificare date"), QStringLiteral("\nNu ati ales la Administrare Judetul!"));
    bool yearIsNumber = false;
    const int yearNumber = year.trimmed().toInt(&yearIsNumber);
    if (!yearIsNumber)
        throw ExportError(QStringLiteral("Verificare date"), "\nAnul " + year + " este incorect!");
    const QString county = CleanText(settings.judet);
    auto rs = Db().open(sqlLines(
        {"SELECT NR_CERE, TITULAR, CNP, ADRESA+\" \"+LOCALIT+\" JUD " + county + "\" AS ADRESA, \"\" AS CODTIT, NR_MEMBRI,",
         "VENITM, NR_DISP, CUANTUM, \"" + CleanText(CountyAbbreviation(settings)) + "\" AS JUD,",
         "\"" + CleanText(settings.primaria) + "\" AS PRIMARIE,",
         "\"" + CleanText(seasonMonth) + "\" AS LUNA, " + QString::number(yearNumber) + " AS AN,",
         "STCIV, SITSCOL, TVENIT,\tNRCAM", "FROM " + quotedTable("Cereri.dbf"),
         MonthCondition("LUNACRT", workingMonth), "AND (STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\")",
         "ORDER BY NR_CERE"}));
    return FillTemplate(QStringLiteral("CONTROL"), QStringLiteral("CBPR"), *rs);
}

} // namespace hestavo
