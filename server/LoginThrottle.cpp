#include "server/LoginThrottle.h"

namespace server {

void LoginThrottle::prune(QList<qint64>& times, qint64 now) const
{
    while (!times.isEmpty() && times.first() <= now - m_window)
        times.removeFirst();
}

int LoginThrottle::count(const QString& key, qint64 now)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_failures.find(key);
    if (it == m_failures.end())
        return 0;
    prune(*it, now);
    if (it->isEmpty()) {
        m_failures.erase(it);
        return 0;
    }
    return int(it->size());
}

bool LoginThrottle::blocked(const QString& key, qint64 now) { return count(key, now) >= m_max; }

void LoginThrottle::fail(const QString& key, qint64 now)
{
    QMutexLocker lock(&m_mutex);
    QList<qint64>& times = m_failures[key];
    prune(times, now);
    times.append(now);
}

} // namespace server
