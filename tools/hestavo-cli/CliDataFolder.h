// Finds and lays out the data folder for a command, as the program does at
// start-up: the program folder (--program-dir, HESTAVO_PROGRAM_DIR or the
// executable's folder), its data folder, missing tables created.
#pragma once

#include "tools/hestavo-cli/CliCommand.h"

namespace cli {

void PrepareDataFolder(CliContext& context);

} // namespace cli
