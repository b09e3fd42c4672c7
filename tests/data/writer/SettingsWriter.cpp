// A separate process that uses the settings files the way a second
// workstation does, for the tests that need real concurrent or killed writers.
//
//   settings_writer nextkey DATA_FOLDER CALLS [COUNT]
//                                               one NextKey("IDLOG", COUNT) per
//                                               call, each first key on its own line
//   settings_writer churn FILE                  prints "writing", then rewrites
//                                               [CHURN] VALUE with the next
//                                               generation until killed
//   settings_writer hold FILE                   holds the file's exclusive lock
//                                               until its standard input closes
//   settings_writer tempfolder TEMP             makes a temporary folder in TEMP,
//                                               prints its path, then keeps it
//                                               until its standard input closes
#include "data/FileLock.h"
#include "data/Files.h"
#include "data/IniFile.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "tests/data/writer/ChurnValue.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

int nextKeys(const QString& dataFolder, int calls, int count)
{
    paths().dataFolder = dataFolder;
    for (int i = 0; i < calls; ++i)
        std::printf("%lld\n", static_cast<long long>(NextKey(QStringLiteral("IDLOG"), count)));
    return 0;
}

int churn(const QString& file)
{
    std::puts("writing");
    std::fflush(stdout);
    for (;;)
        ini::update(file, QStringLiteral("CHURN"), QStringLiteral("VALUE"), [](const std::optional<QByteArray>& old) {
            return churnValue(old ? churnGeneration(*old) + 1 : 1);
        });
}

int hold(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return 2;
    FileLock lock(file, FileLock::Exclusive);
    if (!lock.locked())
        return 3;
    std::puts("locked");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    return 0;
}

int tempFolder(const QString& temp)
{
    paths().tempFolder = temp;
    const QString folder = FreshTempFolder(QStringLiteral("SaveRA"));
    if (folder.isEmpty())
        return 2;
    std::puts(folder.toUtf8().constData());
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if ((a.size() == 4 || a.size() == 5) && a[1] == QLatin1String("nextkey"))
        return nextKeys(a[2], a[3].toInt(), a.size() == 5 ? a[4].toInt() : 1);
    if (a.size() == 3 && a[1] == QLatin1String("churn"))
        return churn(a[2]);
    if (a.size() == 3 && a[1] == QLatin1String("hold"))
        return hold(a[2]);
    if (a.size() == 3 && a[1] == QLatin1String("tempfolder"))
        return tempFolder(a[2]);
    std::fputs("usage: settings_writer nextkey DIR N [COUNT] | churn FILE | hold FILE | tempfolder TEMP\n", stderr);
    return 2;
}
