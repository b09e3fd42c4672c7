#include "reports/AjpisReport.h"

#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "documents/SpreadsheetOutput.h"
#include "documents/TemplateStore.h"
#include "reports/AjpisReportGrids.h"
#include "reports/AjpisReportRecords.h"
#include "reports/DecisionReference.h"
#include "reports/ExportError.h"
#include "reports/FileNameText.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cmath>
#include <memory>

namespace hestavo {

namespace {

const QString kHeading = QStringLiteral("Raport AJPIS");
const QString kActive = QStringLiteral("(STATUT=\"APROBAT\" OR STATUT=\"MODIFICAT\")");
const QString kNotStopped = QStringLiteral("STATUT<>\"RESPINS\" AND STATUT<>\"INCETAT\"");

using workbook::CellValue;

Money ToMoney(double value)
{
    return std::llround(value * kMoneyUnit);
}

std::optional<int> OptionalInt(engine::ResultSet& rs, const char* column)
{
    return rs.isNull(column) ? std::nullopt : std::optional<int>(int(rs.integer(column)));
}

std::optional<Money> OptionalMoney(engine::ResultSet& rs, const char* column)
{
    return rs.isNull(column) ? std::nullopt : std::optional<Money>(ToMoney(rs.number(column)));
}

QString Text(engine::ResultSet& rs, const char* column)
{
    return QString::fromStdString(rs.text(column));
}

// The kinds of energy of Annexes 23 and 24.
struct EnergyKind {
    const char* column;
    const char* suffix;
    const char* title;
};
constexpr EnergyKind kKinds[] = {{"SUMAL", "_Lemne", "Combustibili solizi/petrolieri"},
                                 {"SUMAG", "_Gaz", "Gaze naturale"},
                                 {"SUMAE", "_Electrica", "Energie electrica"},
                                 {"SUMAT", "_Termica", "Energie termica"}};

// The supplement lists of Annexes 15 to 17 share one statement shape.
struct SupplementList {
    const char* templateFile;
    const char* columns;
    const char* amount;
    const char* progress;
};

class AjpisWriter {
public:
    AjpisWriter(const AjpisRequest& request, const AdminSettings& settings, AjpisProgress* progress)
        : m_request(request), m_settings(settings), m_progress(progress)
    {
    }

    AjpisOutcome run()
    {
        {
            DecisionReferenceTable references;
            m_references = quotedPath(references.path());
            // The approved applications of the period with aid feed both
            // Annex 13/21 and the payments grid of Annex 22.
            const std::vector<AjpisGridRow> aided = annex13And21();
            stage(QStringLiteral("Fac Anexa 13 Cumulata..."), true);
            annex13Cumulated();
            stage(QStringLiteral(" Generez Anexa 22..."), true);
            annex22(aided);
            annex14();
            annexes15To17();
            annexes23And24();
        }
        stage(QStringLiteral("Fac Anexa 25..."), true);
        annex25();
        return m_outcome;
    }

private:
    void stage(const QString& text, bool step)
    {
        if (m_progress)
            m_progress->stage(text, step);
    }

    QString period() const
    {
        return "AND LUNACRT>=" + QString::number(m_request.startSerial) + " AND LUNACRT<=" +
               QString::number(m_request.endSerial);
    }
    int monthSerial() const { return MonthToSerial(m_request.workingMonth); }
    QString month() const { return "WHERE LUNACRT=" + QString::number(monthSerial()); }
    QString cereri() const { return "FROM " + quotedTable("Cereri.dbf"); }
    QStringList joinReferences() const { return {cereri(), "LEFT JOIN " + m_references + " A", "ON NRCRT=A.NRCRT"}; }

