#include "documents/PaymentList.h"

#include "data/Db.h"
#include "data/Settings.h"
#include "documents/OutputError.h"
#include "documents/SpreadsheetOutput.h"
#include "documents/TemplateStore.h"

namespace {

const QString kTitle = QStringLiteral("Stat de plata");

QString Setting(const char* key)
{
    return ReadSetting(QStringLiteral("SETARI"), QString::fromLatin1(key));
}

// The markers of every sheet, in the order they are replaced ("#PRIMARIA"
// before "#PRIMAR", which it contains).
QList<std::pair<QString, QString>> HeadingMarkers(const QString& period)
{
    const QString contabil = Setting("CONTABIL");
    const QString director = Setting("DIRECTOR");
    const QString intocmit = Setting("INTOCMIT");
    const bool hasAccountant = !contabil.trimmed().isEmpty();
    const bool hasDirector = !director.trimmed().isEmpty();
    const bool hasPreparer = !intocmit.trimmed().isEmpty();
    return {
        {"#JUDET", "Judet   " + Setting("CODJUD") + " - " + Setting("JUDET")},
        {"#PRIMARIA", "Primaria   " + Setting("SIRUES") + " - " + Setting("PRIMARIA")},
        {"#LUNA", period},
        {"#C1", hasAccountant ? QStringLiteral("Contabil,") : QStringLiteral(" ")},
        {"#C2", hasAccountant ? contabil : QStringLiteral(" ")},
        {"#P1", hasDirector ? QStringLiteral("DIRECTOR,") : QStringLiteral("PRIMAR,")},
        {"#PRIMAR", hasDirector ? director : Setting("PRIMAR")},
        {"#I1", hasPreparer ? QStringLiteral("Intocmit,") : QStringLiteral(" ")},
        {"#I2", hasPreparer ? intocmit : QStringLiteral(" ")},
    };
}

QString SheetStatement(int monthSerial, const PaymentSelection& selection, int sheet)
{
    QString sql = "SELECT NR_CERE,TITULAR,CNP, NR_DISP+\"/\" AS NRDISP, DATADISP, "
                  "TRIM(BOTH \" \" FROM (LOCALIT + \" \" +ADRESA)) AS ADRESA, LOCALIT, CUANTUM,NR_LUNI,TOTAL, "
                  "SUMAL, SUMAG, SUMAT, SUMAE FROM "
        + quotedTable("Cereri.dbf") + " WHERE LUNACRT=" + QString::number(monthSerial) + " AND " + kPaidStatuses
        + SelectionConditions(selection);
    if (sheet == 2)
        sql += " AND TOTAL>0";
    else if (sheet == 3)
        sql += " AND SUMAL>0";
    return sql + " ORDER BY TITULAR";
}

PaymentListSheet Sums(engine::ResultSet& rows)
{
    PaymentListSheet s;
    for (rows.first(); !rows.eof(); rows.next()) {
        ++s.rows;
        s.totalCents += ToCents(rows.number("TOTAL"));
        s.supplementCents += ToCents(rows.number("SUMAL"));
    }
    rows.first();
    return s;
}

} // namespace

PaymentListResult MakePaymentList(int monthSerial, const PaymentListChoice& choice)
{
    const QString file = tableFile(QStringLiteral("Stat.xls"));
    SpreadsheetOutput output;
    if (!output.OpenWorkbook(file, false))
        throw OutputError(kTitle, "\rNu gasesc modelul " + file + "!\rRefaceti-l din Administrare.");
    PaymentListResult result;
    const auto markers = HeadingMarkers(choice.period);
    for (int sheet = 1; sheet <= 3; ++sheet) {
        auto rows = Db().open(SheetStatement(monthSerial, choice.selection, sheet).toStdString());
        result.sheets[sheet - 1] = Sums(*rows);
        if (sheet == 1 && result.sheets[0].rows == 0)
            throw OutputError(kTitle, QStringLiteral("\rNu exista cereri aprobate sau modificate pentru selectia aleasa!"));
        output.SelectSheet(sheet);
        for (const auto& [marker, value] : markers)
            output.ReplaceMarker(marker, SpreadsheetOutput::CellValue::fromText(value));
        output.FillRows(*rows);
    }
    output.SelectSheet(1);
    output.CloseWorkbook(false);
    result.file = output.OutputFile;
    return result;
}
