#include "server/LoginThrottle.h"

namespace server {

void LoginThrottle::prune(QList<qint64>& times, qint64 now) const
{
    while (!times.isEmpty() && times.first() <= now - m_window)
        times.removeFirst();
}

bool LoginThrottle::blocked(const QString& address, qint64 now)
{
    auto it = m_failures.find(address);
    if (it == m_failures.end())
        return false;
    prune(*it, now);
    if (it->isEmpty()) {
        m_failures.erase(it);
        return false;
    }
    return it->size() >= m_max;
}

void LoginThrottle::fail(const QString& address, qint64 now)
{
    QList<qint64>& times = m_failures[address];
    prune(times, now);
    times.append(now);
}

} // namespace server
