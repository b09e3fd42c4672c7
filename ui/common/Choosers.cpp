#include "ui/common/Choosers.h"

#include "data/Paths.h"
#include "data/Settings.h"
#include "data/Shell.h"
#include "data/TestMode.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <functional>

namespace {

const QString kLastFolders = QStringLiteral("ULTIMUL_FOLDER");

// The kind of file a chooser is for: the first extension of its filter
// ("Salvare Hestavo (*.L21)" gives "L21"), "DIRECTOR" for folders.
QString KindOf(const QString& filter)
{
    static const QRegularExpression extension(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = extension.match(filter);
    return m.hasMatch() ? m.captured(1).toUpper() : QStringLiteral("DIRECTOR");
}

// Without a start of its own, a chooser starts where the last one of its
// kind ended; the folder chosen is kept for the next (machine settings).
QString choose(const char* kind, const QString& fileKind, const QString& title, const QString& start,
               const std::function<QString(const QString& start)>& show)
{
    // Kept only where the program's folder is known (not in a bare test).
    const bool keeps = !paths().programFolder.isEmpty();
    const QString from = start.isEmpty() && keeps ? ReadLocalSetting(kLastFolders, fileKind) : start;
    QString answer;
    if (testmode::active()) {
        answer = testmode::takeChooserAnswer();
        testmode::record(testmode::Chooser{QString::fromLatin1(kind), title, from, answer});
    } else {
        answer = show(from);
    }
    if (!answer.isEmpty() && keeps)
        WriteLocalSetting(kLastFolders, fileKind, fileKind == QLatin1String("DIRECTOR") ? answer : QFileInfo(answer).absolutePath());
    return answer;
}

} // namespace

QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& filter, const QString& start)
{
    return choose("open", KindOf(filter), title, start,
                  [&](const QString& from) { return QFileDialog::getOpenFileName(parent, title, from, filter); });
}

QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& filter, const QString& start)
{
    return choose("save", KindOf(filter), title, start,
                  [&](const QString& from) { return QFileDialog::getSaveFileName(parent, title, from, filter); });
}

QString ChooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    return choose("folder", KindOf(QString()), title, start,
                  [&](const QString& from) { return QFileDialog::getExistingDirectory(parent, title, from); });
}

void InstallDesktopOpener()
{
    SetDesktopOpener([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
}
