#include "reports/SupplierReports.h"

#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "documents/SpreadsheetOutput.h"
#include "documents/TemplateStore.h"
#include "register/AdminSettings.h"
#include "reports/DecisionReference.h"
#include "reports/ExportError.h"
#include "reports/ExportText.h"
#include "reports/FileNameText.h"
#include "reports/MemoryRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <memory>

namespace hestavo {

namespace {

using workbook::CellValue;

const QString kActive = QStringLiteral("(STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\")");
const QString kPostalSection = QStringLiteral("CODURIP");

// A text that can stand before the "=" of a settings line.
bool IsSettingsKey(const QString& name)
{
    return !name.contains(QLatin1Char('=')) && !name.startsWith(QLatin1Char('[')) && !name.startsWith(QLatin1Char(';'))
           && !name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n'));
}

// The columns of one kind of supplement.
struct Supply {
    QString supplier;  // FURNE / FURNG
    QString amount;    // SUMAE / SUMAG
    QString client;    // CODCLE / CODCLG
    QString place;     // PODE / PODG
    QString holder;    // TITE / TITG
    QString annex;     // shipped annex form and output file stem
    int clientKind;    // "Tip Client" of the E-On layout
};
const Supply kElectricity{"FURNE", "SUMAE", "CODCLE", "PODE", "TITE", "Anexa16", 8010};
const Supply kGas{"FURNG", "SUMAG", "CODCLG", "PODG", "TITG", "Anexa15", 1010};

QString MonthCondition(const QString& workingMonth)
{
    return "(LUNACRT=" + QString::number(MonthToSerial(workingMonth)) + ")";
}

QString Text(const engine::ResultSet& rs, const QString& column)
{
    return QString::fromStdString(rs.text(column.toStdString()));
}

double Number(const engine::ResultSet& rs, const QString& column)
{
    return rs.number(column.toStdString());
}

// The month's approved or modified applications with this supplement, by holder.
std::unique_ptr<engine::ResultSet> SupplementRows(const QString& workingMonth, const Supply& s)
{
    return Db().open(sqlLines({"SELECT *", "FROM " + quotedTable("Cereri.dbf"),
                               "WHERE " + MonthCondition(workingMonth),
                               "AND " + kActive + " AND " + s.amount + ">0", "ORDER BY TITULAR"}));
}

bool FromSupplier(const engine::ResultSet& rs, const Supply& s, const QString& supplier)
{
    return Text(rs, s.supplier) == supplier.trimmed();
}

int CountFromSupplier(engine::ResultSet& rs, const Supply& s, const QString& supplier)
{
    int count = 0;
    for (rs.first(); !rs.eof(); rs.next())
        count += FromSupplier(rs, s, supplier) ? 1 : 0;
    return count;
}

// A fixed template written afresh and opened (the supplier layouts ask for the
// spreadsheet program, the annexes for the built-in engine); ExportError when
// it cannot be.
QString OpenFixedTemplate(SpreadsheetOutput& out, const QString& resource, const QString& stem,
                          const QString& extension, const QString& heading, bool useExcel = true)
{
    const QString copy = WriteFixedTemplate(resource, stem, extension);
    if (copy.isEmpty() || !out.OpenWorkbook(copy, useExcel))
        throw ExportError(heading, "\nNu pot scrie modelul " + resource + "!");
    return copy;
}

// Saves the filled workbook and moves it to target, creating the folder; the
// output folder only ever receives a complete file.
void SaveInto(SpreadsheetOutput& out, const QString& templateCopy, const QString& target, const QString& heading)
{
    out.CloseWorkbook(false);
    QFile::remove(templateCopy);
    const QString folder = QFileInfo(target).absolutePath();
    QString error;
    if (!QDir().mkpath(folder) || !MoveFileByCopy(out.OutputFile, target, &error))
        throw ExportError(heading, "\nNu pot scrie fisierul " + QDir::toNativeSeparators(target) + "!\n" + error);
}

// The steps of a list of rows: every 50th row, out of rows / 50.
class RowSteps {
public:
    RowSteps(const SupplierProgress& progress, const QString& text, int rows) : m_progress(progress)
    {
        if (m_progress.begin)
            m_progress.begin(text, rows / 50);
    }
    void rowDone()
    {
        if (++m_rows % 50 == 0 && m_progress.step)
            m_progress.step();
    }

private:
    const SupplierProgress& m_progress;
    int m_rows = 0;
};

// Writes text cells only when there is something to write: the template's
// empty cells stay absent.
void SetText(SpreadsheetOutput& out, int row, int col, const QString& text)
{
    if (!text.isEmpty())
        out.SetCell(row, col, CellValue::fromText(text));
}

void SetNumber(SpreadsheetOutput& out, int row, int col, double value)
{
    out.SetCell(row, col, CellValue::fromNumber(value));
}

// What the E-On layout repeats on every row.
struct EonFixed {
    QString townHall;
    QString county;
    QString month;  // YYYYMM
    QMap<QString, QString> postalCodes;
};

void WriteEonRow(SpreadsheetOutput& out, int row, const engine::ResultSet& rs, const Supply& s, const EonFixed& f)
{
    const QPair<QString, QString> holder = SurnameFirst(Text(rs, s.holder));
    const QPair<QString, QString> beneficiary = SurnameFirst(Text(rs, "TITULAR"));
    const double amount = Number(rs, s.amount);
    SetText(out, row, 2, f.townHall);
    SetText(out, row, 3, Text(rs, "NR_DISP"));
    SetNumber(out, row, 4, amount);
    SetNumber(out, row, 5, amount);
    SetNumber(out, row, 6, 0);
    SetText(out, row, 7, Text(rs, s.client));
    SetText(out, row, 8, holder.first);
    SetText(out, row, 9, holder.second);
    SetNumber(out, row, 10, s.clientKind);
    SetText(out, row, 11, beneficiary.first);
    SetText(out, row, 12, beneficiary.second);
    SetText(out, row, 13, Text(rs, "CNP"));
    SetText(out, row, 14, f.county);
    SetText(out, row, 15, f.postalCodes.value(Text(rs, "LOCALIT")));
    SetText(out, row, 16, Text(rs, "LOCALIT"));
    SetText(out, row, 18, Text(rs, "ADRESA"));
    SetText(out, row, 23, Text(rs, s.place));
    SetNumber(out, row, 25, double(rs.integer("NR_MEMBRI")));
    SetText(out, row, 26, Text(rs, "VENITM"));
    SetText(out, row, 27, f.month);
}

SupplierReportFile WriteEonFile(const QString& workingMonth, const QString& supplier, const Supply& s,
                                const EonFixed& fixed, const QString& target, const QString& progressText,
                                const SupplierProgress& progress)
{
    const QString heading = QStringLiteral("Raport E-ON");
    SpreadsheetOutput out;
    const QString copy = OpenFixedTemplate(out, QStringLiteral("EONGaz"), s.supplier == "FURNE" ? "EON" : "EONG",
                                           QStringLiteral(".xlsx"), heading);
    auto rs = SupplementRows(workingMonth, s);
    SupplierReportFile file{target, 0, 0};
    RowSteps steps(progress, progressText, CountFromSupplier(*rs, s, supplier));
    for (rs->first(); !rs->eof(); rs->next()) {
        if (!FromSupplier(*rs, s, supplier))
            continue;
        WriteEonRow(out, file.rows + 2, *rs, s, fixed);
        file.total += Number(*rs, s.amount);
        ++file.rows;
        steps.rowDone();
    }
    SaveInto(out, copy, target, heading);
    return file;
}

void WriteCezRow(SpreadsheetOutput& out, int r, const engine::ResultSet& rs, const QString& fiscalCode)
{
    const int row = r + 2;
    SetNumber(out, row, 1, r + 1);
    SetText(out, row, 2, Text(rs, "TITULAR"));
    SetText(out, row, 3, Text(rs, "CNP"));
    SetText(out, row, 4, Text(rs, "LOCALIT"));
    SetText(out, row, 5, Text(rs, "ADRESA"));
    SetText(out, row, 10, Text(rs, "CODCLE"));
    SetText(out, row, 11, Text(rs, "PODE"));
    SetNumber(out, row, 12, double(rs.integer("NR_MEMBRI")));
    SetNumber(out, row, 13, Number(rs, "TVENIT"));
    SetText(out, row, 14, Text(rs, "NR_DISP"));
    SetNumber(out, row, 15, Number(rs, "SUMAE"));
    SetNumber(out, row, 16, 0);
    SetText(out, row, 17, fiscalCode);
}

// The rows of one supplier's annex, held in memory as texts; the number
// columns are read back as numbers.
class AnnexRows : public MemoryRecords {
public:
    AnnexRows(const QStringList& texts, const QStringList& numbers) : MemoryRecords(texts + numbers), m_numbers(numbers) {}
    void append(const QStringList& texts, const QList<double>& numbers)
    {
        QStringList row = texts;
        for (double n : numbers)
            row << GeneralNumber(n);
        MemoryRecords::append(row);
    }
    double sum(const QString& column)
    {
        double total = 0;
        for (first(); !eof(); next())
            total += number(column).value_or(0);
        return total;
    }
    bool isTextColumn(const QString& column) override { return !m_numbers.contains(column, Qt::CaseInsensitive); }
    std::optional<double> number(const QString& column) override
    {
        bool ok = false;
        const double value = text(column).toDouble(&ok);
        return ok ? std::optional<double>(value) : std::nullopt;
    }

private:
    QStringList m_numbers;
};

// The month's rows with this supplement, each supplier's in holder order, the
// address prefixed by the locality and the decision number made a reference.
QMap<QString, std::shared_ptr<AnnexRows>> AnnexRowsBySupplier(const QString& workingMonth, const Supply& s)
{
    auto rs = Db().open(sqlLines({"SELECT " + s.supplier + ", TITULAR, CNP, LOCALIT+\" \"+ADRESA AS ADRESA, NR_DISP, DATADISP,",
                                  "NR_MEMBRI, VENITM, " + s.client + ", " + s.place + ", " + s.amount,
                                  "FROM " + quotedTable("Cereri.dbf"), "WHERE " + MonthCondition(workingMonth),
                                  "AND " + kActive + " AND " + s.amount + ">0",
                                  "ORDER BY " + s.supplier + ", TITULAR"}));
    const QStringList texts{"TITULAR", "CNP", "ADRESA", s.client, s.place, "NR_DISP"};
    const QStringList numbers{"NR_MEMBRI", "VENITM", s.amount};
    QMap<QString, std::shared_ptr<AnnexRows>> bySupplier;
    for (rs->first(); !rs->eof(); rs->next()) {
        std::shared_ptr<AnnexRows>& rows = bySupplier[Text(*rs, s.supplier)];
        if (!rows)
            rows = std::make_shared<AnnexRows>(texts, numbers);
        const std::optional<engine::Date> date = rs->date("DATADISP");
        const QDate decided = date && date->isValid() ? QDate(date->year, date->month, date->day) : QDate();
        rows->append({Text(*rs, "TITULAR"), Text(*rs, "CNP"), Text(*rs, "ADRESA"), Text(*rs, s.client),
                      Text(*rs, s.place), DecisionReferenceText(Text(*rs, "NR_DISP"), decided)},
                     {Number(*rs, "NR_MEMBRI"), Number(*rs, "VENITM"), Number(*rs, s.amount)});
    }
    return bySupplier;
}

// One supplier's annex from the shipped form (not the editable copy), first
// sheet only, moved to target.
SupplierReportFile WriteAnnex(const Supply& s, AnnexRows& rows, const AdminSettings& settings,
                              const QString& workingMonth, const QString& target)
{
    const QString heading = QStringLiteral("Raport Furnizori");
    SpreadsheetOutput out;
    const QString copy = OpenFixedTemplate(out, s.annex, QStringLiteral("RapFur"), QStringLiteral(".xls"), heading, false);
    out.BlankValue = CellValue::fromNumber(0);
    out.ReplaceMarker("[JUDET]", CellValue::fromText(settings.codjud + "   " + settings.judet));
    out.ReplaceMarker("[LOCALIT]", CellValue::fromText(settings.primaria));
    out.ReplaceMarker("[PRIMAR]", CellValue::fromText(settings.primar));
    out.ReplaceMarker("[LUNA]", CellValue::fromText(workingMonth.left(2)));
    out.ReplaceMarker("[ANUL]", CellValue::fromText(workingMonth.mid(3, 4)));
    out.FillRows(rows);
    while (out.SheetCount() > 1) {
        out.SelectSheet(2);
        out.DeleteActiveSheet();
    }
    out.SelectSheet(1);
    SaveInto(out, copy, target, heading);
    return {target, rows.recordCount(), rows.sum(s.amount)};
}

// The folder of a supplier: a name that is blank or only dots would name the
// output folder itself or its parent, so it is prefixed with "_".
QString FolderPart(const QString& name)
{
    const QString t = name.trimmed();
    const bool dots = std::all_of(t.cbegin(), t.cend(), [](QChar c) { return c == QLatin1Char('.'); });
    return dots ? "_" + t : name;
}

} // namespace

QPair<QString, QString> SurnameFirst(const QString& name)
{
    if (!name.contains(QLatin1Char(' ')))
        return {name, QString()};
    const NameParts parts = SplitName(name);
    return {parts.surname, parts.firstNames};
}

QString CezFileName(const QString& countyCode, const QString& siruta, const QString& workingMonth)
{
    return "S_EE_" + countyCode.trimmed() + "_" + siruta.trimmed() + "_" + workingMonth.left(2) + "_"
           + workingMonth.mid(3, 4) + ".xls";
}

QList<QPair<QString, QString>> SupplierFolders(const QStringList& supplierNames)
{
    QStringList parts;
    for (const QString& name : supplierNames)
        parts << FolderPart(name);
    const QStringList folders = UniqueFileNameParts(parts);
    QList<QPair<QString, QString>> out;
    for (qsizetype i = 0; i < supplierNames.size(); ++i)
        out.append({supplierNames[i], folders[i]});
    return out;
}

QList<SupplierReportFile> WriteSupplierAnnexes(const QString& workingMonth, const QString& folder,
                                               const QStringList& onlySuppliers, const SupplierProgress& progress)
{
    if (progress.begin)
        progress.begin(QStringLiteral("Creez Raport Furnizori..."), 2);
    const AdminSettings settings = LoadAdminSettings();
    const QList<QMap<QString, std::shared_ptr<AnnexRows>>> supplies{AnnexRowsBySupplier(workingMonth, kElectricity),
                                                                   AnnexRowsBySupplier(workingMonth, kGas)};
    // One folder per name over both supplies, so that a supplier of gas and
    // electricity gets both annexes in the same folder.
    QStringList names;
    for (const auto& bySupplier : supplies)
        names << bySupplier.keys();
    names.sort();
    names.removeDuplicates();
    QMap<QString, QString> folders;
    for (const auto& [name, part] : SupplierFolders(names))
        folders.insert(name, part);

    QList<SupplierReportFile> files;
    for (int k = 0; k < 2; ++k) {
        const Supply& s = k == 0 ? kElectricity : kGas;
        for (auto it = supplies[k].cbegin(); it != supplies[k].cend(); ++it) {
            if (!onlySuppliers.isEmpty() && !onlySuppliers.contains(it.key()))
                continue;
            const QString target = QDir(folder).filePath(folders.value(it.key()) + "/" + s.annex + ".xls");
            files << WriteAnnex(s, *it.value(), settings, workingMonth, target);
        }
        if (progress.step)
            progress.step();
    }
    return files;
}

QList<SupplierReportFile> WriteEonReport(const QString& workingMonth, const QString& supplier,
                                         const QList<PostalCode>& postalCodes, const QString& folder,
                                         const SupplierProgress& progress)
{
    const AdminSettings settings = LoadAdminSettings();
    EonFixed fixed{settings.primaria, settings.judet, workingMonth.mid(3, 4) + workingMonth.left(2), {}};
    for (const auto& [locality, code] : postalCodes)
        fixed.postalCodes.insert(locality, code);
    const QDir out(folder);
    return {WriteEonFile(workingMonth, supplier, kElectricity, fixed, out.filePath("Suplimente_Electrica.xlsx"),
                         QStringLiteral("Creez Raport Suplimente Electrica..."), progress),
            WriteEonFile(workingMonth, supplier, kGas, fixed, out.filePath("Suplimente_Gaz.xlsx"),
                         QStringLiteral("Creez Raport Suplimente Gaz..."), progress)};
}

QList<SupplierReportFile> WriteCezReport(const QString& workingMonth, const QString& supplier, const QString& siruta,
                                         const QString& folder, const SupplierProgress& progress)
{
    const QString heading = QStringLiteral("Raport CEZ");
    const AdminSettings settings = LoadAdminSettings();
    SpreadsheetOutput out;
    const QString copy = OpenFixedTemplate(out, QStringLiteral("CEZ"), QStringLiteral("CEZ"), QStringLiteral(".xls"),
                                           heading);
    auto rs = SupplementRows(workingMonth, kElectricity);
    SupplierReportFile file{QDir(folder).filePath(CezFileName(settings.codjud, siruta, workingMonth)), 0, 0};
    RowSteps steps(progress, QStringLiteral("Creez Raport CEZ - Suplimente Electrica..."),
                   CountFromSupplier(*rs, kElectricity, supplier));
    for (rs->first(); !rs->eof(); rs->next()) {
        if (!FromSupplier(*rs, kElectricity, supplier))
            continue;
        WriteCezRow(out, file.rows, *rs, settings.sirues);
        file.total += Number(*rs, "SUMAE");
        ++file.rows;
        steps.rowDone();
    }
    SaveInto(out, copy, file.path, heading);
    return {file};
}

QList<SupplierNameSource> EonSupplierSources(const QString& workingMonth)
{
    const QString common = MonthCondition(workingMonth) + " AND ((STATUT=\"APROBAT\") OR (STATUT=\"MODIFICAT\"))";
    return {{"FURNG", common + " AND ((TOTAL>0) OR (SUMAG>0))"}, {"FURNE", common + " AND ((TOTAL>0) OR (SUMAE>0))"}};
}

QList<SupplierNameSource> CezSupplierSources(const QString& workingMonth)
{
    return {{"FURNE", MonthCondition(workingMonth) + " AND (SUMAE>0) AND " + kActive}};
}

QStringList SupplierNames(const QList<SupplierNameSource>& sources)
{
    QStringList names;
    for (const SupplierNameSource& s : sources)
        names << DistinctValues(quotedTable("Cereri.dbf"), s.column, s.condition);
    for (QString& n : names)
        n = n.trimmed();
    names.sort();
    names.removeDuplicates();
    return names;
}

QList<PostalCode> PostalCodes(const QString& workingMonth)
{
    QList<PostalCode> codes;
    const QStringList localities = DistinctValues(quotedTable("Cereri.dbf"), QStringLiteral("LOCALIT"),
                                                  "LUNACRT=" + QString::number(MonthToSerial(workingMonth)));
    for (const QString& locality : localities)
        codes.append({locality, IsSettingsKey(locality) ? ReadSetting(kPostalSection, locality).trimmed() : QString()});
    return codes;
}

void StorePostalCodes(const QList<PostalCode>& codes)
{
    for (const auto& [locality, code] : codes)
        if (IsSettingsKey(locality))
            WriteSetting(kPostalSection, locality, code.trimmed());
}

QString StoredSiruta()
{
    return ReadSetting(QStringLiteral("CONST"), QStringLiteral("SIRUTA")).trimmed();
}

void StoreSiruta(const QString& siruta)
{
    WriteSetting(QStringLiteral("CONST"), QStringLiteral("SIRUTA"), siruta.trimmed());
}

QString SirutaProblem(const QString& siruta)
{
    const QString code = siruta.trimmed();
    if (code.size() <= 3)
        return QStringLiteral("Nu ati scris SIRUTA!");
    const bool digits = std::all_of(code.cbegin(), code.cend(), [](QChar c) { return c >= '0' && c <= '9'; });
    if (!digits || code.size() > 12)
        return QStringLiteral("Codul SIRUTA are doar cifre, cel mult 12!");
    return QString();
}

} // namespace hestavo
