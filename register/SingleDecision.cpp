#include "register/SingleDecision.h"

#include <QRegularExpression>

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "documents/SpreadsheetOutput.h"
#include "documents/TemplateStore.h"
#include "engine/Database.h"
#include "register/DocumentRefusal.h"
#include "register/DocumentRows.h"

#include <QFileInfo>

namespace hestavo {

namespace {

const QString kTitle = QStringLiteral("Listare Dispozitie Unica");
const QString kSection = QStringLiteral("DISPCUM");

// The plain approvals (without modification) of the decision.
const QString kPlainApproval = QStringLiteral(" AND STATUT=\"APROBAT\" AND (CUMODIF<>\"X\" OR CUMODIF IS NULL)");
const QString kAnnexColumns = QStringLiteral(
    "SELECT TITULAR, CNP, (\"loc.\"+LOCALIT+\", \"+ADRESA) AS ADRESA, NR_MEMBRI, CUANTUM, NR_LUNI, "
    "SUMAL, SUMAG, SUMAE, SUMAT, DATADISP, DATACERE");

// FROM and the conditions every statement of the decision carries.
QString OfDecision(const QString& workingMonth, qint64 number)
{
    return " FROM " + quotedTable(QStringLiteral("Cereri.dbf")) + " WHERE CAST(NR_DISP AS FLOAT)="
        + QString::number(number) + " AND LUNACRT=" + QString::number(MonthToSerial(workingMonth));
}

std::unique_ptr<engine::ResultSet> Open(const QString& statement) { return Db().open(statement.toStdString()); }

// A whole-number column of a one-row result; empty when null.
QString Whole(const engine::ResultSet& rs, const char* column)
{
    return rs.eof() || rs.isNull(column) ? QString() : RowWhole(rs, column);
}

// The first row's value of a date column, else the other result's.
std::optional<engine::Date> FirstDate(engine::ResultSet& rows, engine::ResultSet& otherwise, const char* column)
{
    rows.first();
    engine::ResultSet& source = rows.eof() ? otherwise : rows;
    source.first();
    if (source.eof())
        return std::nullopt;
    auto d = source.date(column);
    return d && d->isValid() ? d : std::nullopt;
}

QString DateText(const std::optional<engine::Date>& d)
{
    return d ? QString::fromStdString(d->toText()) : QString();
}

QString TemplatePath()
{
    const EditableTemplate* entry = FindEditableTemplate(QStringLiteral("StabilireU.xls"));
    const QString model = entry ? EditableTemplatePath(*entry) : QStringLiteral("StabilireU.xls");
    if (!entry || !QFileInfo(model).isFile())
        throw DocumentRefusal(kTitle, "Nu exista modelul " + model + "!");
    return model;
}

void Replace(SpreadsheetOutput& book, const std::vector<std::pair<QString, QString>>& markers)
{
    for (const auto& [marker, value] : markers)
        book.ReplaceMarker(marker, SpreadsheetOutput::CellValue::fromText(value));
}

// "1 familie sau persoană singură", "5 familii și persoane singure", "20 de
// familii și persoane singure": the number agrees with its noun.
QString Families(qint64 n)
{
    if (n == 1)
        return QStringLiteral("1 familie sau persoană singură");
    const bool of = n > 0 && (n % 100 == 0 || n % 100 >= 20);
    return QString::number(n) + (of ? QStringLiteral(" de") : QString()) + QStringLiteral(" familii și persoane singure");
}

// An annex without rows is not issued: its sheet goes and the article of
// sheet 1 that cites it says that nobody receives the right.
void LeaveOutAnnex(SpreadsheetOutput& book, int annex, const QString& article)
{
    workbook::Workbook& b = *book.Book();
    book.SelectSheet(1);
    const QString cited = QStringLiteral("Anexa nr. %1").arg(annex);
    for (int r = 0; r <= b.lastRow(); ++r)
        for (int c = 0; c <= b.lastColumn(); ++c) {
            const QString text = b.cellText(r, c);
            static const QRegularExpression head(QStringLiteral("^\\s*(Art\\.\\s*\\d+\\.)"));
            const auto m = head.match(text);
            if (m.hasMatch() && text.contains(cited))
                b.setCell(r, c, SpreadsheetOutput::CellValue::fromText(m.captured(1) + " " + article));
        }
    book.SelectSheet(annex + 1);
    if (book.SheetCount() > annex)
        book.DeleteActiveSheet();
    book.SelectSheet(1);
}

} // namespace

SingleDecisionChoice StoredSingleDecisionTexts()
{
    SingleDecisionChoice c;
    c.period = ReadSetting(kSection, QStringLiteral("PERIOADA"));
    c.paymentDate = ReadSetting(kSection, QStringLiteral("DATAP"));
    c.tribunal = ReadSetting(kSection, QStringLiteral("TRIBUNAL"));
    return c;
}

void StoreSingleDecisionTexts(const SingleDecisionChoice& choice)
{
    WriteSetting(kSection, QStringLiteral("PERIOADA"), choice.period);
    WriteSetting(kSection, QStringLiteral("DATAP"), choice.paymentDate);
    WriteSetting(kSection, QStringLiteral("TRIBUNAL"), choice.tribunal);
}

QString SingleDecisionProblem(const SingleDecisionChoice& choice)
{
    return choice.number < 1 ? QStringLiteral("De emotie, ati uitat sa scrieti numarul de Dispozitie de listat!")
                             : QString();
}

SingleDecisionResult WriteSingleDecision(const QString& workingMonth, const SingleDecisionChoice& choice,
                                         const AdminSettings& settings, const QString& output)
{
    const QString number = QString::number(choice.number);
    const QString of = OfDecision(workingMonth, choice.number);
    auto approvals = Open("SELECT *" + of + kPlainApproval + " ORDER BY TITULAR");
    approvals->first();
    if (approvals->eof())
        throw DocumentRefusal(kTitle, "\rNu exista Dipozitia Aprobata cu nr." + number + " !");
    const QString model = TemplatePath();
    if (!output.isEmpty() && TemplateIsOpen(output))
        throw DocumentRefusal(kTitle, QStringLiteral("Nu pot scrie pe harddisk!"));

    const QString withAid = of + kPlainApproval + " AND CUAJUT=\"X\"";
    auto totals = Open("SELECT Count(*) AS NRX, MAX(NR_CERE) AS NR0, MIN(NR_CERE) AS NR1, MAX(NR_LUNI) AS NRLUNI" + withAid);
    totals->first();
    auto supplements = Open("SELECT Count(*) AS NRX" + of + " AND STATUT=\"APROBAT\" AND SUMAL+SUMAG+SUMAE+SUMAT>0");
    supplements->first();
    auto annex1 = Open(kAnnexColumns + withAid + " ORDER BY TITULAR");
    auto annex2 = Open(kAnnexColumns + of + " AND STATUT=\"APROBAT\" AND (SUMAL+SUMAG+SUMAE+SUMAT)>0 ORDER BY TITULAR");

    // An approval with supplements only leaves annex 1 empty: the decision's
    // dates then come from the first approval of the decision.
    const std::optional<engine::Date> decisionDate = FirstDate(*annex1, *approvals, "DATADISP");
    const std::optional<engine::Date> applicationDate = FirstDate(*annex1, *approvals, "DATACERE");
    std::optional<engine::Date> annex2Date = FirstDate(*annex2, *annex1, "DATADISP");
    if (!annex2Date)
        annex2Date = decisionDate;

    SpreadsheetOutput book;
    if (!book.OpenWorkbook(model, false))
        throw DocumentRefusal(kTitle, "Nu exista modelul " + model + "!");
    if (!output.isEmpty())
        book.OutputFile = output;
    SingleDecisionResult result;
    result.annex1Rows = annex1->recordCount();
    result.annex2Rows = annex2->recordCount();
    Replace(book, {
        {"[JUDET]", settings.judet},
        {"[PRIMAR]", settings.primar},
        {"[SECRETAR]", settings.viceprimar},
        {"[TIPLOC]", LocalityTypes().value(settings.tiploc)},
        {"[LOC]", settings.primaria},
        {"[DISPNR]", number},
        {"[DISPDATA]", DateText(decisionDate)},
        {"[ANUL]", applicationDate ? QString::number(applicationDate->year) : QString()},
        {"[LUNA]", applicationDate ? MonthName(applicationDate->month) : QString()},
        {"[NR0]", Whole(*totals, "NR0")},
        {"[NR1]", Whole(*totals, "NR1")},
        {"[NRLUNI]", Whole(*totals, "NRLUNI")},
        {"[NRSUP]", Whole(*supplements, "NRX")},
        {"[NRCERERI]", Whole(*totals, "NRX")},
        {"[DATASTART]", choice.start.toString(QStringLiteral("dd.MM.yyyy"))},
        {"[PERIOADA]", choice.period},
        {"[NRAPROB]", QString::number(result.annex1Rows)},
        {"[FAMILIIAPROB]", Families(result.annex1Rows)},
        {"[FAMILIISUP]", Families(qint64(supplements->number("NRX")))},
        {"[DATAPLATII]", choice.paymentDate},
        {"[TRIBUNAL]", choice.tribunal},
    });
    Replace(book, UnitKindTags(settings.tiploc));
    book.SelectSheet(2);
    Replace(book, {{"[DISPNR]", number}, {"[DISPDATA]", DateText(decisionDate)}, {"[INTOCMIT]", settings.intocmit}});
    book.FillRows(*annex1);
    book.SelectSheet(3);
    Replace(book, {{"[DISPNR]", number}, {"[DISPDATA]", DateText(annex2Date)}, {"[INTOCMIT]", settings.intocmit}});
    book.FillRows(*annex2);
    // Annex 2 first: deleting sheet 2 would renumber it.
    if (result.annex2Rows == 0)
        LeaveOutAnnex(book, 2, QStringLiteral("Prin prezenta dispoziție nu se stabilește dreptul la suplimentul pentru energie."));
    if (result.annex1Rows == 0)
        LeaveOutAnnex(book, 1, QStringLiteral("Prin prezenta dispoziție nu se stabilește dreptul la ajutorul pentru încălzirea locuinței."));
    book.SelectSheet(1);
    book.CloseWorkbook(false);
    result.file = book.OutputFile;
    return result;
}

} // namespace hestavo
