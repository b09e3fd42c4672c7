#include "server/ServerLog.h"

#include <QDateTime>

#include <cstdio>

namespace server {

ServerLog::ServerLog(const QString& file)
{
    if (!file.isEmpty()) {
        m_file.setFileName(file);
        if (m_file.open(QIODevice::Append | QIODevice::Text))
            m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

void ServerLog::write(const QString& text)
{
    // What clients wrote (addresses, place names) never breaks a line of the log.
    QString clean = text;
    for (QChar& c : clean)
        if (c.category() == QChar::Other_Control)
            c = u'?';
    const QByteArray line =
        (QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss ") + clean + "\n").toUtf8();
    QMutexLocker lock(&m_mutex);
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    if (m_file.isOpen()) {
        m_file.write(line);
        m_file.flush();
    }
}

} // namespace server
