#include "reports/XmlText.h"

#include "reports/ExportError.h"

#include <QSaveFile>

namespace hestavo {

namespace {

bool AllowedInXml(char32_t c)
{
    if (c < 0x20)
        return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return c != 0xFFFE && c != 0xFFFF;
}

} // namespace

QString XmlSafe(const QString& text, int* cleaned)
{
    QString out;
    out.reserve(text.size());
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        if (AllowedInXml(c.unicode()))
            out += c;
        else
            changed = true;
    }
    if (changed && cleaned)
        ++*cleaned;
    return out;
}

void WriteFileWhole(const QString& path, const QByteArray& data, const QString& heading)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw ExportError(heading, "\nFisierul " + path + " nu poate fi scris!\n" + file.errorString());
}

} // namespace hestavo
