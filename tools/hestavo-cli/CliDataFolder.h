// Finds and lays out the data folder for a command with the same steps as the
// program's start-up (DataFolderStartup.h): the program folder (--program-dir,
// HESTAVO_PROGRAM_DIR or the executable's folder), its run folders, the
// network folder of the machine settings when one is set, the tables created
// or upgraded (outdated templates replaced) and the key counters reset from
// them, the missing templates written. The weekly pack stays with the window
// program.
#pragma once

#include "tools/hestavo-cli/CliCommand.h"

namespace cli {

// A restore interrupted by a crash is finished first, as at start-up. With
// openData false only the folders are found, nothing is written into the
// data folder.
void PrepareDataFolder(CliContext& context, bool openData = true);

} // namespace cli
