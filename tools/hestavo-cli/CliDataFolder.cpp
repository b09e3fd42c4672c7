#include "tools/hestavo-cli/CliDataFolder.h"

#include "backup/RestoreArchive.h"
#include "data/DataFolderStartup.h"
#include "data/Paths.h"
#include "documents/TemplateStore.h"

#include <QDir>

namespace cli {

void PrepareDataFolder(CliContext& context, bool openData)
{
    if (context.programFolder.isEmpty())
        context.programFolder = defaultProgramFolder();
    initPaths(QDir(context.programFolder).absolutePath());
    if (const QString error = PrepareRunFolders(); !error.isEmpty())
        throw CliFailure(error.trimmed().replace(QLatin1Char('\r'), QLatin1Char(' ')));
    ProbeMachineSettings();
    const NetworkFolder network = ChooseNetworkFolder();
    if (!network.error.isEmpty())
        throw CliFailure(QString(network.error).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    if (!network.folder.isEmpty())
        paths().dataFolder = network.folder;
    backup::RecoverInterruptedRestore(paths().dataFolder);
    if (!openData)
        return;
    OpenDataFolder(ReplaceTemplates);
    MaterializeTemplates();
}

} // namespace cli
