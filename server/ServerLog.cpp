#include "server/ServerLog.h"

#include <QDateTime>

#include <cstdio>

namespace server {

ServerLog::ServerLog(const QString& file)
{
    if (!file.isEmpty()) {
        m_file.setFileName(file);
        m_file.open(QIODevice::Append | QIODevice::Text);
    }
}

void ServerLog::write(const QString& text)
{
    const QByteArray line =
        (QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss ") + text + "\n").toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    if (m_file.isOpen()) {
        m_file.write(line);
        m_file.flush();
    }
}

} // namespace server
