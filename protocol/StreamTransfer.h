// The two ends of one stream over the link: the sender reads a file packet by
// packet as the receiver asks for them; the receiver appends the packets to a
// file and says when more are wanted and when the stream is whole. Both the
// backup client and the backup service move their request and reply files
// with these.
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace protocol {

class StreamSender {
public:
    // Opens the file; false when it cannot be read or exceeds 4 GB - 1.
    bool open(const QString& path);
    // One stream made of several files one after the other (a reply's head
    // and the stored files it attaches), read straight from where they are.
    // Every file is opened at once, so one removed meanwhile is still sent.
    // head: bytes sent before the files (a short reply kept in memory).
    bool open(const QStringList& paths, const QByteArray& head = {});
    quint32 size() const { return m_size; }
    qint64 sent() const { return m_sent; }
    bool finished() const { return m_sent >= m_size; }
    // The next data packet message (type 19), empty when everything was sent
    // or the file cannot be read any more.
    QByteArray nextPacket();
    void close()
    {
        m_files.clear();
        m_head.clear();
    }

private:
    QByteArray m_head;
    std::vector<std::unique_ptr<QFile>> m_files;
    size_t m_current = 0;
    quint32 m_size = 0;
    qint64 m_sent = 0;
};

class StreamReceiver {
public:
    enum class Result { More, Whole, Failed, WriteFailed };
    // Creates (truncates) the file for a stream of the announced size.
    bool open(const QString& path, quint32 size);
    // Appends one packet. More: ask for the next one; Whole: every announced
    // byte arrived; Failed: more bytes than announced; WriteFailed: the file
    // could not take the bytes (a full disk).
    Result append(const QByteArray& packet);
    quint32 size() const { return m_size; }
    qint64 received() const { return m_received; }
    bool isOpen() const { return m_file.isOpen(); }
    void close() { m_file.close(); }

private:
    QFile m_file;
    quint32 m_size = 0;
    qint64 m_received = 0;
};

} // namespace protocol
