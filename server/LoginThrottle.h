// Events counted per key (a network address, an account, ...) within a
// sliding time window: after too many, the key is refused until the oldest
// events age out. Failed logins, wrong codes, new accounts and web requests
// each have a throttle of their own. Safe to use from several threads.
#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

namespace server {

class LoginThrottle {
public:
    LoginThrottle(int maxEvents, int windowSeconds) : m_max(maxEvents), m_window(windowSeconds) {}
    bool blocked(const QString& key, qint64 now);
    void fail(const QString& key, qint64 now);
    // Events of the key within the window.
    int count(const QString& key, qint64 now);

private:
    void prune(QList<qint64>& times, qint64 now) const;
    int m_max;
    int m_window;
    QMutex m_mutex;
    QHash<QString, QList<qint64>> m_failures;
};

} // namespace server
