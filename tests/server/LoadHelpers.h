// Helpers of the load runs against a service process: its memory from
// /proc and the archive identifier of an upload's reply.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The value of a "VmHWM:"-like line of /proc/PID/status, in kilobytes.
inline qint64 statusKb(qint64 pid, const char* key)
{
    QFile f(QString("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// "/OK 17" out of a reply.
inline QByteArray okId(const QByteArray& reply)
{
    const qsizetype at = reply.indexOf("/OK ");
    return at < 0 ? QByteArray() : reply.mid(at + 4, reply.indexOf('\r', at) - at - 4);
}
