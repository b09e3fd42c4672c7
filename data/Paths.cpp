#include "data/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

AppPaths& paths()
{
    static AppPaths p;
    return p;
}

static QString stripSlash(QString s)
{
    s = QDir::fromNativeSeparators(s);
    while (s.size() > 1 && s.endsWith('/') && !s.endsWith(":/"))
        s.chop(1);
    return s;
}

QString defaultProgramFolder()
{
    const QString env = qEnvironmentVariable("HESTAVO_PROGRAM_DIR");
    if (!env.isEmpty())
        return stripSlash(QFileInfo(env).absoluteFilePath());
    return stripSlash(QCoreApplication::applicationDirPath());
}

QString defaultSystemFolder()
{
    const QString env = qEnvironmentVariable("HESTAVO_SYSTEM_DIR");
    if (!env.isEmpty())
        return stripSlash(QFileInfo(env).absoluteFilePath());
#ifdef Q_OS_WIN
    wchar_t buf[MAX_PATH + 1];
    UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
    if (n > 0 && n <= MAX_PATH)
        return stripSlash(QString::fromWCharArray(buf, int(n)));
    return QStringLiteral("C:/Windows");
#else
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + "/.config";
    return stripSlash(base) + "/hestavo";
#endif
}

QString systemAccountName()
{
#ifdef Q_OS_WIN
    wchar_t name[257];
    DWORD size = 257;
    return GetUserNameW(name, &size) && size > 1 ? QString::fromWCharArray(name, int(size - 1)) : QString();
#else
    const struct passwd* account = ::getpwuid(::geteuid());
    return account && account->pw_name ? QString::fromLocal8Bit(account->pw_name) : QString();
#endif
}

QString defaultUserIdentity()
{
    QString user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = systemAccountName();
    if (user.isEmpty())
        user = QStringLiteral("Necunoscut");
    QString computer = qEnvironmentVariable("HESTAVO_COMPUTER_NAME");
    if (computer.isEmpty())
        computer = QSysInfo::machineHostName();
    return computer.left(15) + " - " + user;
}

void initPaths(const QString& programFolder)
{
    AppPaths& p = paths();
    p = AppPaths{};
    p.programFolder = stripSlash(programFolder);
    p.exeFolder = p.programFolder;
    p.dataFolder = p.programFolder + "/Data";
    p.localDataFolder = p.dataFolder;
    p.tempFolder = p.programFolder + "/Temp";
    p.systemFolder = defaultSystemFolder();
    p.userIdentity = defaultUserIdentity();
}

QString findFileNoCase(const QString& folder, const QString& name)
{
    const QString exact = folder + "/" + name;
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (QString::compare(e, name, Qt::CaseInsensitive) == 0)
            return folder + "/" + e;
    return exact;
}

QString settingsFile() { return findFileNoCase(paths().dataFolder, QStringLiteral("Hestavo.set")); }
QString ownSettingsFile() { return findFileNoCase(paths().exeFolder + "/Data", QStringLiteral("Hestavo.set")); }
QString machineSettingsFile() { return findFileNoCase(paths().systemFolder, QStringLiteral("Hestavo.ini")); }
QString localSettingsFile() { return findFileNoCase(paths().programFolder, QStringLiteral("Local.set")); }
