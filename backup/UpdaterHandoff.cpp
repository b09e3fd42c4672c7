#include "backup/UpdaterHandoff.h"

#include "app/Shell.h"
#include "data/Files.h"
#include "data/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString installerFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("UpHestavo.exe");
#else
    return QStringLiteral("UpHestavo");
#endif
}

QString updaterFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("UpGrade.exe");
#else
    return QStringLiteral("UpGrade");
#endif
}

InstallerStep InstallerHandoff(const QString& programFolder, const QString& exePath, const QString& settingsFile)
{
    const QString installer = programFolder + "/" + installerFileName();
    const QString launched = readIniText(settingsFile, QStringLiteral("CONST"), QStringLiteral("Lansat"));
    if (QFileInfo::exists(installer)) {
        QFile probe(installer);
        if (!probe.open(QIODevice::ReadOnly))
            return InstallerStep::LeftAlone;
        probe.close();
        if (launched != QLatin1String("DA")) {
            writeIniText(settingsFile, QStringLiteral("CONST"), QStringLiteral("Lansat"), QStringLiteral("DA"));
            ShellStart(installer, {'"' + QDir::toNativeSeparators(exePath) + '"'}, programFolder);
            return InstallerStep::Started;
        }
        QFile::remove(installer);
        return InstallerStep::Deleted;
    }
    if (launched == QLatin1String("DA")) {
        writeIniText(settingsFile, QStringLiteral("CONST"), QStringLiteral("Lansat"), QStringLiteral("NU"));
        return InstallerStep::MarkerReset;
    }
    return InstallerStep::Nothing;
}

QStringList updaterArguments(const QString& version, int countyIndex, const QString& townHall)
{
    const QString name = townHall.trimmed().isEmpty() ? QStringLiteral("nespecificata") : townHall;
    return {QStringLiteral("92"), version, QString::number(countyIndex < 0 ? 0 : countyIndex), '"' + name + '"'};
}

bool LaunchUpdater(const QString& programFolder, const QString& version, int countyIndex, const QString& townHall)
{
    const QString updater = programFolder + "/" + updaterFileName();
    if (QFileInfo::exists(updater))
        QFile::remove(updater);
    if (QFileInfo::exists(updater))
        return false;
    if (!ResourceToFile(QStringLiteral("UpDate"), QStringLiteral("UpDate"), updater))
        return false;
    QFile::setPermissions(updater, QFile::permissions(updater) | QFileDevice::ExeOwner);
    return ShellStart(updater, updaterArguments(version, countyIndex, townHall), programFolder);
}
