// hestavo-cli commands of the local backup: the automatic save as the exit
// does it (for a scheduled task) and the restore with its safety copy.
#include "tools/hestavo-cli/CliCommand.h"

#include "backup/AutomaticSave.h"
#include "backup/RestoreArchive.h"
#include "data/Db.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDir>

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

void runAutomaticSave(cli::CliContext& context, const QStringList&)
{
    context.progress("Salvez datele...");
    // As at the program's start: an unset folder gets the default one.
    paths().autoSaveFolder = DefaultSaveFolder();
    resetDb();
    const backup::ExitSaveResult r = backup::SaveOnExit();
    if (!r.saved)
        throw cli::CliFailure("Eroare la salvare!\n" + r.error);
    cli::PrintLine("salvare: " + native(r.target));
}

void runRestore(cli::CliContext& context, const QStringList& arguments)
{
    context.progress("Desfac baza de date...");
    resetDb();
    const backup::RestoreResult r =
        backup::RestoreArchive(arguments.at(0), paths().dataFolder, backup::AutoSaveFolder());
    if (!r.restored)
        throw cli::CliFailure(QString(r.error).replace('\r', '\n'));
    cli::PrintLine("restaurat: " + native(paths().dataFolder));
    if (!r.safetyArchive.isEmpty())
        cli::PrintLine("copie de siguranta: " + native(r.safetyArchive));
    cli::PrintLine("fisiere inlocuite: " + native(r.safetyFolder));
}

const cli::CliRegistration automaticSave{
    {"backup auto", "", "salvarea automata in folderul salvarilor automate (ca la iesire)", runAutomaticSave}};
cli::CliCommand restoreCommand()
{
    cli::CliCommand command{"backup restore", "FISIER",
                            "inlocuieste datele cu cele din salvare (dupa o copie de siguranta)", runRestore, 1, 1};
    command.opensDataFolder = false;
    return command;
}
const cli::CliRegistration restore{restoreCommand()};

} // namespace
