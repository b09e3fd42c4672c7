// The save of the whole data folder into one archive: the worker shared by the
// save on exit, the save on demand and the safety copy of a restore, and the
// save on exit itself (into the opened archive, or a dated file of the
// automatic-save folder). No windows: results carry the Romanian text to show.
#pragma once

#include "backup/Archive.h"

#include <QDate>
#include <QString>

namespace backup {

// folder + "/" + date as "ddMMyyyy" + "_" + n + ".L21" for the smallest n
// (from 0) whose file does not exist yet.
QString DatedArchiveName(const QString& folder, const QDate& date);

// Snapshots the data folder, clears the index flags of its table copies and
// writes them as an archive at file (replaced) at the compression level. The
// snapshot is deleted in every case. False with the reason in *error when
// nothing could be written ("Nu pot scrie pe harddisk!!" when the data folder
// has nothing to save). Safe to run on a worker thread.
bool SaveDataToArchive(const QString& dataFolder, const QString& file, QString* error,
                       const ArchiveProgress& progress = {}, int level = kArchiveLevel);

struct ExitSaveResult {
    bool saved = false;
    QString target;         // the archive written (or that could not be written)
    QString error;          // why not, when !saved
    QString keptFolder;     // an opened archive's working data kept out of the
                            // temporary folder after a failure; empty otherwise
};

// The save on exit. Refused on a network client ("Numai Serverul poate salva
// automat!") and when the automatic save is off. Target: the archive opened from the command line when
// there is one, else DatedArchiveName(autoSaveFolder, today) (the folder is
// created when missing). The archive is written into a fresh temporary file
// and then moved over the target through a side file and a rename, so an
// earlier archive is never left half written. When an opened archive cannot
// be written back, its working data folder is moved beside the program
// (keptFolder), so that removing the temporary folder does not lose it.
ExitSaveResult SaveOnExit(const ArchiveProgress& progress = {});

// The automatic-save folder of this run, "-" when there is none.
QString AutoSaveFolder();

} // namespace backup