    // Opens a copy of a fixed template, or the editable one in the data folder.
    void openFixed(SpreadsheetOutput& out, const QString& resource, const QString& stem)
    {
        const QString copy = WriteFixedTemplate(resource, stem, QStringLiteral(".xls"));
        if (copy.isEmpty())
            throw ExportError(kHeading, "\nNu pot scrie modelul " + resource + " in directorul temporar!");
        open(out, copy);
        m_copies << copy;
    }
    void openEditable(SpreadsheetOutput& out, const QString& file)
    {
        const EditableTemplate* t = FindEditableTemplate(file);
        const QString path = t ? EditableTemplatePath(*t) : QDir(paths().dataFolder).filePath(file);
        open(out, path);
    }
    void open(SpreadsheetOutput& out, const QString& path)
    {
        if (!out.OpenWorkbook(path, false))
            throw ExportError(kHeading, "\nNu exista modelul " + QDir::toNativeSeparators(path) + "!");
        out.BlankValue = CellValue::fromNumber(0);
    }

    // Saves the workbook straight into the output folder under its name. The
    // workbook engine writes a side file there and renames it when complete,
    // so the file appears only whole.
    void publish(SpreadsheetOutput& out, const QString& name, int rows, double total)
    {
        out.SelectSheet(1);
        out.OutputFile = QDir(m_request.outputFolder).filePath(name);
        out.CloseWorkbook(false);
        for (const QString& copy : std::as_const(m_copies))
            QFile::remove(copy);
        m_copies.clear();
        m_outcome.files.append({name, rows, std::round(total * 100) / 100});
    }
    // A return the county agency expects every month: written with or
    // without rows, and named when it has none.
    void publishReturn(SpreadsheetOutput& out, const QString& name, int rows, double total)
    {
        publish(out, name, rows, total);
        if (rows == 0)
            m_outcome.writtenEmpty << name;
    }

    void replace(SpreadsheetOutput& out, const QString& marker, const QString& value)
    {
        out.ReplaceMarker(marker, CellValue::fromText(value));
    }
    void writeGrid(SpreadsheetOutput& out, const AjpisGrid& grid)
    {
        for (const auto& [cell, value] : grid.cells)
            out.SetCell(cell.first, cell.second, CellValue::fromNumber(value));
    }
    // The town hall's identification in the heading of Annex 13.
    void replaceIdentification(SpreadsheetOutput& out)
    {
        replace(out, "[JUDET]", m_settings.judet);
        replace(out, "[UAT]", m_settings.primaria);
        replace(out, "[CIF]", m_settings.sirues);
        replace(out, "[PRIMAR]", m_settings.primar);
    }
    QString countyWithCode() const { return m_settings.codjud + "   " + m_settings.judet; }
    QString monthText() const { return m_request.workingMonth.left(2); }
    QString yearText() const { return m_request.workingMonth.mid(3, 4); }

    std::vector<AjpisGridRow> annex13And21()
    {
        auto s1 = Db().open(sqlLines(QStringList{"SELECT TITULAR, CNP, LOCALIT+\" \"+ADRESA AS ADRESA, A.NR_DISP, "
                                                 "NR_MEMBRI, VENITM, NR_LUNI, CUANTUM, TOTAL"}
                                     + joinReferences()
                                     + QStringList{"WHERE " + kActive + " AND TOTAL>0", period(),
                                                   "ORDER BY NR_LUNI, TITULAR"}));
        std::vector<AjpisGridRow> rows;
        int listed = 0;
        double total = 0;
        for (s1->first(); !s1->eof(); s1->next()) {
            AjpisGridRow row;
            row.members = OptionalInt(*s1, "NR_MEMBRI");
            row.income = OptionalMoney(*s1, "VENITM");
            row.aidMonths = OptionalInt(*s1, "NR_LUNI");
            row.aid = OptionalMoney(*s1, "CUANTUM");
            row.amount = ToMoney(s1->number("TOTAL"));
            if (row.aidMonths && *row.aidMonths >= 1 && *row.aidMonths <= 5) {
                ++listed;
                total += s1->number("CUANTUM") * *row.aidMonths;
            }
            rows.push_back(row);
        }
        SpreadsheetOutput out;
        openFixed(out, QStringLiteral("AJPIS"), QStringLiteral("AJPIS"));
        replaceIdentification(out);
        // Sheet j lists the applications of 6 - j months of aid.
        for (int j = 1; j <= 5; ++j) {
            out.SelectSheet(j);
            s1->setFilter(("NR_LUNI=" + QString::number(6 - j)).toStdString());
            s1->setFiltered(true);
            s1->first();
            out.FillRows(*s1);
        }
        s1->setFiltered(false);
        out.SelectSheet(6);
        replace(out, "[INTOCMIT]", m_settings.intocmit);
        writeGrid(out, StatisticsGrid(rows, m_settings.brackets));
        publishReturn(out, QStringLiteral("Anexa13_21.xls"), listed, total);
        return rows;
    }

