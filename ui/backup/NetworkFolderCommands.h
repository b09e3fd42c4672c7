// Connecting this computer to a shared data folder and back to local work,
// with the program's messages; backup/NetworkFolder.h checks and stores the
// folder.
#pragma once

#include <QString>

class QWidget;

// Connects to the chosen folder: refuses the current or the local data folder
// ("Nu puteti salva aici!") and a folder without "Cereri.dbf", "Oameni.dbf" and
// "Log.dbf" ("NU este corecta!"); otherwise writes SERVER and says to start
// again. True when SERVER was written (the program must end).
bool ConnectNetworkFolder(const QString& chosen);

// Returns to local work: with no shared folder shown (shownFolder shorter than
// 2 characters after trimming) the balloon "Nu aveti ce sterge." points at
// the control; otherwise asks, empties SERVER and says to start again. True
// when SERVER was emptied (the program must end).
bool DisconnectNetworkFolder(const QString& shownFolder, QWidget* control);
