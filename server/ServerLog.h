// The service's log: one line per event, with date and time, to standard
// error and appended to the store's "server.log" (readable by its owner
// only). Safe to use from several threads.
#pragma once

#include <QFile>
#include <QMutex>
#include <QString>

namespace server {

class ServerLog {
public:
    explicit ServerLog(const QString& file = {});
    void write(const QString& text);

private:
    QMutex m_mutex;
    QFile m_file;
};

} // namespace server
