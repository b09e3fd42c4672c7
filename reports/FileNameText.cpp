#include "reports/FileNameText.h"

#include <QSet>

QString CleanFileNamePart(const QString& name)
{
    static const QString refused = QStringLiteral("/\\:*?\"<>|'");
    QString cleaned = name;
    for (QChar& c : cleaned)
        if (c.category() == QChar::Other_Control || refused.contains(c))
            c = QLatin1Char('_');
    return cleaned;
}

QStringList UniqueFileNameParts(const QStringList& names)
{
    QStringList result;
    QSet<QString> taken;
    for (const QString& name : names) {
        const QString cleaned = CleanFileNamePart(name);
        QString unique = cleaned;
        for (int n = 2; taken.contains(unique.toLower()); ++n)
            unique = cleaned + "_" + QString::number(n);
        taken.insert(unique.toLower());
        result << unique;
    }
    return result;
}
