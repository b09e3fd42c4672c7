#include "protocol/StreamTransfer.h"

#include "protocol/LinkMessage.h"

namespace protocol {

bool StreamSender::open(const QString& path) { return open(QStringList{path}); }

bool StreamSender::open(const QStringList& paths, const QByteArray& head)
{
    m_files.clear();
    m_head = head;
    m_current = 0;
    m_sent = 0;
    m_size = 0;
    qint64 total = head.size();
    for (const QString& path : paths) {
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly)) {
            m_files.clear();
            return false;
        }
        total += file->size();
        m_files.push_back(std::move(file));
    }
    if (total > qint64(0xFFFFFFFFu)) {
        m_files.clear();
        return false;
    }
    m_size = quint32(total);
    return true;
}

QByteArray StreamSender::nextPacket()
{
    const qint64 wanted = qMin<qint64>(kPacketSize, m_size - m_sent);
    QByteArray data = m_sent < m_head.size() ? m_head.mid(m_sent, wanted) : QByteArray();
    while (data.size() < wanted && m_current < m_files.size()) {
        const QByteArray part = m_files[m_current]->read(wanted - data.size());
        if (part.isEmpty())
            ++m_current;   // this file is done (or cannot be read any more)
        data += part;
    }
    if (data.isEmpty())
        return {};
    m_sent += data.size();
    return encodeMessage(kData, data);
}

bool StreamReceiver::open(const QString& path, quint32 size)
{
    m_file.close();
    m_file.setFileName(path);
    m_size = size;
    m_received = 0;
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

StreamReceiver::Result StreamReceiver::append(const QByteArray& packet)
{
    if (!m_file.isOpen() || m_received + packet.size() > qint64(m_size))
        return Result::Failed;
    if (m_file.write(packet) != packet.size() || !m_file.flush())
        return Result::WriteFailed;
    m_received += packet.size();
    if (m_received < qint64(m_size))
        return Result::More;
    m_file.close();
    return m_file.error() == QFileDevice::NoError ? Result::Whole : Result::WriteFailed;
}

} // namespace protocol
