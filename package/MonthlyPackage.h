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

#include "register/AdminSettings.h"
#include "register/MonthCheck.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace hestavo {

struct PackageRequest {
    QString workingMonth;    // MM.YYYY
    QString outputFolder;    // an existing folder; the package goes below it
    QDate paymentDate;       // the treasury's payment date
    bool account073 = true;  // the aid
    bool account074 = true;  // the wood supplement
    bool force = false;             // go on despite blocking findings of the check
    bool forceDifferences = false;  // go on despite differences of the cross-check
};

// One file of the package, as MANIFEST.csv lists it.
struct PackageFile {
    QString path;                  // relative to the package folder, "/" separated
    QString recipient;             // "AJPIS", "ANPIS", "ANAF", "Trezorerie", "Furnizori"
    int rows = 0;
    std::optional<qint64> cents;   // the amount total, where the file has one
    qint64 size = 0;
    QByteArray sha256;             // hex
};

struct PackageOutcome {
    std::vector<MonthFinding> findings;   // of the month check
    QStringList differences;              // of the cross-check
    bool blocked = false;                 // stopped: nothing was written
    QString folder;                       // the package folder, once written
    QString zip;                          // the .zip beside it
    QList<PackageFile> files;
};

// The current step, for a progress window or standard error.
using PackageProgress = std::function<void(const QString& step)>;

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
