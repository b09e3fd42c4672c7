#include "data/Shell.h"

#include "data/TestMode.h"

#include <QProcess>

namespace {
DesktopOpener& installedOpener()
{
    static DesktopOpener opener;
    return opener;
}

ShellOpenWatcher& installedWatcher()
{
    static ShellOpenWatcher watcher;
    return watcher;
}
} // namespace

void SetDesktopOpener(DesktopOpener opener) { installedOpener() = std::move(opener); }

void SetShellOpenWatcher(ShellOpenWatcher watcher) { installedWatcher() = std::move(watcher); }

bool OpenWithDesktop(const QString& path)
{
    if (testmode::active()) {
        testmode::record(testmode::ShellCall{path, {}, {}});
        return testmode::takeShellOpenAnswer();
    }
    const DesktopOpener& opener = installedOpener();
    return opener ? opener(path) : false;
}

bool ShellOpen(const QString& path)
{
    const bool opened = OpenWithDesktop(path);
    if (const ShellOpenWatcher& watcher = installedWatcher())
        watcher(path, opened);
    return opened;
}

bool ShellStart(const QString& program, const QStringList& arguments, const QString& workFolder)
{
    if (testmode::active()) {
        testmode::record(testmode::ShellCall{program, arguments, workFolder});
        return true;
    }
    return QProcess::startDetached(program, arguments, workFolder);
}
