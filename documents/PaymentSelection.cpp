#include "documents/PaymentSelection.h"

#include <cmath>

const QStringList& SelectionLetters()
{
    static const QStringList letters = QStringLiteral("A B C D E F G H I J K L M N O P R S T U V Z").split(u' ');
    return letters;
}

QString QuotedLiteral(const QString& text)
{
    QString clean = text;
    clean.replace(u'"', u' ');
    return u'"' + clean + u'"';
}

QString SelectionConditions(const PaymentSelection& selection)
{
    QString out;
    if (!selection.locality.isEmpty())
        out += " AND LOCALIT=" + QuotedLiteral(selection.locality);
    out += " AND TITULAR>=" + QuotedLiteral(QString(selection.firstLetter));
    if (selection.lastLetter != u'Z')
        out += " AND TITULAR<=" + QuotedLiteral(QString(selection.lastLetter) + "ZZ");
    return out;
}

qint64 ToCents(double amount)
{
    return std::llround(amount * 100);
}

QString CentsText(qint64 cents)
{
    const QString sign = cents < 0 ? QStringLiteral("-") : QString();
    const qint64 a = std::llabs(cents);
    return sign + QString::number(a / 100) + u'.' + QStringLiteral("%1").arg(a % 100, 2, 10, QChar(u'0'));
}
