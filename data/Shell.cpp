#include "data/Shell.h"

#include "data/TestMode.h"

#include <QProcess>

namespace {
DesktopOpener& installedOpener()
{
    static DesktopOpener opener;
    return opener;
}
} // namespace

void SetDesktopOpener(DesktopOpener opener) { installedOpener() = std::move(opener); }

bool ShellOpen(const QString& path)
{
    if (testmode::active()) {
        testmode::record(testmode::ShellCall{path, {}, {}});
        return true;
    }
    const DesktopOpener& opener = installedOpener();
    return opener ? opener(path) : false;
}

bool ShellStart(const QString& program, const QStringList& arguments, const QString& workFolder)
{
    if (testmode::active()) {
        testmode::record(testmode::ShellCall{program, arguments, workFolder});
        return true;
    }
    return QProcess::startDetached(program, arguments, workFolder);
}
