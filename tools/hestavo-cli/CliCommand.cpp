#include "tools/hestavo-cli/CliCommand.h"

#include "data/Months.h"
#include "data/Settings.h"

#include <QDir>

#include <cstdio>

namespace cli {

namespace {
std::vector<CliCommand>& table()
{
    static std::vector<CliCommand> commands;
    return commands;
}
} // namespace

CliRegistration::CliRegistration(CliCommand command)
{
    table().push_back(std::move(command));
}

const std::vector<CliCommand>& AllCommands()
{
    return table();
}

QString CliContext::workingMonth() const
{
    const QString chosen = month.isEmpty() ? ReadSetting(QStringLiteral("VARIABILE"), QStringLiteral("LUNA_LUCRU")) : month;
    if (chosen.trimmed().isEmpty())
        throw CliFailure(QStringLiteral("Nu ati ales luna de lucru! (optiunea --month LL.AAAA)"));
    if (MonthToSerial(chosen) == 0)
        throw CliFailure("Luna de lucru incorecta: " + chosen.trimmed() + " (LL.AAAA)");
    return chosen.trimmed();
}

void CliContext::progress(const QString& step) const
{
    if (!progressToTerminal)
        return;
    std::fputs((step + QLatin1Char('\n')).toUtf8().constData(), stderr);
    std::fflush(stderr);
}

void PrintLine(const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
}

void ExpectArguments(const CliCommand& command, const QStringList& arguments, int minimum, int maximum)
{
    if (arguments.size() < minimum || (maximum >= 0 && arguments.size() > maximum))
        throw CliFailure("Utilizare: hestavo-cli " + command.name + (command.usage.isEmpty() ? QString() : " " + command.usage));
}

QString EmptyOutputFolder(const QString& folder)
{
    const QDir dir(folder);
    if (dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        throw CliFailure("Directorul " + QDir::toNativeSeparators(folder)
                         + " nu este gol! Alegeti un director nou sau gol pentru raport.");
    if (!QDir().mkpath(folder))
        throw CliFailure("Directorul " + QDir::toNativeSeparators(folder) + " nu poate fi creat!");
    return dir.absolutePath();
}

} // namespace cli
