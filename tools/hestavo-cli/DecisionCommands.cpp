// Commands of the numbering and the mayor's decisions: decision and report
// numbers over an interval of applications, the document of separate
// decisions of one status, and the single cumulative decision.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Months.h"
#include "documents/TemplateStore.h"
#include "register/AdminSettings.h"
#include "register/DecisionList.h"
#include "register/DocumentRefusal.h"
#include "register/Numbering.h"
#include "register/ReportList.h"
#include "register/SingleDecision.h"

#include <QDate>
#include <QHash>

using namespace cli;
using namespace hestavo;

namespace {

// "--name value" pairs and "--flag" words; anything else is refused.
class Options {
public:
    Options(const QStringList& arguments, const QStringList& flags)
    {
        for (int i = 0; i < arguments.size(); ++i) {
            const QString& word = arguments[i];
            if (!word.startsWith("--"))
                throw CliFailure("Argument necunoscut: " + word);
            if (flags.contains(word))
                m_values.insert(word, QStringLiteral("1"));
            else if (i + 1 < arguments.size())
                m_values.insert(word, arguments[++i]);
            else
                throw CliFailure("Lipseste valoarea optiunii " + word);
        }
    }
    bool has(const QString& name) const { return m_values.contains(name); }
    QString text(const QString& name) const { return m_values.value(name); }
    qint64 number(const QString& name) const
    {
        if (!has(name))
            return 0;
        bool ok = false;
        const qint64 n = text(name).toLongLong(&ok);
        if (!ok)
            throw CliFailure("Numar incorect: " + name + " " + text(name));
        return n;
    }
    QDate date(const QString& name, const QDate& otherwise) const
    {
        if (!has(name))
            return otherwise;
        const QDate d = QDate::fromString(text(name), QStringLiteral("dd.MM.yyyy"));
        if (!d.isValid())
            throw CliFailure("Data incorecta: " + text(name) + " (zz.LL.AAAA)");
        return d;
    }

private:
    QHash<QString, QString> m_values;
};

QString MonthOf(const CliContext& context)
{
    const QString month = context.workingMonth();
    if (month.size() < 7 || MonthToSerial(month) == 0)
        throw CliFailure("Alegeti mai intai o luna de la butonul Perioada! (" + month + ")");
    return month;
}

void Refuse(const NumberingProblem& problem)
{
    if (problem.field >= 0)
        throw CliFailure(problem.text);
}

DecisionSelection SelectionNamed(const QString& name)
{
    const QStringList names{"toate", "aprobate", "aprobate-cu-modificare", "modificate", "incetate", "respinse"};
    const int i = names.indexOf(name.isEmpty() ? QStringLiteral("toate") : name);
    if (i < 0)
        throw CliFailure("Alegere necunoscuta: " + name + " (" + names.join('|') + ")");
    return DecisionSelection(i);
}

void RunNumberDecisions(CliContext& context, const QStringList& arguments)
{
    const QString month = MonthOf(context);
    const Options o(arguments, {"--same-number", "--clear-others"});
    DecisionNumbering n;
    n.from = o.number("--from");
    n.to = o.number("--to");
    n.first = o.number("--first");
    n.date = o.date("--date", QDate::currentDate());
    n.selection = SelectionNamed(o.text("--status"));
    // Choosing the plain approvals gives them all one number, as the dialog does.
    n.sameNumber = o.has("--same-number") || n.selection == DecisionSelection::Approved;
    n.clearOthers = o.has("--clear-others");
    Refuse(CheckDecisionNumbering(n));
    context.progress(QStringLiteral("Renumerotez ..."));
    PrintLine("cereri numerotate: " + QString::number(NumberDecisions(month, n, nullptr)));
    PrintLine(QStringLiteral("Dispozitiile au fost numerotate."));
}

void RunNumberReports(CliContext& context, const QStringList& arguments)
{
    const QString month = MonthOf(context);
    const Options o(arguments, {"--same-as-application"});
    ReportNumbering n;
    n.from = o.number("--from");
    n.to = o.number("--to");
    n.sameAsApplication = o.has("--same-as-application");
    n.first = o.number("--first");
    Refuse(CheckReportNumbering(n));
    context.progress(QStringLiteral("Numerotez ..."));
    PrintLine("cereri numerotate: " + QString::number(NumberReports(month, n, nullptr)));
    PrintLine(n.sameAsApplication ? QStringLiteral("Am terminat!") : QStringLiteral("Referatele au fost numerotate."));
}

// The first day of the month after today: the dialog's first choice.
QDate NextMonthStart()
{
    const QDate today = QDate::currentDate();
    return QDate(today.year(), today.month(), 1).addMonths(1);
}

void RunDecisions(CliContext& context, const QStringList& arguments)
{
    const QString month = MonthOf(context);
    DecisionListing listing;
    listing.status = arguments.value(0);
    if (DecisionTemplateFile(listing.status).isEmpty())
        throw CliFailure(QStringLiteral("Alegeti APROBAT, MODIFICAT, INCETAT sau RESPINS."));
    const Options o(arguments.mid(1), {});
    listing.from = o.number("--from");
    listing.to = o.number("--to");
    listing.aidStart = o.date("--aid-start", NextMonthStart());
    if (listing.to < listing.from)
        throw CliFailure(QStringLiteral("Intervalul ales este incorect!"));
    if (o.text("--out").isEmpty())
        throw CliFailure(QStringLiteral("Dati fisierul de iesire: --out FISIER.rtf"));
    MaterializeTemplates();  // as the program's start-up does
    try {
        const int written = WriteDecisions(month, listing, LoadAdminSettings(), o.text("--out"));
        PrintLine("dispozitii: " + QString::number(written));
    } catch (const DocumentRefusal& refusal) {
        throw CliFailure(refusal.text().trimmed());
    }
}

// The dialog's texts default to the ones last confirmed and are stored back,
// as the dialog does.
void RunSingleDecision(CliContext& context, const QStringList& arguments)
{
    const QString month = MonthOf(context);
    const Options o(arguments, {});
    SingleDecisionChoice choice = StoredSingleDecisionTexts();
    choice.number = o.number("--number");
    choice.start = o.date("--date", QDate::currentDate());
    if (o.has("--period"))
        choice.period = o.text("--period");
    if (o.has("--payment-date"))
        choice.paymentDate = o.text("--payment-date");
    if (o.has("--tribunal"))
        choice.tribunal = o.text("--tribunal");
    const QString problem = SingleDecisionProblem(choice);
    if (!problem.isEmpty())
        throw CliFailure(problem);
    if (o.text("--out").isEmpty())
        throw CliFailure(QStringLiteral("Dati fisierul de iesire: --out FISIER.xls"));
    StoreSingleDecisionTexts(choice);
    MaterializeTemplates();  // as the program's start-up does
    try {
        const SingleDecisionResult result = WriteSingleDecision(month, choice, LoadAdminSettings(), o.text("--out"));
        PrintLine("anexa 1: " + QString::number(result.annex1Rows));
        PrintLine("anexa 2: " + QString::number(result.annex2Rows));
    } catch (const DocumentRefusal& refusal) {
        throw CliFailure(refusal.text().trimmed());
    }
}

void RunReports(CliContext& context, const QStringList& arguments)
{
    const QString month = MonthOf(context);
    const Options o(arguments, {});
    const ReportListing listing{o.number("--from"), o.number("--to"), o.date("--date", DefaultReportDate())};
    if (listing.to < listing.from)
        throw CliFailure(QStringLiteral("Interval incorect!"));
    if (o.text("--out").isEmpty())
        throw CliFailure(QStringLiteral("Dati fisierul de iesire: --out FISIER.rtf"));
    MaterializeTemplates();  // as the program's start-up does
    try {
        PrintLine("referate: " + QString::number(WriteReports(month, listing, LoadAdminSettings(), o.text("--out"))));
    } catch (const DocumentRefusal& refusal) {
        throw CliFailure(refusal.text().trimmed());
    }
}

const CliRegistration numberDecisions{{"number decisions",
                                       "--from A --to B --first F --date zz.LL.AAAA [--status toate|aprobate|"
                                       "aprobate-cu-modificare|modificate|incetate|respinse] [--same-number] "
                                       "[--clear-others]",
                                       "numeroteaza dispozitiile cererilor A..B", RunNumberDecisions}};
const CliRegistration numberReports{{"number reports", "(--same-as-application | --from A --to B --first N)",
                                     "numeroteaza referatele cererilor aprobate", RunNumberReports}};
const CliRegistration decisions{{"decisions", "APROBAT|MODIFICAT|INCETAT|RESPINS --from A --to B "
                                              "[--aid-start zz.LL.AAAA] --out FISIER.rtf",
                                 "listeaza dispozitiile separate ale unui statut", RunDecisions}};
const CliRegistration singleDecision{{"decisions single",
                                      "--number N [--date zz.LL.AAAA] [--period TEXT] [--payment-date TEXT] "
                                      "[--tribunal TEXT] --out FISIER.xls",
                                      "listeaza dispozitia unica de stabilire cu anexele ei", RunSingleDecision}};
const CliRegistration reports{{"reports", "--from A --to B [--date zz.LL.AAAA] --out FISIER.rtf",
                               "listeaza referatele catre primar", RunReports}};

} // namespace
