#include "data/Validators.h"

namespace hestavo {

namespace {

bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool IsEmailChar(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || IsAsciiDigit(c) || c == u'-'
        || c == u'.' || c == u'_';
}

bool AllEmailChars(const QString& s)
{
    for (QChar c : s)
        if (!IsEmailChar(c))
            return false;
    return true;
}

} // namespace

bool IsValidCIF(const QString& text)
{
    QString s = text.toUpper();
    s.remove(u' ');
    if (s.size() < 3)
        return false;
    qsizetype start = 0;
    while (start < s.size() && !IsAsciiDigit(s[start]))
        ++start;
    QString digits = s.mid(start);
    if (digits.size() < 3 || digits.size() > 10)
        return false;
    for (QChar c : digits)
        if (!IsAsciiDigit(c))
            return false;
    digits = digits.rightJustified(10, u'0');
    static constexpr int weights[9] = {7, 5, 3, 2, 1, 7, 5, 3, 2};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += (digits[i].unicode() - u'0') * weights[i];
    const int control = digits[9].unicode() - u'0';
    return (sum * 10 % 11) % 10 == control;
}

bool IsValidPhone(const QString& text)
{
    QString digits;
    for (QChar c : text)
        if (IsAsciiDigit(c))
            digits += c;
    if (digits.size() != 10)
        return false;
    return digits.startsWith(u"07") || digits.startsWith(u"03") || digits.startsWith(u"02")
        || digits.startsWith(u"01");
}

bool IsValidEmail(const QString& text)
{
    const qsizetype at = text.indexOf(u'@');
    if (at < 3)
        return false;
    const QString name = text.left(at);
    const QString domain = text.mid(at + 1);
    if (domain.size() < 5)
        return false;
    if (!AllEmailChars(name) || !AllEmailChars(domain))
        return false;
    const qsizetype dot = domain.indexOf(u'.');
    if (dot < 0)
        return false;
    const qsizetype ending = domain.size() - dot - 1;
    return ending == 2 || ending == 3;
}

} // namespace hestavo
