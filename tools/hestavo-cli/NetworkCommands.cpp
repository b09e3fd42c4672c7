// Commands of the network mode and the suggestion sender: connecting this
// computer to a shared data folder, returning to local work, and sending a
// suggestion to the publisher, through the same checks as their windows.
#include "tools/hestavo-cli/CliCommand.h"

#include "backup/NetworkFolder.h"
#include "backup/Suggestion.h"
#include "data/Paths.h"
#include "data/Settings.h"

namespace {

void runConnect(cli::CliContext&, const QStringList& arguments)
{
    const NetworkFolderRefusal refusal = CheckNetworkFolder(arguments.at(0));
    if (!refusal.text.isEmpty())
        throw cli::CliFailure(refusal.text.trimmed().replace(u'\r', u'\n'));
    StoreNetworkFolder(arguments.at(0));
    cli::PrintLine("server: " + ReadMachineSetting(QStringLiteral("SERVER")));
}

void runDisconnect(cli::CliContext&, const QStringList&)
{
    if (ReadMachineSetting(QStringLiteral("SERVER")).trimmed().size() < 2)
        throw cli::CliFailure(QStringLiteral("Nu aveti ce sterge."));
    StoreNetworkFolder(QString());
    cli::PrintLine(QStringLiteral("lucru local"));
}

void runSuggestion(cli::CliContext&, const QStringList& arguments)
{
    const Suggestion suggestion{arguments.at(0), arguments.at(1), arguments.at(2), arguments.at(3),
                                arguments.mid(4)};
    const SuggestionProblem problem = CheckSuggestion(suggestion);
    if (problem.field != SuggestionProblem::None)
        throw cli::CliFailure(problem.message);
    if (!SendSuggestion(suggestion, SuggestionUrl(), paths().tempFolder + "/rezultat.txt"))
        throw cli::CliFailure(QStringLiteral("Mesajul nu poate fi transmis!\nVerificati daca aveti internet sau daca nu "
                                             "ati restrictionat accesul la internet al programului!"));
    cli::PrintLine(QStringLiteral("Mesajul a fost transmis!"));
}

const cli::CliRegistration connectCommand{{"network connect", "FOLDER",
                                           "lucreaza pe baza de date din FOLDER (de la pornirea urmatoare)",
                                           runConnect, 1, 1}};
const cli::CliRegistration disconnectCommand{
    {"network disconnect", "", "revine la lucrul pe datele locale (de la pornirea urmatoare)", runDisconnect, 0, 0}};
const cli::CliRegistration suggestionCommand{{"suggestion send", "NUME LOCALITATE TELEFON EMAIL RAND...",
                                              "trimite o sugestie catre autorul programului", runSuggestion, 5, -1}};

} // namespace
