#include "app/Shell.h"

#include "app/TestMode.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QProcess>
#include <QUrl>

#include <functional>

bool ShellOpen(const QString& path)
{
    if (testmode::active()) {
        testmode::record(testmode::ShellCall{path, {}, {}});
        return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool ShellStart(const QString& program, const QStringList& arguments, const QString& workFolder)
{
    if (testmode::active()) {
        testmode::record(testmode::ShellCall{program, arguments, workFolder});
        return true;
    }
    return QProcess::startDetached(program, arguments, workFolder);
}

namespace {
QString choose(const char* kind, const QString& title, const QString& start,
               const std::function<QString()>& show)
{
    if (testmode::active()) {
        const QString answer = testmode::takeChooserAnswer();
        testmode::record(testmode::Chooser{QString::fromLatin1(kind), title, start, answer});
        return answer;
    }
    return show();
}
} // namespace

QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& filter, const QString& start)
{
    return choose("open", title, start, [&] { return QFileDialog::getOpenFileName(parent, title, start, filter); });
}

QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& filter, const QString& start)
{
    return choose("save", title, start, [&] { return QFileDialog::getSaveFileName(parent, title, start, filter); });
}

QString ChooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    return choose("folder", title, start, [&] { return QFileDialog::getExistingDirectory(parent, title, start); });
}
