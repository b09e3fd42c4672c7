// Hand-off to the program's updater and to the installer it leaves behind.
// The updater is written from the embedded resource "UpDate" next to the
// program and started at every start-up; the installer it may leave
// ("UpHestavo.exe" on Windows, "UpHestavo" elsewhere) is run once at the next
// start, which then ends, and deleted at the start after that. The run marker
// is CONST/Lansat in the settings file of the executable's own "Data" folder.
#pragma once

#include <QString>

QString installerFileName();   // "UpHestavo.exe" / "UpHestavo"
QString updaterFileName();     // "UpGrade.exe" / "UpGrade"

enum class InstallerStep {
    Nothing,        // no installer, marker not "DA"
    Started,        // installer started: the program must end now
    Deleted,        // installer of an earlier start deleted
    MarkerReset,    // no installer any more: Lansat set to "NU"
    LeftAlone,      // installer present but not readable (still being written)
};

// settingsFile: the file holding CONST/Lansat; exePath: the program's own
// executable, handed to the installer as its only argument.
InstallerStep InstallerHandoff(const QString& programFolder, const QString& exePath, const QString& settingsFile);

// The updater's arguments: product 92, the version, the county's index in the
// administration window's county list and the town hall name ("nespecificata"
// when empty). No quotes are added: the process API quotes an argument that
// holds spaces.
QStringList updaterArguments(const QString& version, int countyIndex, const QString& townHall);

enum class UpdaterLaunch {
    Started,
    Missing,       // this build carries no updater
    Busy,          // the old file could not be replaced (an updater still running)
    StartFailed,
};

// Replaces the updater file from the resource and starts it without waiting.
// Anything but Started is written to the program's diagnostic log; the
// start-up goes on either way.
UpdaterLaunch LaunchUpdater(const QString& programFolder, const QString& version, int countyIndex,
                            const QString& townHall);
