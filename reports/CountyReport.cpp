#include "reports/CountyReport.h"

#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "documents/SpreadsheetOutput.h"
#include "documents/TemplateStore.h"
#include "register/WorkingMonths.h"
#include "reports/CsvText.h"
#include "reports/DecisionReference.h"
#include "reports/ExportError.h"
#include "reports/FileNameText.h"
#include "reports/XmlText.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace hestavo {

namespace {

const QString kHeading = QStringLiteral("Raport AJPIS");

// The pseudo-column of Annex 13's compensation level, computed from CUANTUM.
const QString kLevel = QStringLiteral("NIVEL");

// One annex of the county report: its CSV header and fields (result columns
// in CSV order), the column whose positive value selects a row and whose sum
// is the annex's total, the template, and the progress text shown before it.
struct CountyAnnex {
    int number;
    QString header;
    QStringList fields;
    QString condition;   // the row qualifies when this column is above 0
    QString amount;      // summed into the total
    QString templateName;
    bool fixedTemplate;
    bool firstSheetOnly;
    QString progressText;
    bool progressStep;
};

const QList<CountyAnnex>& CountyAnnexes()
{
    static const QList<CountyAnnex> annexes{
        {13, "Nr,Titular,CNP,Adresa,Dispozitie,Nr_membrii,Venit_lunar_membru,Nivel _compensare,Cuantum_luna",
         {"TITULAR", "CNP", "ADRESA", "NR_DISP", "NR_MEMBRI", "VENITM", kLevel, "CUANTUM"}, "TOTAL", "CUANTUM",
         "Anexa13BC", true, false, "Fac Anexa 13...", false},
        {14, "Nr,Titular,CNP,Adresa,Cod_furnizor_client,Venit_lunar_membru,Cuantum_max_luna,DISPOZITIE",
         {"TITULAR", "CNP", "ADRESA", "CODCLT", "VENITM", "SUMAT", "NR_DISP"}, "SUMAT", "SUMAT", "Anexa14.xls", false,
         false, " Generez Anexa 14...", false},
        {15, "Nr,Titular,CNP,Adresa,Cod_furnizor_client,CLC,Nr_membrii,Venit_lunar_membru,DISPOZITIE,Cuantum_max_luna",
         {"TITULAR", "CNP", "ADRESA", "CODCLG", "PODG", "NR_MEMBRI", "VENITM", "NR_DISP", "SUMAG"}, "SUMAG", "SUMAG",
         "Anexa15.xls", false, true, " Generez Anexa 15...", true},
        {16, "Nr,Titular,CNP,Adresa,Cod_furnizor_client,POD,Nr_membrii,Venit_lunar_membru,Dispozitie,Cuantum_max_luna",
         {"TITULAR", "CNP", "ADRESA", "CODCLE", "PODE", "NR_MEMBRI", "VENITM", "NR_DISP", "SUMAE"}, "SUMAE", "SUMAE",
         "Anexa16.xls", false, true, " Generez Anexa 16...", true},
        {17, "Nr,Titular,CNP,Adresa,Dispozitie,Nr_membrii,Venit_lunar_membru,Cuantum_luna",
         {"TITULAR", "CNP", "ADRESA", "NR_DISP", "NR_MEMBRI", "VENITM", "SUMAL"}, "SUMAL", "SUMAL", "Anexa17.xls",
         false, false, " Generez Anexa 17...", true},
    };
    return annexes;
}

// The annex's statement: the CSV fields as result columns (the address with
// its locality, the decision reference from the reference table), the
// working month's approved and modified applications that qualify, by holder.
QStringList AnnexStatement(const CountyAnnex& annex, const QString& referenceTable, int monthSerial)
{
    QStringList columns;
    for (const QString& field : annex.fields) {
        if (field == QLatin1String("ADRESA"))
            columns << QStringLiteral("LOCALIT+\" \"+ADRESA AS ADRESA");
        else if (field == QLatin1String("NR_DISP"))
            columns << QStringLiteral("A.NR_DISP");
        else if (field != kLevel)
            columns << field;
    }
    return {"SELECT " + columns.join(QStringLiteral(", ")),
            "FROM " + quotedTable(QStringLiteral("Cereri.dbf")),
            "FULL JOIN " + quotedPath(referenceTable) + " A",
            QStringLiteral("ON NRCRT=A.NRCRT"),
            "WHERE LUNACRT=" + QString::number(monthSerial),
            "AND (STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\") AND " + annex.condition + ">0",
            QStringLiteral("ORDER BY TITULAR")};
}

// The CSV fields of the current row.
QStringList CsvFields(const CountyAnnex& annex, const engine::ResultSet& rs)
{
    QStringList out;
    for (const QString& field : annex.fields) {
        const std::string column = field.toStdString();
        if (field == kLevel)
            out << CompensationLevel(rs.number("CUANTUM"));
        else if (field == QLatin1String("VENITM"))
            out << RoundedIncome(rs.number(column));
        else
            out << CsvValue(QString::fromStdString(rs.text(column)));
    }
    return out;
}

// The template to open: a fresh copy of a fixed template, or the editable
// template of the data folder itself.
QString TemplateFile(const CountyAnnex& annex)
{
    if (annex.fixedTemplate) {
        const QString copy = WriteFixedTemplate(annex.templateName, QStringLiteral("Anexa13"), QStringLiteral(".xls"));
        if (copy.isEmpty())
            throw ExportError(kHeading, "\nNu pot scrie modelul " + annex.templateName + "!");
        return copy;
    }
    const EditableTemplate* editable = FindEditableTemplate(annex.templateName);
    const QString path = editable ? EditableTemplatePath(*editable) : QString();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw ExportError(kHeading, "\nNu gasesc modelul " + annex.templateName + " in directorul cu date!");
    return path;
}

// The markers of the annex's title block.
void ReplaceTitleMarkers(SpreadsheetOutput& out, const CountyAnnex& annex, const QString& workingMonth,
                         const PaymentMonth& month, const AdminSettings& s)
{
    using CellValue = SpreadsheetOutput::CellValue;
    out.ReplaceMarker("[PRIMAR]", CellValue::fromText(s.primar));
    if (annex.fixedTemplate) {
        out.ReplaceMarker("[JUDET]", CellValue::fromText(s.judet));
        out.ReplaceMarker("[UAT]", CellValue::fromText(s.primaria));
        out.ReplaceMarker("[CIF]", CellValue::fromText(s.sirues));
        out.ReplaceMarker("[LUNA]", CellValue::fromText(NameKey(month.name)));
        out.ReplaceMarker("[ANUL]", CellValue::fromText(QString::number(month.year)));
        return;
    }
    out.ReplaceMarker("[JUDET]", CellValue::fromText(s.codjud + "   " + s.judet));
    out.ReplaceMarker("[LOCALIT]", CellValue::fromText(s.primaria));
    out.ReplaceMarker("[LUNA]", CellValue::fromText(workingMonth.left(2)));
    out.ReplaceMarker("[ANUL]", CellValue::fromText(workingMonth.mid(3, 4)));
}

// An annex built in the temporary folder, not yet in the output folder.
struct StagedAnnex {
    CountyAnnexFiles files;
    QString filledWorkbook;
    QByteArray csv;
};

// Fills the annex's workbook from the open result set (which has rows).
QString FillWorkbook(const CountyAnnex& annex, engine::ResultSet& rs, const QString& workingMonth,
                     const PaymentMonth& month, const AdminSettings& s)
{
    const QString templateFile = TemplateFile(annex);
    SpreadsheetOutput out;
    if (!out.OpenWorkbook(templateFile, false))
        throw ExportError(kHeading, "\nNu pot deschide modelul " + annex.templateName + "!");
    out.BlankValue = SpreadsheetOutput::CellValue::fromNumber(0);
    if (annex.firstSheetOnly) {
        while (out.SheetCount() > 1) {
            out.SelectSheet(2);
            out.DeleteActiveSheet();
        }
        out.SelectSheet(1);
    }
    ReplaceTitleMarkers(out, annex, workingMonth, month, s);
    rs.first();
    out.FillRows(rs);
    out.CloseWorkbook(false);
    if (annex.fixedTemplate)
        QFile::remove(templateFile);
    return out.OutputFile;
}

// Annex 13 is the return the county agency expects every month, rows or not.
bool AlwaysWritten(const CountyAnnex& annex) { return annex.number == 13; }

// The annex's workbook and CSV in the temporary folder; nullopt when it has
// no rows and is not always written.
std::optional<StagedAnnex> StageAnnex(const CountyAnnex& annex, const QString& referenceTable,
                                      const QString& workingMonth, const PaymentMonth& month, const AdminSettings& s)
{
    auto rs = Db().open(sqlLines(AnnexStatement(annex, referenceTable, MonthToSerial(workingMonth))));
    if (rs->isEmpty() && !AlwaysWritten(annex))
        return std::nullopt;
    StagedAnnex staged;
    CsvTable csv(annex.header);
    long long total = 0;
    for (rs->first(); !rs->eof(); rs->next()) {
        csv.append(CsvFields(annex, *rs));
        total += std::llround(rs->number(annex.amount.toStdString()) * 100);
    }
    staged.csv = csv.bytes();
    staged.files.annex = annex.number;
    staged.files.rows = csv.rowCount();
    staged.files.total = HundredthsText(total);
    staged.filledWorkbook = FillWorkbook(annex, *rs, workingMonth, month, s);
    return staged;
}

// Moves every staged annex into its place; on a failure the files already
// moved are removed again, so the output folder holds all of them or none.
void MoveIntoPlace(QList<StagedAnnex>& staged, const QString& csvFolder)
{
    QStringList placed;
    try {
        if (!QDir().mkpath(csvFolder))
            throw ExportError(kHeading, "\nNu pot crea directorul " + QDir::toNativeSeparators(csvFolder) + "!");
        for (StagedAnnex& a : staged) {
            QString error;
            if (!MoveFileByCopy(a.filledWorkbook, a.files.workbook, &error))
                throw ExportError(kHeading, "\nNu pot scrie " + QDir::toNativeSeparators(a.files.workbook) + "!\n" + error);
            placed << a.files.workbook;
            WriteFileWhole(a.files.csv, a.csv, kHeading);
            placed << a.files.csv;
        }
    } catch (...) {
        for (const QString& file : placed)
            QFile::remove(file);
        QDir().rmdir(csvFolder);
        throw;
    }
}

} // namespace

