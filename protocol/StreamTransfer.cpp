#include "protocol/StreamTransfer.h"

#include "protocol/LinkMessage.h"

namespace protocol {

bool StreamSender::open(const QString& path)
{
    m_file.close();
    m_file.setFileName(path);
    m_sent = 0;
    if (!m_file.open(QIODevice::ReadOnly) || m_file.size() > qint64(0xFFFFFFFFu))
        return false;
    m_size = quint32(m_file.size());
    return true;
}

QByteArray StreamSender::nextPacket()
{
    if (finished() || !m_file.isOpen())
        return {};
    const QByteArray data = m_file.read(qMin<qint64>(kPacketSize, m_size - m_sent));
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
    if (!m_file.isOpen() || m_received + packet.size() > qint64(m_size)
        || m_file.write(packet) != packet.size())
        return Result::Failed;
    m_received += packet.size();
    if (m_received < qint64(m_size))
        return Result::More;
    m_file.close();
    return Result::Whole;
}

} // namespace protocol
