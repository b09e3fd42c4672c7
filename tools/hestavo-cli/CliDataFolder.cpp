#include "tools/hestavo-cli/CliDataFolder.h"

#include "data/Db.h"
#include "data/Files.h"
#include "data/Paths.h"

#include <QDir>

namespace cli {

void PrepareDataFolder(CliContext& context)
{
    if (context.programFolder.isEmpty())
        context.programFolder = defaultProgramFolder();
    initPaths(QDir(context.programFolder).absolutePath());
    AppPaths& p = paths();
    p.enginePrivateFolder = ChooseEnginePrivateFolder(p.programFolder);
    if (p.enginePrivateFolder.isEmpty() || !QDir().mkpath(p.dataFolder) || !QDir().mkpath(p.tempFolder))
        throw CliFailure("Nu pot crea folderele de lucru in " + QDir::toNativeSeparators(p.programFolder));
    resetDb();
    CreateMissingTables();
}

} // namespace cli
