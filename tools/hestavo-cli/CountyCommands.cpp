// The county variant of the AJPIS report: the same annexes and CSV files as
// the window's "Raport AJPIS - BACAU", written straight into the folder given.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Months.h"
#include "register/AdminSettings.h"
#include "register/WorkingMonths.h"
#include "reports/CountyReport.h"
#include "reports/ExportError.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

using namespace cli;
using namespace hestavo;

namespace {

const QString kUsage = QStringLiteral("--payment-month LL.AAAA --out DIR");

// The two options, each with its value; CliFailure for anything else.
QMap<QString, QString> CountyOptions(const QStringList& arguments)
{
    QMap<QString, QString> options;
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2)
        options.insert(arguments[i], arguments[i + 1]);
    if (arguments.size() != 4 || !options.contains("--payment-month") || !options.contains("--out"))
        throw CliFailure("Utilizare: hestavo-cli ajpis-county " + kUsage);
    return options;
}

// "MM.YYYY" as the name of its month and its year.
PaymentMonth PaymentMonthOf(const QString& text)
{
    const int serial = MonthToSerial(text);
    if (serial <= 0 || text.size() != 7)
        throw CliFailure("Luna de plata incorecta: " + text + " (LL.AAAA)");
    return {CalendarMonths().at(serial % 12), serial / 12};
}

void RunCounty(CliContext& context, const QStringList& arguments)
{
    const QMap<QString, QString> options = CountyOptions(arguments);
    const PaymentMonth month = PaymentMonthOf(options.value("--payment-month"));
    const QString workingMonth = context.workingMonth();
    const AdminSettings settings = LoadAdminSettings();
    if (const std::optional<QString> problem = SettingsProblem(workingMonth, settings))
        throw CliFailure(problem->trimmed().replace(u'\r', u'\n'));
    const QString folder = options.value("--out");
    CountyOutcome outcome;
    try {
        CheckPaymentMonth(month);
        const bool created = !QFileInfo::exists(folder);
        EmptyOutputFolder(folder);
        try {
            outcome = WriteCountyReport(workingMonth, month, folder, settings,
                                        [&context](const QString& text, bool) { context.progress(text.trimmed()); });
        } catch (...) {
            if (created)
                QDir().rmdir(folder);   // a failed run leaves no folder of its own behind
            throw;
        }
    } catch (const ExportError& e) {
        throw CliFailure(e.message().trimmed());
    }
    for (const CountyAnnexFiles& a : outcome.written) {
        const QString facts = ": " + QString::number(a.rows) + " randuri, total " + a.total;
        PrintLine("fisier: " + QDir::toNativeSeparators(a.workbook) + facts);
        PrintLine("fisier: " + QDir::toNativeSeparators(a.csv) + facts);
    }
    for (int annex : outcome.withoutData)
        PrintLine("fara date: Anexa " + QString::number(annex));
}

const CliRegistration county{{"ajpis-county", kUsage,
                              "Raport AJPIS - BACAU: Anexele 13-17 cu fisierele CSV, pentru luna de plata aleasa",
                              RunCounty}};

} // namespace
