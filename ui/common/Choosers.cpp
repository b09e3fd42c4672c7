#include "ui/common/Choosers.h"

#include "data/Shell.h"
#include "data/TestMode.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

#include <functional>

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

void InstallDesktopOpener()
{
    SetDesktopOpener([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
}
