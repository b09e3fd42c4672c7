// The service's log: one line per event, with date and time, to standard
// error and appended to the store's "server.log".
#pragma once

#include <QFile>
#include <QString>

namespace server {

class ServerLog {
public:
    explicit ServerLog(const QString& file = {});
    void write(const QString& text);

private:
    QFile m_file;
};

} // namespace server