    void annex22(const std::vector<AjpisGridRow>& rows)
    {
        const AjpisGrid grid = PaymentsGrid(rows, m_settings.brackets);
        SpreadsheetOutput out;
        openFixed(out, QStringLiteral("Anexa22"), QStringLiteral("Anx22"));
        replace(out, "[INTOCMIT]", m_settings.intocmit);
        replace(out, "[UAT]", LocalityTypes().value(m_settings.tiploc) + " " + m_settings.primaria);
        writeGrid(out, grid);
        publishReturn(out, QStringLiteral("Anexa22.xls"), grid.rows, grid.total());
    }

    void annex13Cumulated()
    {
        auto current = Db().open(sqlLines(
            QStringList{"SELECT TITULAR, CNP, LOCALIT+\" \"+ADRESA AS ADRESA, A.NR_DISP, NR_MEMBRI, VENITM, CUANTUM, TOTAL"}
            + joinReferences() + QStringList{month(), "AND " + kActive, "ORDER BY TITULAR"}));
        // The earliest approved amounts of each holder in the months of the
        // period before the working month.
        auto earlier = Db().open(sqlLines({"SELECT LUNACRT, CNP, NR_LUNI, CUANTUM, TOTAL", cereri(),
                                           "WHERE " + kActive + " AND TOTAL>0",
                                           "AND LUNACRT>=" + QString::number(m_request.startSerial),
                                           "AND LUNACRT<" + QString::number(monthSerial()), "ORDER BY LUNACRT,CNP"}));
        QHash<QString, std::pair<double, double>> first;
        for (earlier->first(); !earlier->eof(); earlier->next()) {
            const QString cnp = Text(*earlier, "CNP");
            if (!cnp.isEmpty() && !first.contains(cnp))
                first.insert(cnp, {earlier->number("CUANTUM"), earlier->number("TOTAL")});
        }
        AjpisReportRecords records({"TITULAR", "CNP", "ADRESA", "NR_DISP"}, {"NR_MEMBRI", "VENITM", "CUANTUM", "TOTAL"});
        double total = 0;
        for (current->first(); !current->eof(); current->next()) {
            const QString cnp = Text(*current, "CNP");
            auto number = [&](const char* column) {
                return current->isNull(column) ? std::nullopt : std::optional<double>(current->number(column));
            };
            std::optional<double> aid = number("CUANTUM");
            std::optional<double> sum = number("TOTAL");
            if (sum.value_or(0) < 1 && first.contains(cnp)) {
                aid = first.value(cnp).first;
                sum = first.value(cnp).second;
            }
            total += sum.value_or(0);
            records.append({Text(*current, "TITULAR"), cnp, Text(*current, "ADRESA"), Text(*current, "NR_DISP")},
                           {number("NR_MEMBRI"), number("VENITM"), aid, sum});
        }
        SpreadsheetOutput out;
        openFixed(out, QStringLiteral("Anexa13"), QStringLiteral("Anx13C"));
        replaceIdentification(out);
        replace(out, "[LUNA]", monthText());
        replace(out, "[ANUL]", yearText());
        out.FillRows(records);
        publishReturn(out, QStringLiteral("Anexa13_Cumulat.xls"), records.recordCount(), total);
    }

    // The markers of the title block of Annexes 14 to 17 on the active sheet.
    void replaceListHeading(SpreadsheetOutput& out)
    {
        replace(out, "[JUDET]", countyWithCode());
        replace(out, "[LOCALIT]", m_settings.primaria);
        replace(out, "[PRIMAR]", m_settings.primar);
        replace(out, "[LUNA]", monthText());
        replace(out, "[ANUL]", yearText());
    }

