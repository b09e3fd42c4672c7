// The automatic-save folder setting and its write probe.
#include "backup/SaveFolderSetting.h"

#include "data/Paths.h"
#include "data/Settings.h"

#include <QDir>
#include <QFile>

namespace backup {

bool CanWriteIn(const QString& folder)
{
    if (folder.trimmed().isEmpty() || !QDir().mkpath(folder))
        return false;
    // A file of the user's that happens to be called "test.txt" is left alone.
    QString name = QDir(folder).filePath(QStringLiteral("test.txt"));
    for (int n = 1; QFile::exists(name); ++n)
        name = QDir(folder).filePath(QStringLiteral("test%1.txt").arg(n));
    QFile probe(name);
    if (!probe.open(QIODevice::WriteOnly) || probe.write("test") != 4)
        return false;
    probe.close();
    return probe.remove();
}

void SetAutoSaveFolder(const QString& folder)
{
    QString cleaned = QDir::fromNativeSeparators(folder);
    while (cleaned.size() > 1 && cleaned.endsWith('/'))
        cleaned.chop(1);
    paths().autoSaveFolder = cleaned;
    WriteMachineSetting(QStringLiteral("CALESALVARI"), QDir::toNativeSeparators(cleaned));
}

void DisableAutoSave()
{
    paths().autoSaveFolder = QStringLiteral("-");
    WriteMachineSetting(QStringLiteral("CALESALVARI"), QStringLiteral("-"));
}

} // namespace backup
