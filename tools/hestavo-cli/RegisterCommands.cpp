// Commands of the register: the CNP rules, and the month-wide operations of
// the register's buttons (copy from and purge against another month, the
// application date, the number of aid months, setting or clearing the aid).
#include "tools/hestavo-cli/CliCommand.h"

#include "data/Months.h"
#include "register/AdminValues.h"
#include "register/Cnp.h"
#include "register/MonthCorrections.h"
#include "register/MonthTransfer.h"

#include <QDate>

using namespace cli;
using namespace hestavo;

namespace {

void RunCnp(CliContext&, const QStringList& codes)
{
    if (codes.isEmpty())
        throw CliFailure(QStringLiteral("Dati cel putin un CNP."));
    for (const QString& code : codes) {
        const QDate born = Cnp::birthDate(code);
        const QString date = born == Cnp::zeroDate() ? QStringLiteral("0000-00-00") : born.toString("yyyy-MM-dd");
        PrintLine(code + " " + (Cnp::isValid(code) ? "valid" : "invalid") + " " + date + " " + Cnp::sex(code));
    }
}

void RunCopyFrom(CliContext& context, const QStringList& arguments)
{
    const QString working = context.workingMonth();
    const QString source = arguments.value(0);
    context.progress(QStringLiteral("Copii cererile..."));
    const CopyOutcome outcome = CopyFromOtherMonth(source, working, nullptr);
    if (!outcome.duplicates.isEmpty()) {
        PrintLine("Lista cu persoanele existente in luna " + working);
        for (int i = 0; i < outcome.duplicates.size(); ++i)
            PrintLine(QString::number(i + 1) + ".  " + outcome.duplicates[i]);
        throw CliFailure(QString::number(outcome.duplicates.size()) + " CNP-uri exista deja in aceasta luna!");
    }
    PrintLine("cereri copiate: " + QString::number(outcome.applications));
    PrintLine("membri copiati: " + QString::number(outcome.members));
}

void RunPurgeAgainst(CliContext& context, const QStringList& arguments)
{
    const QString working = context.workingMonth();
    const QString other = arguments.value(0);
    context.progress(QStringLiteral("Sterg cererile..."));
    PrintLine("cereri sterse: " + QString::number(PurgeAgainstMonth(other, working, nullptr)));
}

void RunSetDate(CliContext& context, const QStringList& arguments)
{
    const QString working = context.workingMonth();
    const qint64 from = arguments.value(0).toLongLong();
    const qint64 to = arguments.value(1).toLongLong();
    const QDate date = QDate::fromString(arguments.value(2), QStringLiteral("dd.MM.yyyy"));
    if (from == 0 || to == 0)
        throw CliFailure(QStringLiteral("Numar incorect!"));
    if (to < from)
        throw CliFailure(QStringLiteral("Intervalul ales este incorect!"));
    if (!date.isValid())
        throw CliFailure("Data incorecta: " + arguments.value(2) + " (zz.LL.AAAA)");
    PrintLine("cereri modificate: " + QString::number(SetApplicationDate(working, from, to, date)));
}

void RunAidMonths(CliContext& context, const QStringList& arguments)
{
    const QString working = context.workingMonth();
    bool ok = false;
    const int months = arguments.value(0).toInt(&ok);
    if (!ok || months < 1 || months > 5)
        throw CliFailure(QStringLiteral("Numar de luni incorect!"));
    context.progress(QStringLiteral("Recalculez cererile..."));
    PrintLine("cereri recalculate: " + QString::number(ChangeAidMonths(working, months, nullptr)));
}

void RunSetAid(CliContext& context, const QStringList& arguments)
{
    const QString working = context.workingMonth();
    const QString choice = arguments.value(0);
    if (choice != QLatin1String("on") && choice != QLatin1String("off"))
        throw CliFailure("Alegeti on sau off, nu " + choice);
    context.progress(QStringLiteral("Recalculez cererile..."));
    const int rows = SetAid(working, choice == QLatin1String("on"), AdminValues().brackets, nullptr);
    PrintLine("cereri active recalculate: " + QString::number(rows));
}

// Wraps a command so that its count of arguments is checked first.
std::function<void(CliContext&, const QStringList&)> Checked(const char* name, const char* usage, int count,
                                                              void (*run)(CliContext&, const QStringList&))
{
    return [=](CliContext& context, const QStringList& arguments) {
        ExpectArguments(CliCommand{QString::fromLatin1(name), QString::fromLatin1(usage), {}, {}}, arguments, count, count);
        run(context, arguments);
    };
}

const CliRegistration cnp{{"cnp", "CNP...", "verifica CNP-uri: valid/invalid, data nasterii, sexul", RunCnp}};
const CliRegistration copyFrom{{"month copy-from", "LL.AAAA", "adauga in luna de lucru cererile din alta luna",
                                Checked("month copy-from", "LL.AAAA", 1, RunCopyFrom)}};
const CliRegistration purgeAgainst{{"month purge-against", "LL.AAAA",
                                    "sterge din luna de lucru cererile care sunt si in alta luna",
                                    Checked("month purge-against", "LL.AAAA", 1, RunPurgeAgainst)}};
const CliRegistration setDate{{"month set-date", "DE_LA PANA_LA zz.LL.AAAA",
                               "pune data cererilor cu numerele din interval",
                               Checked("month set-date", "DE_LA PANA_LA zz.LL.AAAA", 3, RunSetDate)}};
const CliRegistration aidMonths{{"month aid-months", "N", "numarul de luni de ajutor (1-5) pentru toata luna",
                                 Checked("month aid-months", "N", 1, RunAidMonths)}};
const CliRegistration setAid{{"month set-aid", "on|off", "pune sau sterge ajutorul cererilor active",
                              Checked("month set-aid", "on|off", 1, RunSetAid)}};

} // namespace
