// Small file routines shared by every part of the program: fresh names in the
// temporary folder of this run, folder removal, embedded resources written to
// disk, and a move that survives a failing copy. None of them overwrites a
// file it did not create in this run.
#pragma once

#include <QString>

// temporary folder + "/TmpL226/" + stem + n + extension for the first n
// (0..999) whose file does not exist and was not handed out before in this
// run; creates "TmpL226" when needed. Empty when no name is free or the folder
// cannot be created.
QString FreshTempFile(const QString& stem, const QString& extension);

// temporary folder + "/" + stem + n for the first n (0..99) whose folder does
// not exist; the folder is created. Empty when none can be created. While this
// process runs, the lock file <folder>.lock beside it marks the folder as this
// run's, so that ClearStaleTempFolders leaves it alone; DeleteFolderTree of the
// folder releases the mark.
QString FreshTempFolder(const QString& stem);

// Deletes the folders that FreshTempFolder made for runs that ended without
// deleting them (a killed save, restore or import, a power loss): a folder
// whose lock file names a process that no longer runs, or a folder without a
// lock file (an earlier version's, or one its run left at a normal exit) last
// changed more than a day ago. Folders of runs still going are left alone.
// Returns how many folders were deleted.
int ClearStaleTempFolders();

// Empties the temporary folder at the end of a run: deletes everything in it
// except the folders (and their lock files) that another running process of
// ours still holds. This run's own folders go too. False when something that
// should have gone is still there.
bool ClearTempFolderAtExit();

// Deletes the folder and everything below it; true when it is gone afterwards
// (also when it did not exist). Refuses an empty path and a root folder.
bool DeleteFolderTree(const QString& path);

// Deletes the file at path; when it is gone, writes the embedded resource
// (type and name matched without regard to case, ":/<type>/<name>") there and
// returns true. False (file left alone) when the file cannot be deleted, the
// resource does not exist or writing fails.
bool ResourceToFile(const QString& name, const QString& type, const QString& path);
// The resource path ":/<type>/<name>" found without regard to case; empty when missing.
QString findResource(const QString& name, const QString& type);

// Copies source to target and deletes the source. The copy goes to a side file
// that replaces the target only when complete, so a failing copy leaves both
// the source and any earlier target intact. False (with the reason in *error)
// when the source cannot be read, the target cannot be written or the source
// cannot be deleted after the copy.
bool MoveFileByCopy(const QString& source, const QString& target, QString* error = nullptr);

// The engine's private folder for this run: program folder + "/TMP" + n for
// the first n (0..99) not held by another running instance; the folder is
// emptied, locked for the rest of the run and returned. Empty when none is free.
QString ChooseEnginePrivateFolder(const QString& programFolder);
