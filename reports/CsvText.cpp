#include "reports/CsvText.h"

#include "reports/ExportText.h"

#include <cmath>
#include <cstdlib>

namespace hestavo {

namespace {

// Windows-1250 letters that Unicode does not decompose into a base letter
// and a mark.
QString PlainLetter(QChar c)
{
    switch (c.unicode()) {
    case 0x0141: return QStringLiteral("L");   // Ł
    case 0x0142: return QStringLiteral("l");   // ł
    case 0x0110: return QStringLiteral("D");   // Đ
    case 0x0111: return QStringLiteral("d");   // đ
    case 0x00DF: return QStringLiteral("ss");  // ß
    default: return QString(c);
    }
}

// The text with the marks of its letters dropped ("Ștefan Mureșan" gives
// "Stefan Muresan"); other characters are kept.
QString WithoutDiacritics(const QString& text)
{
    QString out;
    for (QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            out += PlainLetter(c);
    }
    return out;
}

QChar AsciiUpper(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 'a' + 'A') : c;
}

bool IsDigitOrUpper(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z');
}

// Whole hundredths of an amount read from a two-decimal column.
long long Hundredths(double amount)
{
    return std::llround(amount * 100);
}

// a / b rounded towards minus infinity (b > 0).
long long FloorDiv(long long a, long long b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

QString CsvValue(const QString& text)
{
    QString out = WithoutDiacritics(text);
    for (QChar& c : out) {
        c = AsciiUpper(c);
        if (c != u'.' && !IsDigitOrUpper(c))
            c = u' ';
    }
    return out.simplified();
}

QString RoundedIncome(double income)
{
    return QString::number(FloorDiv(Hundredths(income) + 99, 100));
}

QString CompensationLevel(double aid)
{
    // aid / 320 * 100 in hundredths of a percent is aid * 125 / 4.
    const long long quarters = RoundHalfEven(aid) * 125;
    return HundredthsText(quarters >= 0 ? (quarters + 2) / 4 : -((-quarters + 2) / 4));
}

QString HundredthsText(long long hundredths)
{
    const long long a = std::llabs(hundredths);
    return (hundredths < 0 ? QStringLiteral("-") : QString()) + QString::number(a / 100) + u'.'
           + QStringLiteral("%1").arg(a % 100, 2, 10, QLatin1Char('0'));
}

QString NameKey(const QString& name)
{
    QString out;
    for (QChar c : WithoutDiacritics(name)) {
        c = AsciiUpper(c);
        if (IsDigitOrUpper(c) || c == u'_')
            out += c;
    }
    return out;
}

QString CountyAnnexStem(int annex, const QString& uatName, const QString& monthName, int year)
{
    return "ANEXA_" + QString::number(annex) + u'_' + NameKey(uatName) + u'_' + NameKey(monthName) + u'_'
           + QString::number(year);
}

CsvTable::CsvTable(const QString& header)
{
    const qsizetype columns = header.split(u',').size();
    QStringList numbers;
    for (qsizetype i = 1; i <= columns; ++i)
        numbers << QString::number(i);
    m_bytes = header.toLatin1() + "\r\n" + numbers.join(u',').toLatin1() + "\r\n";
}

void CsvTable::append(const QStringList& fields)
{
    ++m_rows;
    m_bytes += (QStringList{QString::number(m_rows)} + fields).join(u',').toLatin1() + "\r\n";
}

} // namespace hestavo
