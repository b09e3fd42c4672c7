#include "package/MonthlyPackage.h"

#include "data/Months.h"
#include "documents/OutputError.h"
#include "package/CrossCheck.h"
#include "package/PackageLayout.h"
#include "package/PackageManifest.h"
#include "package/PackageOutputs.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMap>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThread>

namespace hestavo {

namespace {

const QString kHeading = QStringLiteral("Pachet lunar");
const QString kStagingPrefix = QStringLiteral(".pachet-in-lucru-");
const QString kStagingLock = QStringLiteral(".lucru.lock");

// Staging folders of runs that were killed: their lock is no longer held.
void ClearAbandonedStaging(const QDir& outputFolder)
{
    for (const QFileInfo& d : outputFolder.entryInfoList({kStagingPrefix + "*"}, QDir::Dirs | QDir::Hidden)) {
        QLockFile lock(QDir(d.absoluteFilePath()).filePath(kStagingLock));
        if (lock.tryLock(0)) {
            lock.unlock();
            QDir(d.absoluteFilePath()).removeRecursively();
        }
    }
}

// A test stops here, the package complete in its staging folder, to kill the
// process: HESTAVO_TEST_PACKAGE_PAUSE gives the seconds to wait, and a file
// "pauza" in the staging folder says the wait has begun.
void PauseIfTesting(const QString& stagingFolder)
{
    const int seconds = qEnvironmentVariableIntValue("HESTAVO_TEST_PACKAGE_PAUSE");
    if (seconds <= 0)
        return;
    QFile(QDir(stagingFolder).filePath(QStringLiteral("pauza"))).open(QIODevice::WriteOnly);
    QThread::sleep(seconds);
}

void WriteText(const QString& path, const QStringList& lines)
{
    const QByteArray text = lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit())
        throw OutputError(kHeading, "Nu pot scrie " + QDir::toNativeSeparators(path) + "!");
}

void MoveIntoPlace(const QString& from, const QString& to)
{
    if (!QDir().rename(from, to))
        throw OutputError(kHeading, "Nu pot muta " + QDir::toNativeSeparators(from) + " in "
                                        + QDir::toNativeSeparators(to) + "!");
}

} // namespace

PackageOutcome MakeMonthlyPackage(const PackageRequest& request, const AdminSettings& settings,
                                  const PackageProgress& progress)
{
    auto step = [&progress](const QString& text) {
        if (progress)
            progress(text);
    };
    PackageOutcome outcome;
    step(QStringLiteral("Verific luna..."));
    outcome.findings = CheckMonth(MonthToSerial(request.workingMonth), settings.brackets);
    if (BlockingCount(outcome.findings) > 0 && !request.force) {
        outcome.blocked = true;
        return outcome;
    }
    const QDir output(request.outputFolder);
    const QString name = PackageFolderName(request.workingMonth);
    const QString target = output.filePath(name), zipTarget = target + ".zip";
    if (QFileInfo::exists(target) || QFileInfo::exists(zipTarget))
        throw OutputError(kHeading, "Pachetul " + QDir::toNativeSeparators(target)
                                        + " exista deja!\nMutati-l sau stergeti-l, apoi reluati.");
    ClearAbandonedStaging(output);
    QTemporaryDir staging(output.filePath(kStagingPrefix + "XXXXXX"));
    if (!staging.isValid())
        throw OutputError(kHeading, "Nu pot crea un director in " + QDir::toNativeSeparators(output.path()) + "!");
    QLockFile lock(staging.filePath(kStagingLock));
    lock.lock();
    const QString folder = staging.filePath(name);
    QDir().mkpath(folder);

    const QList<PackageFile> written = WriteRecipientOutputs(request, settings, folder, progress);
    step(QStringLiteral("Verificarea fisierelor scrise..."));
    const CrossCheckResult check = CrossCheckPackage(folder, request.workingMonth, QDate::currentDate());
    outcome.differences = check.differences;
    if (!check.differences.isEmpty() && !request.forceDifferences) {
        outcome.blocked = true;
        return outcome;
    }
    WriteText(QDir(folder).filePath(kPackageVerification), check.report);
    step(QStringLiteral("MANIFEST.csv..."));
    outcome.files = ListPackageFiles(folder, written);
    WriteManifest(QDir(folder).filePath(kPackageManifest), outcome.files);
    step(QStringLiteral("Arhiva .zip..."));
    const QString zip = staging.filePath(name + ".zip");
    WritePackageZip(folder, zip);
    PauseIfTesting(staging.path());
    MoveIntoPlace(folder, target);
    MoveIntoPlace(zip, zipTarget);
    outcome.folder = target;
    outcome.zip = zipTarget;
    return outcome;
}

QStringList PackageSummary(const PackageOutcome& outcome)
{
    QMap<QString, int> perRecipient;
    for (const PackageFile& f : outcome.files)
        ++perRecipient[f.recipient];
    QStringList lines{"pachet: " + QDir::toNativeSeparators(outcome.folder),
                      "arhiva: " + QDir::toNativeSeparators(outcome.zip),
                      "fisiere: " + QString::number(outcome.files.size() + 1)};
    for (auto it = perRecipient.cbegin(); it != perRecipient.cend(); ++it)
        lines << it.key() + ": " + QString::number(it.value()) + " fisiere";
    if (!outcome.differences.isEmpty())
        lines << "diferente la verificare: " + QString::number(outcome.differences.size());
    return lines;
}

} // namespace hestavo
