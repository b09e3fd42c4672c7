// The monthly package from the command line: the same function as the main
// window's "Pachet lunar". Blocking findings of the month check or of the
// cross-check stop it (exit status 1, as "check") unless --force is given;
// "package-verify" cross-checks a package already written.
#include "tools/hestavo-cli/CliCommand.h"

#include "documents/OutputError.h"
#include "documents/TemplateStore.h"
#include "package/CrossCheck.h"
#include "package/MonthlyPackage.h"
#include "register/AdminSettings.h"
#include "reports/ExportError.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

using namespace cli;
using namespace hestavo;

namespace {

const QString kUsage =
    QStringLiteral("--out DIR [--payment-date zz.LL.AAAA] [--account 073|074|both] [--force]");

PackageRequest ParseRequest(const QStringList& words)
{
    PackageRequest request;
    request.paymentDate = QDate::currentDate();
    QString account = QStringLiteral("both");
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& w = words[i];
        const bool hasValue = i + 1 < words.size();
        if (w == QLatin1String("--force"))
            request.force = request.forceDifferences = true;
        else if (w == QLatin1String("--out") && hasValue)
            request.outputFolder = words[++i];
        else if (w == QLatin1String("--payment-date") && hasValue)
            request.paymentDate = QDate::fromString(words[++i], QStringLiteral("dd.MM.yyyy"));
        else if (w == QLatin1String("--account") && hasValue)
            account = words[++i];
        else
            throw CliFailure("Utilizare: package " + kUsage);
    }
    if (request.outputFolder.isEmpty())
        throw CliFailure("Lipseste --out (" + kUsage + ")");
    if (!request.paymentDate.isValid())
        throw CliFailure(QStringLiteral("Data platii este incorecta! (zz.LL.AAAA)"));
    if (account != "073" && account != "074" && account != "both")
        throw CliFailure("Cont incorect: " + account + " (073, 074 sau both)");
    request.account073 = account != "074";
    request.account074 = account != "073";
    if (!QFileInfo(request.outputFolder).isDir())
        throw CliFailure("Directorul " + request.outputFolder + " nu exista!");
    request.outputFolder = QFileInfo(request.outputFolder).absoluteFilePath();
    return request;
}

void PrintFindings(const std::vector<MonthFinding>& findings)
{
    for (const MonthFinding& f : findings)
        if (f.blocking)
            PrintLine(QStringList{"blocant", QString::number(f.number), QString::number(f.key), f.holder, f.rule, f.detail}
                          .join(QStringLiteral(" | ")));
    for (const QString& line : FindingsSummary(findings))
        PrintLine(line);
}

void RunPackage(CliContext& context, const QStringList& words)
{
    PackageRequest request = ParseRequest(words);
    request.workingMonth = context.workingMonth();
    const AdminSettings settings = LoadAdminSettings();
    if (const std::optional<QString> problem = SettingsProblem(request.workingMonth, settings))
        throw CliFailure(problem->trimmed().replace(u'\r', u'\n'));
    MaterializeTemplates();   // as the program's start-up does
    PackageOutcome outcome;
    try {
        outcome = MakeMonthlyPackage(request, settings, [&context](const QString& step) { context.progress(step); });
    } catch (const OutputError& e) {
        throw CliFailure(e.message().trimmed().replace(u'\r', u'\n'));
    } catch (const ExportError& e) {
        throw CliFailure(e.message().trimmed());
    }
    PrintFindings(outcome.findings);
    for (const QString& line : outcome.differences)
        PrintLine("diferenta: " + line);
    if (outcome.blocked && !outcome.differences.isEmpty())
        throw CliFailure(QString::number(outcome.differences.size())
                         + " diferente intre fisierele pachetului: pachetul nu a fost scris (--force il scrie totusi).");
    if (outcome.blocked)
        throw CliFailure(QString::number(BlockingCount(outcome.findings))
                         + " constatari blocante: pachetul nu a fost scris (--force il scrie totusi).");
    for (const PackageFile& f : outcome.files)
        PrintLine("fisier: " + f.path + " | " + f.recipient + " | randuri: " + QString::number(f.rows));
    for (const QString& line : PackageSummary(outcome))
        PrintLine(line);
}

void RunVerify(CliContext& context, const QStringList& words)
{
    if (words.size() != 2 || words[0] != QLatin1String("--folder"))
        throw CliFailure(QStringLiteral("Utilizare: package-verify --folder DIR"));
    if (!QFileInfo(words[1]).isDir())
        throw CliFailure("Directorul " + words[1] + " nu exista!");
    const CrossCheckResult result = CrossCheckPackage(words[1], context.workingMonth(), QDate::currentDate());
    for (const QString& line : result.report)
        PrintLine(line);
    if (!result.differences.isEmpty())
        throw CliFailure(QString::number(result.differences.size()) + " diferente intre fisierele pachetului.");
}

const CliRegistration package{{"package", kUsage,
                               "pachetul lunar: verificarea lunii, toate fisierele lunii in Pachet_LL_AAAA si arhiva .zip",
                               RunPackage}};
const CliRegistration verify{{"package-verify", "--folder DIR",
                              "verificarea incrucisata a unui pachet lunar deja scris; iese cu 1 la diferente", RunVerify}};

} // namespace