QString CountyCsvFolderName(const QString& uatName, const PaymentMonth& month)
{
    return CleanFileNamePart(uatName) + " AJUTOARE INCALZIRE " + NameKey(month.name) + u' ' + QString::number(month.year);
}

void CheckPaymentMonth(const PaymentMonth& month)
{
    if (!CalendarMonths().contains(month.name))
        throw ExportError(kHeading, "\nLuna " + month.name + " nu exista!");
    if (!IsAcceptedReportYear(month.year, QDate::currentDate().year()))
        throw ExportError(kHeading, QStringLiteral("\nAn incorect!"));
}

CountyOutcome WriteCountyReport(const QString& workingMonth, const PaymentMonth& month, const QString& outputFolder,
                                const AdminSettings& settings, const CountyProgress& progress)
{
    CheckPaymentMonth(month);
    const CountyProgress show = progress ? progress : [](const QString&, bool) {};

    CountyOutcome outcome;
    outcome.csvFolder = QDir(outputFolder).filePath(CountyCsvFolderName(settings.primaria, month));
    QList<StagedAnnex> staged;
    {
        const DecisionReferenceTable references;
        for (const CountyAnnex& annex : CountyAnnexes()) {
            show(annex.progressText, annex.progressStep);
            std::optional<StagedAnnex> a = StageAnnex(annex, references.path(), workingMonth, month, settings);
            if (!a) {
                outcome.withoutData << annex.number;
                continue;
            }
            if (a->files.rows == 0)
                outcome.writtenEmpty << annex.number;
            const QString stem = CountyAnnexStem(annex.number, settings.primaria, month.name, month.year);
            a->files.workbook = QDir(outputFolder).filePath(stem + ".xls");
            a->files.csv = QDir(outcome.csvFolder).filePath(stem + ".csv");
            staged << *a;
        }
    }
    if (!staged.isEmpty())
        MoveIntoPlace(staged, outcome.csvFolder);
    for (const StagedAnnex& a : staged)
        outcome.written << a.files;
    return outcome;
}

namespace {
QString AnnexesNoData(const QList<int>& annexes)
{
    QStringList numbers;
    for (int annex : annexes)
        numbers << QString::number(annex);
    return annexes.size() == 1 ? "Anexa " + numbers.first() + " nu are date"
                               : "Anexele " + numbers.join(QStringLiteral(", ")) + " nu au date";
}
} // namespace

QString WithoutDataNote(const CountyOutcome& outcome)
{
    QStringList notes;
    if (!outcome.writtenEmpty.isEmpty())
        notes << AnnexesNoData(outcome.writtenEmpty) + " pe luna de lucru: am scris lista goala si CSV-ul doar cu antetul.";
    if (!outcome.withoutData.isEmpty())
        notes << AnnexesNoData(outcome.withoutData) + " pe luna de lucru: nu am scris nici registru, nici CSV.";
    return notes.join(QLatin1Char('\n'));
}

} // namespace hestavo
