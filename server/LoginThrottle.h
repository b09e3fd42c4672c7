// Failed logins counted per network address: after too many within a time
// window, the address is refused until the oldest failures age out.
#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace server {

class LoginThrottle {
public:
    LoginThrottle(int maxFailures, int windowSeconds) : m_max(maxFailures), m_window(windowSeconds) {}
    bool blocked(const QString& address, qint64 now);
    void fail(const QString& address, qint64 now);

private:
    void prune(QList<qint64>& times, qint64 now) const;
    int m_max;
    int m_window;
    QHash<QString, QList<qint64>> m_failures;
};

} // namespace server
