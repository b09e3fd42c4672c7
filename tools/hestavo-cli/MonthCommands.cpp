// Commands of the working months: the month list, adding and deleting a
// month, and the recalculation of a month's applications.
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Months.h"
#include "register/AdminSettings.h"
#include "register/AdminValues.h"
#include "register/MonthList.h"
#include "register/Recalculation.h"

#include <QDate>

namespace cli {
namespace {

void listMonths(CliContext&, const QStringList&)
{
    for (const QString& month : ReadMonthList())
        PrintLine(month);
}

void addMonth(CliContext& context, const QStringList& arguments)
{
    const QString month = arguments.value(0).trimmed();
    if (const auto refusal = hestavo::AddMonthRefusal(ReadMonthList(), month, QDate::currentDate().year()))
        throw CliFailure(*refusal + " (" + month + ")");
    context.progress("Adaug luna " + month);
    hestavo::AddStoredMonth(month);
    PrintLine("Luna adaugata: " + month);
}

void deleteMonth(CliContext& context, const QStringList& arguments)
{
    const QString month = arguments.value(0).trimmed();
    const QStringList months = ReadMonthList();
    if (!months.contains(month))
        throw CliFailure("Luna " + month + " nu este in lista lunilor de lucru.");
    context.progress("Sterg luna " + month + " cu toate cererile aferente");
    const QStringList left = hestavo::DeleteMonth(months, month);
    PrintLine("Luna stearsa: " + month);
    PrintLine("Luna de lucru: " + left.value(0));
}

// Progress of the walk as lines on a terminal.
class CliProgress : public hestavo::WorkProgress {
public:
    explicit CliProgress(const CliContext& context) : m_context(context) {}
    void begin(int maximum) override { m_maximum = maximum; }
    void step() override { m_context.progress(QStringLiteral("Recalculez cererile... %1/%2").arg(++m_done).arg(m_maximum)); }

private:
    const CliContext& m_context;
    int m_maximum = 0;
    int m_done = 0;
};

void recalculate(CliContext& context, const QStringList&)
{
    const QString month = context.workingMonth();
    if (MonthToSerial(month) == 0)
        throw CliFailure("Luna " + month + " este scrisa gresit (LL.AAAA).");
    const hestavo::AdminSettings settings = hestavo::LoadAdminSettings();
    CliProgress progress(context);
    const hestavo::RecalcResult result = hestavo::RecalculateAndLog(month, settings, settings, &progress);
    PrintLine("Luna: " + month);
    PrintLine(QStringLiteral("Cereri recalculate: %1").arg(result.rows));
    PrintLine(QStringLiteral("Cereri modificate: %1").arg(result.changed));
}

const CliRegistration registrations[] = {
    CliRegistration({"months", "", "lista lunilor de lucru, cea mai noua intai", listMonths, 0, 0}),
    CliRegistration({"month add", "LL.AAAA", "adauga luna in lista si o face luna de lucru", addMonth, 1, 1}),
    CliRegistration({"month delete", "LL.AAAA", "sterge luna cu toate cererile si membrii ei (o singura tranzactie)",
                     deleteMonth, 1, 1}),
    CliRegistration({"recalc", "", "recalculeaza cererile lunii (--month sau luna de lucru); scrie cate s-au modificat",
                     recalculate, 0, 0}),
};

} // namespace
} // namespace cli