    // One list of the working month's active applications with a supplement:
    // every sheet of the editable template receives all rows.
    void supplementList(const QString& file, const QString& columns, const QString& amount)
    {
        auto rs = Db().open(sqlLines(QStringList{"SELECT TITULAR, CNP, LOCALIT+\" \"+ADRESA AS ADRESA, A.NR_DISP, " + columns}
                                     + joinReferences()
                                     + QStringList{month(), "AND " + kActive + " AND " + amount + ">0", "ORDER BY TITULAR"}));
        double total = 0;
        for (rs->first(); !rs->eof(); rs->next())
            total += rs->number(amount.toStdString());
        SpreadsheetOutput out;
        openEditable(out, file);
        for (int sheet = 1; sheet <= out.SheetCount(); ++sheet) {
            out.SelectSheet(sheet);
            replaceListHeading(out);
            rs->first();
            out.FillRows(*rs);
        }
        publishReturn(out, file, rs->recordCount(), total);
    }

    void annex14()
    {
        stage(QStringLiteral(" Generez Anexa 14..."), false);
        supplementList(QStringLiteral("Anexa14.xls"), QStringLiteral("VENITM, CODCLT, SUMAT"), QStringLiteral("SUMAT"));
    }

    void annexes15To17()
    {
        const SupplementList lists[] = {
            {"Anexa15.xls", "NR_MEMBRI, VENITM, FURNG, CODCLG, PODG, SUMAG", "SUMAG", " Generez Anexa 15..."},
            {"Anexa16.xls", "NR_MEMBRI, VENITM, FURNE, CODCLE, PODE, SUMAE", "SUMAE", " Generez Anexa 16..."},
            {"Anexa17.xls", "NR_MEMBRI, VENITM, SUMAL", "SUMAL", " Generez Anexa 17..."}};
        for (const SupplementList& list : lists) {
            stage(QString::fromLatin1(list.progress), true);
            supplementList(QString::fromLatin1(list.templateFile), QString::fromLatin1(list.columns),
                           QString::fromLatin1(list.amount));
        }
    }

    void annexes23And24()
    {
        auto monthRows = Db().open(sqlLines({"SELECT DISTINCT LUNACRT", cereri(),
                                             "WHERE LUNACRT>=" + QString::number(m_request.startSerial),
                                             "AND LUNACRT<=" + QString::number(m_request.endSerial), "ORDER BY LUNACRT"}));
        std::vector<int> months;
        for (monthRows->first(); !monthRows->eof(); monthRows->next())
            months.push_back(int(monthRows->integer("LUNACRT")));
        auto rs = Db().open(sqlLines({"SELECT LUNACRT, NR_MEMBRI, VENITM, SUMAL, SUMAG, SUMAE, SUMAT", cereri(),
                                      "WHERE " + kNotStopped, period()}));
        std::vector<AjpisGridRow> byKind[4];
        for (rs->first(); !rs->eof(); rs->next()) {
            AjpisGridRow row;
            row.month = int(rs->integer("LUNACRT"));
            row.members = OptionalInt(*rs, "NR_MEMBRI");
            row.income = OptionalMoney(*rs, "VENITM");
            for (int i = 0; i < 4; ++i) {
                row.amount = ToMoney(rs->number(kKinds[i].column));
                if (row.amount > 0)
                    byKind[i].push_back(row);
            }
        }
        for (bool payments : {false, true}) {
            stage(payments ? QStringLiteral("Fac Anexa 24...") : QStringLiteral("Fac Anexa 23..."), true);
            for (int i = 0; i < 4; ++i)
                monthlyAnnex(byKind[i], months, kKinds[i], payments);
        }
    }

    void monthlyAnnex(const std::vector<AjpisGridRow>& rows, const std::vector<int>& months, const EnergyKind& kind,
                      bool payments)
    {
        const QString name = QString(payments ? "Anexa24" : "Anexa23") + kind.suffix + ".xls";
        if (rows.empty()) {
            m_outcome.withoutData << name;
            return;
        }
        const AjpisGrid grid = MonthlyGrid(rows, m_settings.brackets, months, payments, payments);
        SpreadsheetOutput out;
        openFixed(out, payments ? QStringLiteral("Anexa24") : QStringLiteral("Anexa23"),
                  payments ? QStringLiteral("Anx24") : QStringLiteral("Anx23"));
        replace(out, "[UAT]", m_settings.primaria);
        replace(out, "[INTOCMIT]", m_settings.intocmit);
        replace(out, "[TIPS]", QString::fromLatin1(kind.title));
        writeGrid(out, grid);
        publish(out, name, grid.rows, grid.total());
    }

