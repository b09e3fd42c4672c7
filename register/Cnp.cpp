#include "register/Cnp.h"

namespace hestavo {

namespace {

constexpr int kWeights[12] = {2, 7, 9, 1, 4, 6, 3, 5, 8, 2, 7, 9};

bool AllDigits(const QString& text)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

int Digit(const QString& text, int index) { return text.at(index).unicode() - u'0'; }

} // namespace

int Cnp::controlDigit(const QString& first12)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += kWeights[i] * Digit(first12, i);
    const int c = sum % 11;
    return c == 10 ? 1 : c;
}

bool Cnp::isValid(const QString& text, bool acceptEmpty)
{
    if (text.isEmpty())
        return acceptEmpty;
    if (text.size() != 13 || !AllDigits(text))
        return false;
    const int s = Digit(text, 0);
    if (s == 0 || s == 3 || s == 4)
        return false;
    const int century = (s == 5 || s == 6) ? 2000 : 1900;
    const QDate date(century + text.mid(1, 2).toInt(), text.mid(3, 2).toInt(), text.mid(5, 2).toInt());
    if (!date.isValid())
        return false;
    return controlDigit(text) == Digit(text, 12);
}

QDate Cnp::birthDate(const QString& text)
{
    if (text.size() <= 6)
        return zeroDate();
    bool okYear = false, okMonth = false, okDay = false;
    const int yy = text.mid(1, 2).toInt(&okYear);
    const int mm = text.mid(3, 2).toInt(&okMonth);
    const int dd = text.mid(5, 2).toInt(&okDay);
    if (!okYear || !okMonth || !okDay)
        return zeroDate();
    const QChar s = text.at(0);
    const int year = (s == u'5' || s == u'6') ? 2000 + yy : 1900 + yy;
    const QDate date(year, mm, dd);
    return date.isValid() ? date : QDate(1900, 1, 1);
}

QString Cnp::sex(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("masculin");
    const QChar s = text.at(0);
    return (s == u'1' || s == u'5' || s == u'7' || s == u'9') ? QStringLiteral("masculin") : QStringLiteral("feminin");
}

} // namespace hestavo
