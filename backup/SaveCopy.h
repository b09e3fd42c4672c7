// The save on demand: the data folder written as an archive to a file the
// user chose, through a temporary archive moved into place.
#pragma once

#include "backup/Archive.h"

#include <QString>

namespace backup {

// True when file's folder is the data folder or the local data folder
// (compared without trailing separators and without regard to case): an
// archive there would be archived into itself and lost with the data.
bool IsInsideDataFolder(const QString& file);

// Writes the archive of the data folder to file (an existing file is
// replaced only once the new archive is complete). False with the reason in
// *error; the earlier file is then untouched.
bool SaveCopy(const QString& file, QString* error, const ArchiveProgress& progress = {});

} // namespace backup