    // Annex 25: one list per supplier of the working month's supplements,
    // one line per household and supplier with its amounts summed. The
    // solid-fuel supplements have no supplier and go under "Suplimente Lemne".
    void annex25()
    {
        const QString path = FreshTempFile(QStringLiteral("A25"), QStringLiteral(".dbf"));
        if (path.isEmpty())
            throw ExportError(kHeading, QStringLiteral("\nNu pot crea tabela temporara A25 in directorul temporar!"));
        struct Dropped {
            QString path;
            ~Dropped() { DropTemporaryTable(path); }
        } dropped{path};
        const QString table = quotedPath(path);
        Db().exec(sqlLines({"CREATE TABLE " + table, "(FURN CHAR(60), SUBSEMN CHAR(32), CNP CHAR(13), SUMA DECIMAL(10,2))"}));
        {
            auto transaction = Db().beginTransaction();
            const QString sources[][2] = {{"FURNE", "SUMAE"}, {"FURNG", "SUMAG"}, {"FURNT", "SUMAT"},
                                          {"\"Suplimente Lemne\"", "SUMAL"}};
            for (const auto& source : sources)
                Db().exec(sqlLines({"INSERT INTO " + table, "(FURN, SUBSEMN, CNP, SUMA)",
                                    "SELECT " + source[0] + ", TITULAR, CNP, " + source[1], cereri(), month(),
                                    "AND " + kNotStopped, "AND " + source[1] + ">0"}));
            Db().exec(sqlLines({"DELETE FROM " + table + " WHERE SUMA=0"}));
            transaction.commit();
        }
        auto rs = Db().open(sqlLines({"SELECT FURN, SUBSEMN, CNP, SUM(SUMA) AS SUMAT", "FROM " + table,
                                      "GROUP BY FURN, SUBSEMN, CNP", "ORDER BY FURN, SUBSEMN"}));
        QStringList suppliers;
        QList<std::shared_ptr<AjpisReportRecords>> lists;
        QList<double> totals;
        for (rs->first(); !rs->eof(); rs->next()) {
            const QString supplier = Text(*rs, "FURN");
            if (suppliers.isEmpty() || suppliers.last() != supplier) {
                suppliers << supplier;
                lists << std::make_shared<AjpisReportRecords>(QStringList{"SUBSEMN", "CNP"}, QStringList{"SUMAT"});
                totals << 0;
            }
            lists.last()->append({Text(*rs, "SUBSEMN"), Text(*rs, "CNP")}, {rs->number("SUMAT")});
            totals.last() += rs->number("SUMAT");
        }
        if (suppliers.isEmpty())
            m_outcome.withoutData << QStringLiteral("Anexa25");
        const QStringList fileParts = UniqueFileNameParts(suppliers);
        for (int i = 0; i < suppliers.size(); ++i) {
            SpreadsheetOutput out;
            openFixed(out, QStringLiteral("Anexa25"), QStringLiteral("Anx25"));
            replace(out, "[JUDET]", countyWithCode());
            replace(out, "[LOCALIT]", m_settings.primaria);
            replace(out, "[LUNA]", m_request.workingMonth);
            replace(out, "[FURNIZOR]", suppliers[i]);
            out.FillRows(*lists[i]);
            publish(out, "Anexa25_" + fileParts[i] + ".xls", lists[i]->recordCount(), totals[i]);
        }
    }

    const AjpisRequest& m_request;
    const AdminSettings& m_settings;
    AjpisProgress* m_progress;
    AjpisOutcome m_outcome;
    QString m_references;
    QStringList m_copies;
};

} // namespace

AjpisOutcome WriteAjpisReport(const AjpisRequest& request, const AdminSettings& settings, AjpisProgress* progress)
{
    return AjpisWriter(request, settings, progress).run();
}

} // namespace hestavo
