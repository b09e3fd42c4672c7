#include "server/Outbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QUuid>

namespace server {

QString Outbox::send(const QString& to, const QString& subject, const QString& body)
{
    if (!QDir().mkpath(m_folder))
        return {};
    const QString name = QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces) + ".eml";
    QFile file(QDir(m_folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    // Header values never carry line breaks of their own.
    auto oneLine = [](QString v) { return v.replace(u'\r', u' ').replace(u'\n', u' '); };
    const QString text = "To: " + oneLine(to) + "\r\nSubject: " + oneLine(subject) + "\r\nDate: "
        + QDateTime::currentDateTime().toString(Qt::RFC2822Date)
        + "\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body + "\r\n";
    file.write(text.toUtf8());
    return file.fileName();
}

} // namespace server
