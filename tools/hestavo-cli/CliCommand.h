// The command table of hestavo-cli. Each file of this folder registers the
// commands of one subsystem with a static CliRegistration, so that adding a
// command touches only its own file:
//
//     static const CliRegistration months{{"months", "", "lista lunilor de lucru", runMonths}};
//
// A command receives the words after its name. It prints its result to
// standard output, one fact per line, and reports a refusal or failure by
// throwing CliFailure (or any exception) with the Romanian message the window
// would have shown; the exit status is then 1.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <vector>

namespace cli {

// The options that apply to every command.
struct CliContext {
    QString programFolder;   // --program-dir, else the program's own default
    QString month;           // --month MM.YYYY, else the stored working month
    bool progressToTerminal = false;  // standard error is a terminal

    // The working month chosen for this command (the --month option or the
    // stored working month); CliFailure when there is none.
    QString workingMonth() const;
    // Prints one progress line to standard error when it is a terminal.
    void progress(const QString& step) const;
};

class CliFailure : public std::runtime_error {
public:
    explicit CliFailure(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }
private:
    QString m_message;
};

struct CliCommand {
    QString name;      // one or more words: "months", "month add"
    QString usage;     // the arguments after the name, as help shows them
    QString summary;   // one line for help
    std::function<void(CliContext&, const QStringList& arguments)> run;
    // How many words may follow the name; checked before run is called (a
    // usage message otherwise). The default accepts any number.
    int minArguments = 0;
    int maxArguments = -1;
    // Whether the start-up steps (tables, upgrade, templates) run on the data
    // folder before the command. A restore replaces the folder and must find
    // it as the user left it.
    bool opensDataFolder = true;
};

// Adds a command to the table; used through CliRegistration at static
// initialisation time.
struct CliRegistration {
    explicit CliRegistration(CliCommand command);
};

const std::vector<CliCommand>& AllCommands();

// Writes one line to standard output (UTF-8).
void PrintLine(const QString& line);

// Throws CliFailure with a usage message when the count of arguments is not
// within [minimum, maximum] (a maximum below 0: no upper limit).
void ExpectArguments(const CliCommand& command, const QStringList& arguments, int minimum, int maximum);

// The folder a report writes into, as an absolute path: created when missing;
// one that already holds something is refused (CliFailure), so that the files
// of an earlier run never mix with this one's.
QString EmptyOutputFolder(const QString& folder);

} // namespace cli
