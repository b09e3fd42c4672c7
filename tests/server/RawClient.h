// A blocking client of the backup service's link layer for tests: it can
// speak the protocol properly (transact) or send any bytes at all.
#pragma once

#include "protocol/LinkMessage.h"

#include <QTcpSocket>

class RawClient {
public:
    // from: the local loopback address the connection comes from, so that a
    // test can play several network addresses (all of 127.0.0.0/8 is local).
    explicit RawClient(quint16 port, const QString& from = QStringLiteral("127.0.0.1"))
    {
        m_socket.bind(QHostAddress(from));
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        m_socket.waitForConnected(10000);
    }

    void sendBytes(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(10000);
    }
    // Stream data sent by transact() so far.
    qint64 dataSent() const { return m_dataSent; }
    void send(quint32 type, const QByteArray& payload = {}) { sendBytes(protocol::encodeMessage(type, payload)); }

    // The next message, or type 0 when the service closed the link or sent
    // nothing within the time.
    protocol::LinkMessage receive(int timeoutMs = 20000)
    {
        protocol::LinkMessage m;
        while (!m_reader.next(&m)) {
            if (m_reader.broken())
                return {};
            if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(timeoutMs))
                return {};
            m_reader.feed(m_socket.read(protocol::kMaxMessageLength));
        }
        return m;
    }

    // True when the service closes the link (after any messages it still sends).
    bool closedByServer(int timeoutMs = 20000)
    {
        while (receive(timeoutMs).type != 0) {
        }
        if (m_socket.state() == QAbstractSocket::ConnectedState)
            m_socket.waitForDisconnected(timeoutMs);
        return m_socket.state() == QAbstractSocket::UnconnectedState;
    }

    // Answers the login request with the e-mail and the password.
    bool login(const QByteArray& email, const QByteArray& password)
    {
        if (receive().type != protocol::kAskLogin)
            return false;
        send(protocol::kLogin, protocol::encodeLogin("092" + email, password.leftJustified(40, ' ') + "Primaria/Cluj"));
        return receive().type == protocol::kLoginAccepted;
    }

    // Sends the request bytes as a stream and returns the whole reply; an
    // empty array when the service refused or broke off.
    QByteArray transact(const QByteArray& request)
    {
        send(protocol::kAnnounce, protocol::encodeAnnounce(quint32(request.size()), "\"trimit\""));
        qsizetype sent = 0;
        QByteArray reply;
        quint32 size = 0;
        for (;;) {
            const protocol::LinkMessage m = receive();
            switch (m.type) {
            case protocol::kAccept:
            case protocol::kNextPacket: {
                const QByteArray chunk = request.mid(sent, protocol::kPacketSize);
                sent += chunk.size();
                m_dataSent += chunk.size();
                if (!chunk.isEmpty())
                    send(protocol::kData, chunk);
                break;
            }
            case protocol::kComplete:
                break;
            case protocol::kAnnounce:
                protocol::decodeAnnounce(m.payload, &size);
                send(protocol::kAccept);
                if (size == 0)
                    return reply;
                break;
            case protocol::kData:
                reply += m.payload;
                if (reply.size() < qsizetype(size)) {
                    send(protocol::kNextPacket);
                } else {
                    send(protocol::kComplete);
                    return reply;
                }
                break;
            default:
                return {};
            }
        }
    }

    QTcpSocket& socket() { return m_socket; }

private:
    QTcpSocket m_socket;
    protocol::LinkReader m_reader{0xFFFFFFFFu};
    qint64 m_dataSent = 0;
};

// One whole request as the service expects it.
inline QByteArray rawRequest(quint16 port, const QByteArray& email, const QByteArray& password,
                             const QByteArray& request, const QString& from = QStringLiteral("127.0.0.1"))
{
    RawClient client(port, from);
    if (!client.login(email, password))
        return {};
    return client.transact(request);
}
