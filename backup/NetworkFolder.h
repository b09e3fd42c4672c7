// Network database mode: this computer works on the tables of a shared
// folder (machine setting SERVER) instead of its own "Data" folder. Connecting
// and disconnecting only change the setting; the program ends and the new
// mode starts with the next run. The commands that connect and disconnect,
// with their messages, are in ui/backup/NetworkFolderCommands.h.
#pragma once

#include <QString>

// The data folder of this run differs from the local data folder.
bool IsNetworkMode();
// The folder is not the local data folder: a shared data folder.
bool IsNetworkDataFolder(const QString& folder);

// Why the chosen folder cannot be the shared data folder: the title and
// text of the refusal, both empty when it can. Refused: the current or the
// local data folder ("Nu puteti salva aici!") and a folder without
// "Cereri.dbf", "Oameni.dbf" and "Log.dbf" ("NU este corecta!").
struct NetworkFolderRefusal {
    QString title;
    QString text;
};
NetworkFolderRefusal CheckNetworkFolder(const QString& chosen);

// Writes the machine setting SERVER: the folder (trimmed, without trailing
// separators, in native form), or empty for local work.
void StoreNetworkFolder(const QString& chosen);
