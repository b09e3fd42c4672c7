// The folders and identity of the running program, set up once at start-up and
// read everywhere (one object per process). Paths use "/" inside the program;
// QDir::toNativeSeparators gives the form shown to the user.
#pragma once

#include <QString>

struct AppPaths {
    QString programFolder;     // the executable's folder; a "SAV" folder when an archive is opened
    QString exeFolder;         // the executable's folder, never replaced
    QString dataFolder;        // tables, "Hestavo.set", "Luni.lst", templates
    QString localDataFolder;   // program folder + "/Data" (or the opened archive's data folder)
    QString tempFolder;        // exe folder + "/Temp", removed at exit
    QString systemFolder;      // where the machine settings file lives
    QString enginePrivateFolder;
    QString openedArchive;     // archive named on the command line, empty otherwise
    QString userIdentity;      // computer name + " - " + user name
    QString autoSaveFolder;    // folder of the automatic saves for this run, "-" for none
    bool unlocked = false;     // administrator unlock done in this run
};

AppPaths& paths();

// Program folder from HESTAVO_PROGRAM_DIR, else the executable's folder.
QString defaultProgramFolder();
// System folder from HESTAVO_SYSTEM_DIR; else on Windows the Windows folder,
// elsewhere $XDG_CONFIG_HOME/hestavo (default ~/.config/hestavo).
QString defaultSystemFolder();
// The name of the account the process runs under, as the system reports it
// (not the environment); empty when it cannot be read.
QString systemAccountName();
// Computer name (at most 15 characters) + " - " + user name: USERNAME, else
// USER, else the system's account name, else "Necunoscut". The computer name
// is HESTAVO_COMPUTER_NAME when set (several workstations played by processes
// of one machine), else the host name.
QString defaultUserIdentity();

// Fills paths() for the program folder: data, local data and temporary folder
// below it, system folder and user identity from the defaults above.
void initPaths(const QString& programFolder);

// folder + "/" + name; when that file does not exist, an entry of the folder
// whose name matches without regard to case (tables created as "LOG.DBF").
QString findFileNoCase(const QString& folder, const QString& name);

QString settingsFile();         // "Hestavo.set" in the data folder
QString ownSettingsFile();      // "Hestavo.set" in the executable's own "Data" folder
QString machineSettingsFile();  // "Hestavo.ini" in the system folder
QString localSettingsFile();    // "Local.set" in the program folder
