// The recipients' outputs of the monthly package, each written by the same
// function as its single command into its subfolder of the package folder:
// the AJPIS annexes (and the county variant when the county is BACAU), the
// ANPIS file, the F2201 files, the treasury report with the payment list,
// and the suppliers' annexes ("Format AJPIS").
#pragma once

#include "package/PackageRequest.h"
#include "register/AdminSettings.h"

#include <QList>

namespace hestavo {

// Writes every output into packageFolder (an existing, empty folder) and
// returns the files with their recipient, rows and amount total (sizes and
// digests are the manifest's business). The outputs' errors propagate.
QList<PackageFile> WriteRecipientOutputs(const PackageRequest& request, const AdminSettings& settings,
                                         const QString& packageFolder, const PackageProgress& progress);

} // namespace hestavo
