#include "data/Cp1250.h"

#include "engine/storage/CodePage.h"

// Settings and list files use the same code page, and the same rules for
// characters it cannot hold, as the table files: one conversion serves both.

QByteArray toCp1250(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::string bytes = engine::storage::fromUtf8(std::string_view(utf8.constData(), size_t(utf8.size())),
                                                        engine::storage::CodePage::Windows1250);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QString fromCp1250(const QByteArray& bytes)
{
    const std::string utf8 = engine::storage::toUtf8(std::string_view(bytes.constData(), size_t(bytes.size())),
                                                     engine::storage::CodePage::Windows1250);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}
