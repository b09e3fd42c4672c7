// The monthly AJPIS report from the command line: the same function as the
// main window's "Raport AJPIS", with the period and the output folder given
// as options. Each workbook written is printed with its rows and its total.
#include "tools/hestavo-cli/CliCommand.h"

#include "register/AdminSettings.h"
#include "reports/AjpisReport.h"

#include <QDate>
#include <QDir>

using namespace cli;
using namespace hestavo;

namespace {

const QString kUsage = QStringLiteral("--from zz.ll.aaaa --to zz.ll.aaaa --out DIR");

// The value following an option among the arguments.
QString OptionValue(const QStringList& arguments, const QString& option)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size())
        throw CliFailure("Lipseste " + option + " (" + kUsage + ")");
    return arguments.at(at + 1);
}

QDate DateOption(const QStringList& arguments, const QString& option)
{
    const QString text = OptionValue(arguments, option);
    const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid())
        throw CliFailure("Data " + text + " (" + option + ") este incorecta!");
    return date;
}

class CliProgress : public AjpisProgress {
public:
    explicit CliProgress(const CliContext& context) : m_context(context) {}
    void stage(const QString& text, bool) override { m_context.progress(text.trimmed()); }

private:
    const CliContext& m_context;
};

int Serial(const QDate& date)
{
    return date.year() * 12 + date.month() - 1;
}

void RunAjpis(CliContext& context, const QStringList& arguments)
{
    const QDate from = DateOption(arguments, QStringLiteral("--from"));
    const QDate to = DateOption(arguments, QStringLiteral("--to"));
    if (to < from)
        throw CliFailure(QStringLiteral("Perioada incorecta!"));
    const QString month = context.workingMonth();
    const AdminSettings settings = LoadAdminSettings();
    if (const std::optional<QString> problem = SettingsProblem(month, settings))
        throw CliFailure(problem->trimmed());
    const QString folder = EmptyOutputFolder(OptionValue(arguments, QStringLiteral("--out")));
    CliProgress progress(context);
    const AjpisOutcome outcome = WriteAjpisReport({month, Serial(from), Serial(to), folder}, settings, &progress);
    for (const AjpisFile& file : outcome.files)
        PrintLine("fisier: " + file.name + " | randuri: " + QString::number(file.rows)
                  + " | total: " + QString::number(file.total, 'f', 2));
    for (const QString& name : outcome.writtenEmpty)
        PrintLine("fara date, scris gol: " + name);
    for (const QString& name : outcome.withoutData)
        PrintLine("fara date: " + name);
}

const CliRegistration ajpis{{"ajpis", kUsage, "raportul lunar AJPIS (anexele 13 - 25) al perioadei", RunAjpis, 6, 6}};

} // namespace
