// The check of the working month before its files go out: one line per
// finding, a summary, and the list as a workbook on request. Exits with
// status 1 while any finding is blocking.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Months.h"
#include "register/AdminSettings.h"
#include "register/MonthCheck.h"

#include <QFileInfo>

using namespace cli;
using namespace hestavo;

namespace {

QString OutputFile(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return QString();
    if (arguments.size() != 2 || arguments[0] != QLatin1String("--out") || arguments[1].isEmpty())
        throw CliFailure(QStringLiteral("Folosire: check [--out FISIER.xls]"));
    return QFileInfo(arguments[1]).absoluteFilePath();
}

void RunCheck(CliContext& context, const QStringList& arguments)
{
    const QString output = OutputFile(arguments);
    const int month = MonthToSerial(context.workingMonth());
    context.progress(QStringLiteral("Verific luna..."));
    const std::vector<MonthFinding> findings = CheckMonth(month, LoadAdminSettings().brackets);
    for (const MonthFinding& f : findings)
        PrintLine(QStringList{f.blocking ? "blocant" : "avertisment", QString::number(f.number), QString::number(f.key),
                              f.holder, f.rule, f.detail}
                      .join(QStringLiteral(" | ")));
    for (const QString& line : FindingsSummary(findings))
        PrintLine(line);
    if (!output.isEmpty()) {
        workbook::exportGrid(FindingsGrid(findings), workbook::GridFormat::Excel, output);
        PrintLine("fisier: " + output);
    }
    if (const int blocking = BlockingCount(findings); blocking > 0)
        throw CliFailure(QString::number(blocking) + " constatari blocante: corectati datele inainte de raportare.");
}

const CliRegistration check{{"check", "[--out FISIER.xls]",
                             "verificarea lunii de lucru inainte de raportare; iese cu 1 cand ceva blocheaza", RunCheck,
                             0, 2}};

} // namespace
