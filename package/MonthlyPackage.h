// The monthly package: the month checked, then every output of the working
// month written by the same functions as the single commands into one folder
// "Pachet_<LL>_<AAAA>" (one subfolder per recipient, see PackageLayout.h),
// with MANIFEST.csv (every file: recipient, rows, amount total, size,
// SHA-256) and VERIFICARE.txt (the cross-check read back from the files), and
// a .zip of the folder beside it. The menu's "Pachet lunar" and hestavo-cli's
// "package" both call MakeMonthlyPackage.
//
// Everything is written into a staging folder beside the target and renamed
// into place only when complete and cross-checked: a failure, a refusal or a
// killed process leaves no "Pachet_" folder and no zip.
#pragma once

#include "package/PackageRequest.h"
#include "register/AdminSettings.h"
#include "register/MonthCheck.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace hestavo {

struct PackageOutcome {
    std::vector<MonthFinding> findings;   // of the month check
    QStringList differences;              // of the cross-check
    bool blocked = false;                 // stopped: nothing was written
    QString folder;                       // the package folder, once written
    QString zip;                          // the .zip beside it
    QList<PackageFile> files;
};

// Runs the check; with a blocking finding and no force returns blocked.
// Writes the outputs, the manifest and the cross-check in the staging folder;
// with a cross-check difference and no forceDifferences returns blocked (the
// staging folder removed). Otherwise renames the folder into place and zips it.
// An existing package of the month is refused (OutputError); the outputs'
// own errors propagate, and the staging folder is removed on every way out.
PackageOutcome MakeMonthlyPackage(const PackageRequest& request, const AdminSettings& settings,
                                  const PackageProgress& progress = {});

// The summary lines of a package for the closing message and the command line.
QStringList PackageSummary(const PackageOutcome& outcome);

} // namespace hestavo
