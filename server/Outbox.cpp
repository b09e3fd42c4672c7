#include "server/Outbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QUuid>

#include <atomic>

namespace server {

QString Outbox::send(const QString& to, const QString& subject, const QString& body)
{
    if (!QDir().mkpath(m_folder))
        return {};
    // Names sort in the order the messages were written.
    static std::atomic<int> sequence{0};
    const QString name = QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss-zzz-")
        + QStringLiteral("%1-").arg(++sequence % 1000000, 6, 10, QChar(u'0'))
        + QUuid::createUuid().toString(QUuid::WithoutBraces) + ".eml";
    QFile file(QDir(m_folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // Header values never carry line breaks of their own.
    auto oneLine = [](QString v) { return v.replace(u'\r', u' ').replace(u'\n', u' '); };
    const QString text = "To: " + oneLine(to) + "\r\nSubject: " + oneLine(subject) + "\r\nDate: "
        + QDateTime::currentDateTime().toString(Qt::RFC2822Date)
        + "\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body + "\r\n";
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.remove();
        return {};
    }
    return file.fileName();
}

} // namespace server
