// Probes the "in use" lock byte that every open table handle holds shared.
#include "backup/TablesInUse.h"

#include "data/Paths.h"
#include "engine/storage/DbfTableImpl.h"
#include "engine/storage/FileHandle.h"

#include <QFile>
#include <QFileInfo>

namespace backup {

QString TableInUseMessage(const QString& folder)
{
    using engine::storage::FileHandle;
    for (const char* name : {"Cereri.dbf", "Oameni.dbf", "Log.dbf"}) {
        const QString path = findFileNoCase(folder, QString::fromLatin1(name));
        if (!QFileInfo(path).isFile())
            continue;
        try {
            FileHandle file(path.toStdString(), FileHandle::Mode::ReadWrite);
            if (!file.lock(engine::storage::kUseLockByte, 1, FileHandle::Lock::Exclusive, false))
                return QStringLiteral("Tabela \"%1\" este folosita de alt proces").arg(path);
            file.unlock(engine::storage::kUseLockByte, 1);
        } catch (const std::exception& e) {
            return QString::fromStdString(e.what());
        }
    }
    return {};
}

} // namespace backup
