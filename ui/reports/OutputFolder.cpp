#include "ui/reports/OutputFolder.h"

#include "data/Files.h"
#include "data/Shell.h"
#include "ui/common/Choosers.h"
#include "ui/common/MessageDialog.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString FolderError(const QString& heading, const QString& path, const QString& problem, const QString& advice)
{
    MessageDialog::Mesaj(heading, "\nDirectorul " + path + problem + (advice.isEmpty() ? QString() : "\n" + advice),
                         kButtonOK, kKindError);
    return QString();
}

} // namespace

QString PrepareOutputFolder(const QString& chosenParent, const QString& subfolder, const QString& heading)
{
    const QString path = QDir::cleanPath(QDir(chosenParent).filePath(subfolder));
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo::exists(path)) {
        if (MessageDialog::Mesaj(heading, "\nDirectorul " + shown + " exista deja!\nIl inlocuim?", kOverrideQuestion,
                                 kKindWarning)
            != Answer::Yes)
            return QString();
        if (!DeleteFolderTree(path) || QFileInfo::exists(path))
            return FolderError(heading, shown, " nu poate fi inlocuit!",
                               "Inchideti toate fisierele deschise din el si reincercati!");
    }
    if (!QDir().mkpath(path))
        return FolderError(heading, shown, " nu poate fi creat!", QString());
    return path;
}

QString ChooseOutputFolder(QWidget* parent, const QString& prompt, const QString& subfolder, const QString& heading)
{
    const QString chosen = ChooseFolder(parent, prompt, QString());
    if (chosen.isEmpty())
        return QString();
    return PrepareOutputFolder(chosen, subfolder, heading);
}
