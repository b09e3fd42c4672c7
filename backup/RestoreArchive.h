// The restore of a backup archive over the data folder, built so that the
// current data are never lost: while the archive is unpacked into a staging
// folder and verified there (every table opens, "Cereri.dbf" and "Oameni.dbf"
// present, the program's tables with the program's columns or those the
// start-up upgrade brings up to date), a second thread archives the current
// data to a dated safety archive (at a fast compression level); only when
// both are done do two renames swap the folders (data folder -> "DataBAK",
// staging -> data folder), with a journal file beside them while the swap is
// under way. A data folder that cannot be renamed (a share root, a mount
// point) has its files exchanged instead (DataFolderReplace.h). The staging
// folder, "DataBAK" and the journal are beside a local data folder and in
// the program folder for a shared one. A failure at any step leaves or puts
// the previous files back; a process killed during the swap or the exchange
// is repaired by RecoverInterruptedRestore().
#pragma once

#include "backup/Archive.h"

#include <QString>

namespace backup {

struct RestoreResult {
    bool restored = false;
    QString error;          // the Romanian text to show when !restored
    QString safetyArchive;  // dated archive of the data before the restore (empty: there were none)
    QString safetyFolder;   // the folder holding the replaced files ("DataBAK")
};

// Restores the archive at file over dataFolder. The safety archive goes to
// autoSaveFolder when it is not "-" and can be written, else beside
// "DataBAK". The caller has closed its engine handles (resetDb()); the restore
// is refused with the engine's "este folosita de alt proces" message while
// another process has a table of the data folder open.
RestoreResult RestoreArchive(const QString& file, const QString& dataFolder, const QString& autoSaveFolder,
                             const ArchiveProgress& progress = {});

// Completes the repair of a restore that was interrupted while replacing the
// data folder: when its journal exists, the previous files are put back as
// the data folder (a swap of both renames is kept). Leftover staging folders
// are removed. Returns true when something was repaired.
bool RecoverInterruptedRestore(const QString& dataFolder);

// The folder that keeps the files replaced by the last restore: "DataBAK"
// beside the data folder, or in the program folder for a shared data folder.
QString SafetyCopyFolder(const QString& dataFolder);

} // namespace backup
