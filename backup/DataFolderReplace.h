// The last step of a restore: the verified files of the staging folder take
// the place of the data folder, all or nothing, under a journal from which
// RepairInterruptedReplace() finishes the work of a process killed midway.
//
// First choice is the swap of two renames (data folder -> "DataBAK", staging
// -> data folder). A data folder that cannot be renamed (a share root, a
// mount point, a folder on another disk than the program folder) keeps its
// place and has its files exchanged instead: every file moves into
// "DataBAK", then every staged file moves in (copied where the folders are
// on different disks, each file appearing under its name only when whole).
// Sub-folders of the data folder, which archives never hold, stay there.
#pragma once

#include <QString>

namespace backup {

// Where the restore of one data folder does its work: beside the data folder,
// or for a shared data folder (whose parent may be a share or a disk we
// cannot write in) in the program folder. The names there differ from those
// of the local data folder ("Data"), so that the two restores never mix;
// "DataBAK" keeps the files of the last restore of either.
struct RestorePlaces {
    bool shared = false; // a shared data folder: the work is in the program folder
    QString data;
    QString work;
    QString staging; // the archive unpacked and verified
    QString safety;  // "DataBAK": the replaced files
    QString journal; // present while the data folder is being replaced
};
RestorePlaces RestorePlacesFor(const QString& dataFolder);

// Puts the staging folder's files in the data folder's place and the
// replaced ones in the (emptied) safety folder. Returns an empty text, or
// why it failed with the previous files back in place.
QString ReplaceDataFolder(const RestorePlaces& places);

// After a process was killed while its journal existed, puts the previous
// files back as the data folder (a swap that happened whole is kept) and
// removes the journal. Returns false when there was no journal for this data
// folder or it could not be completed (the journal then stays, for the next
// attempt).
bool RepairInterruptedReplace(const RestorePlaces& places);

} // namespace backup
