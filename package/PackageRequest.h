// What the monthly package is asked to write, and what it reports of each
// file it wrote.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>
#include <optional>

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

// The current step, for a progress window or standard error.
using PackageProgress = std::function<void(const QString& step)>;

} // namespace hestavo
