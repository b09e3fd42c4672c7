#include "backup/UpdaterHandoff.h"

#include "data/Files.h"
#include "data/Settings.h"
#include "data/Shell.h"

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
            // The process API quotes an argument that holds spaces.
            ShellStart(installer, {QDir::toNativeSeparators(exePath)}, programFolder);
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
    return {QStringLiteral("92"), version, QString::number(countyIndex < 0 ? 0 : countyIndex), name};
}

UpdaterLaunch LaunchUpdater(const QString& programFolder, const QString& version, int countyIndex,
                            const QString& townHall)
{
    if (findResource(QStringLiteral("UpDate"), QStringLiteral("UpDate")).isEmpty()) {
        qWarning("Actualizare: programul de actualizare nu este inclus in aceasta versiune; nu caut versiuni noi.");
        return UpdaterLaunch::Missing;
    }
    const QString updater = programFolder + "/" + updaterFileName();
    if (QFileInfo::exists(updater))
        QFile::remove(updater);
    if (QFileInfo::exists(updater) || !ResourceToFile(QStringLiteral("UpDate"), QStringLiteral("UpDate"), updater)) {
        qWarning("Actualizare: %s nu poate fi inlocuit (ruleaza inca?).", qPrintable(QDir::toNativeSeparators(updater)));
        return UpdaterLaunch::Busy;
    }
    QFile::setPermissions(updater, QFile::permissions(updater) | QFileDevice::ExeOwner);
    if (!ShellStart(updater, updaterArguments(version, countyIndex, townHall), programFolder)) {
        qWarning("Actualizare: %s nu a pornit.", qPrintable(QDir::toNativeSeparators(updater)));
        return UpdaterLaunch::StartFailed;
    }
    return UpdaterLaunch::Started;
}
