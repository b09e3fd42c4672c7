// hestavo-cli: the program's month-wide operations and outputs without a
// window, for the town hall's IT person (scheduled backups, the monthly files)
// and for tests that run whole operations on a real data folder.
//
//     hestavo-cli [--program-dir DIR] [--month MM.YYYY] COMMAND [OPTIONS...]
//
// The commands live in the other files of this folder, one file per
// subsystem; each calls the same function as the window that offers it.
#include "tools/hestavo-cli/CliCommand.h"
#include "tools/hestavo-cli/CliDataFolder.h"

#include <QCoreApplication>
#include <QLocale>

#include <cstdio>
#include <exception>
#include <unistd.h>

using namespace cli;

namespace {

void printHelp()
{
    PrintLine(QStringLiteral("hestavo-cli [--program-dir DIR] [--month LL.AAAA] COMANDA [ARGUMENTE...]"));
    PrintLine(QString());
    PrintLine(QStringLiteral("  help  lista comenzilor"));
    for (const CliCommand& c : AllCommands())
        PrintLine("  " + c.name + (c.usage.isEmpty() ? QString() : " " + c.usage) + "  " + c.summary);
}

// The command whose name is the longest prefix of the words given.
const CliCommand* findCommand(const QStringList& words, int& nameLength)
{
    const CliCommand* best = nullptr;
    nameLength = 0;
    for (const CliCommand& c : AllCommands()) {
        const QStringList name = c.name.split(QLatin1Char(' '));
        if (name.size() > words.size() || name.size() <= nameLength)
            continue;
        if (words.mid(0, name.size()) == name) {
            best = &c;
            nameLength = int(name.size());
        }
    }
    return best;
}

void fail(const QString& message)
{
    std::fputs((message + QLatin1Char('\n')).toUtf8().constData(), stderr);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    CliContext context;
    context.progressToTerminal = isatty(fileno(stderr));

    QStringList words = app.arguments().mid(1);
    while (!words.isEmpty() && words.first().startsWith(QLatin1String("--"))) {
        const QString option = words.takeFirst();
        if (words.isEmpty()) {
            fail("Optiunea " + option + " cere o valoare.");
            return 1;
        }
        if (option == QLatin1String("--program-dir"))
            context.programFolder = words.takeFirst();
        else if (option == QLatin1String("--month"))
            context.month = words.takeFirst();
        else {
            fail("Optiune necunoscuta: " + option);
            return 1;
        }
    }
    if (words.isEmpty() || words.first() == QLatin1String("help")) {
        printHelp();
        return words.isEmpty() ? 1 : 0;
    }

    int nameLength = 0;
    const CliCommand* command = findCommand(words, nameLength);
    if (!command) {
        fail("Comanda necunoscuta: " + words.join(QLatin1Char(' ')) + " (hestavo-cli help)");
        return 1;
    }
    try {
        const QStringList arguments = words.mid(nameLength);
        ExpectArguments(*command, arguments, command->minArguments, command->maxArguments);
        PrepareDataFolder(context, command->opensDataFolder);
        command->run(context, arguments);
    } catch (const CliFailure& e) {
        fail(e.message());
        return 1;
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
        return 1;
    }
    return 0;
}
