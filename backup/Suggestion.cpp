#include "backup/Suggestion.h"

#include "backup/HttpGet.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "data/Validators.h"

#include <QFile>
#include <QUrl>

namespace {

QString encoded(const QString& value) { return QString::fromLatin1(QUrl::toPercentEncoding(value)); }

QStringList cleanedLines(const QStringList& lines)
{
    QStringList out;
    for (const QString& l : lines)
        out << CleanText(l);
    return out;
}

} // namespace

QString SuggestionUrl()
{
    const QString url = ReadMachineSetting(QStringLiteral("ADRESA_SUGESTII")).trimmed();
    return url.isEmpty() ? QStringLiteral("http://www.hestavo.ro/sugestii.php") : url;
}

QString JoinedSuggestion(const QStringList& lines) { return cleanedLines(lines).join(QStringLiteral("%0D%0A")); }

QString SuggestionQuery(const Suggestion& s)
{
    return "nume=" + encoded("Hestavo : " + CleanText(s.name)) + "&comuna=" + encoded(CleanText(s.place))
        + "&telefon_fax=" + encoded(CleanText(s.phone)) + "&mail=" + encoded(CleanText(s.email))
        + "&produs=" + encoded(cleanedLines(s.lines).join(QStringLiteral("\r\n")));
}

bool SendSuggestion(const Suggestion& s, const QString& url, const QString& replyFile)
{
    const int status = HttpGetToFile(url + "?" + SuggestionQuery(s), replyFile);
    QString reply;
    QFile file(replyFile);
    if (status == 0 && file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd())
            reply += CleanText(QString::fromUtf8(file.readLine(4096)).remove(u'\r').remove(u'\n'));
        file.close();
    }
    QFile::remove(replyFile);
    return status == 0 && reply.contains(QStringLiteral("SUCCES"));
}

SuggestionProblem CheckSuggestion(const Suggestion& s)
{
    if (CleanText(s.name).size() <= 2)
        return {SuggestionProblem::Name, QStringLiteral("Nume incorect!")};
    if (!hestavo::IsValidPhone(CleanText(s.phone)))
        return {SuggestionProblem::Phone, QStringLiteral("Telefon incorect!")};
    if (!hestavo::IsValidEmail(s.email))
        return {SuggestionProblem::Email, QStringLiteral("Email incorect!")};
    if (JoinedSuggestion(s.lines).size() < 6 * s.lines.size() + 4)
        return {SuggestionProblem::Text, QStringLiteral("Sugestia dvs e prea scurta!")};
    return {};
}
