#include "protocol/LinkMessage.h"

#include <QtEndian>

namespace protocol {

namespace {

void appendU32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

quint32 readU32(const char* at) { return qFromLittleEndian<quint32>(at); }

void appendField(QByteArray& out, const QByteArray& field)
{
    if (field.size() <= 255) {
        out.append(char(6));
        out.append(char(field.size()));
    } else {
        out.append(char(12));
        appendU32(out, quint32(field.size()));
    }
    out.append(field);
}

bool readField(const QByteArray& in, qsizetype* pos, QByteArray* field, int maxField)
{
    if (*pos >= in.size())
        return false;
    const char kind = in[*pos];
    qsizetype length = 0;
    qsizetype start = 0;
    if (kind == 6) {
        if (*pos + 2 > in.size())
            return false;
        length = quint8(in[*pos + 1]);
        start = *pos + 2;
    } else if (kind == 12) {
        if (*pos + 5 > in.size())
            return false;
        length = readU32(in.constData() + *pos + 1);
        start = *pos + 5;
    } else {
        return false;
    }
    if (length > maxField || length > in.size() - start)
        return false;
    *field = in.mid(start, length);
    *pos = start + length;
    return true;
}

} // namespace

QByteArray encodeMessage(quint32 type, const QByteArray& payload)
{
    QByteArray out;
    out.reserve(kHeaderSize + payload.size());
    appendU32(out, quint32(kHeaderSize + payload.size()));
    appendU32(out, type);
    out.append(payload);
    return out;
}

QByteArray encodeAnnounce(quint32 size, const QByteArray& description)
{
    QByteArray out;
    appendU32(out, size);
    out.append(description);
    return out;
}

bool decodeAnnounce(const QByteArray& payload, quint32* size, QByteArray* description)
{
    if (payload.size() < 4)
        return false;
    *size = readU32(payload.constData());
    if (description)
        *description = payload.mid(4);
    return true;
}

QByteArray encodeLogin(const QByteArray& user, const QByteArray& room)
{
    QByteArray out;
    appendField(out, user);
    appendField(out, room);
    return out;
}

bool decodeLogin(const QByteArray& payload, QByteArray* user, QByteArray* room, int maxField)
{
    qsizetype pos = 0;
    return readField(payload, &pos, user, maxField) && readField(payload, &pos, room, maxField)
        && pos == payload.size();
}

bool LinkReader::feed(const QByteArray& bytes)
{
    if (m_broken)
        return false;
    // Drop the bytes of messages already handed out before growing the buffer.
    if (m_start > 0 && m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    } else if (m_start > kMaxMessageLength) {
        m_buffer.remove(0, m_start);
        m_start = 0;
    }
    m_buffer.append(bytes);
    return checkHeader();
}

bool LinkReader::checkHeader()
{
    if (pending() < 4)
        return true;
    const quint32 length = readU32(m_buffer.constData() + m_start);
    if (length < quint32(kHeaderSize) || length > m_maxLength) {
        m_broken = true;
        m_error = QStringLiteral("lungime de mesaj invalida: %1").arg(length);
        m_buffer.clear();
        m_start = 0;
        return false;
    }
    return true;
}

bool LinkReader::next(LinkMessage* message)
{
    if (m_broken || pending() < kHeaderSize)
        return false;
    const char* at = m_buffer.constData() + m_start;
    const quint32 length = readU32(at);
    if (pending() < qsizetype(length))
        return false;
    message->type = readU32(at + 4);
    message->payload = m_buffer.mid(m_start + kHeaderSize, length - kHeaderSize);
    m_start += length;
    // The next header may already be here: check it at once.
    checkHeader();
    return true;
}

} // namespace protocol
