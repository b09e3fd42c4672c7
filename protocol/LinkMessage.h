// The link layer of the remote backup service, shared by the client in backup/
// and the service in server/: every message is a 32-bit little-endian total
// length (header included), a 32-bit little-endian type and the payload.
// LinkReader collects the bytes of a socket and hands out whole messages in
// order; a header whose length is below 8 or above the reader's maximum marks
// the link as broken before any of its payload is buffered.
#pragma once

#include <QByteArray>
#include <QString>

namespace protocol {

// Message types, named after what they mean to the receiver.
enum MessageType : quint32 {
    kNextPacket = 1,     // ready for the next data packet
    kAnnounce = 2,       // a stream follows: 4-byte size, description text
    kRefuse = 4,         // the announced stream is refused
    kAccept = 5,         // the announced stream is accepted
    kFailed6 = 6,        // transfer failed
    kFailed7 = 7,        // transfer failed
    kText = 8,           // a text message
    kPing = 9,
    kPong = 10,
    kLogin = 11,         // login record
    kAskLogin = 12,      // the server asks for the login record
    kDisconnectAll = 13,
    kDisconnectYou = 14,
    kKickedOut = 15,
    kNameInUse = 16,
    kNotLetIn = 17,
    kLoginAccepted = 18,
    kData = 19,          // up to kPacketSize bytes of stream data
    kComplete = 20,      // the whole announced stream has been received
};

constexpr int kHeaderSize = 8;
// Stream data carried by one data packet.
constexpr int kPacketSize = 65535;
// The largest message either side accepts: a full data packet with its header.
constexpr quint32 kMaxMessageLength = kHeaderSize + kPacketSize;

struct LinkMessage {
    quint32 type = 0;
    QByteArray payload;
};

QByteArray encodeMessage(quint32 type, const QByteArray& payload = {});

// Stream announcement payload: 4-byte little-endian size, then the text.
QByteArray encodeAnnounce(quint32 size, const QByteArray& description);
// False when the payload is shorter than the size field.
bool decodeAnnounce(const QByteArray& payload, quint32* size, QByteArray* description = nullptr);

// Login record: the user name and the room, each as a type byte 6, a one-byte
// length and the bytes (type byte 12 and a 4-byte length above 255 bytes).
QByteArray encodeLogin(const QByteArray& user, const QByteArray& room);
// False when the record is malformed: unknown type byte, a length that runs
// past the end, a field above maxField bytes, or bytes left over.
bool decodeLogin(const QByteArray& payload, QByteArray* user, QByteArray* room, int maxField = 1024);

class LinkReader {
public:
    explicit LinkReader(quint32 maxLength = kMaxMessageLength) : m_maxLength(maxLength) {}

    // Adds received bytes. Returns false (and stays broken) when a header
    // announces a length below 8 or above the maximum.
    bool feed(const QByteArray& bytes);
    // Takes the next whole message, oldest first; false when none is complete.
    bool next(LinkMessage* message);
    bool broken() const { return m_broken; }
    // Bytes of an incomplete message waiting for the rest.
    qsizetype pending() const { return m_buffer.size() - m_start; }
    QString error() const { return m_error; }

private:
    bool checkHeader();

    quint32 m_maxLength;
    QByteArray m_buffer;
    qsizetype m_start = 0;
    bool m_broken = false;
    QString m_error;
};

} // namespace protocol
