// Buffered line reading and CR LF line writing for the RTF engine.
#include "documents/RtfLines.h"

namespace documents {

bool LineReader::open(const QString& path)
{
    m_file.setFileName(path);
    m_pos = m_len = 0;
    return m_file.open(QIODevice::ReadOnly);
}

bool LineReader::fill()
{
    if (m_pos < m_len)
        return true;
    const qint64 got = m_file.read(m_buf.data(), qint64(m_buf.size()));
    if (got < 0)
        throw RTFError(QStringLiteral("Nu pot citi sablonul %1!").arg(m_file.fileName()));
    m_pos = 0;
    m_len = got;
    return m_len > 0;
}

bool LineReader::atEnd()
{
    return !fill();
}

bool LineReader::readLine(QByteArray& line)
{
    line.clear();
    if (!fill())
        return false;
    while (fill()) {
        const char* start = m_buf.data() + m_pos;
        const qsizetype avail = m_len - m_pos;
        qsizetype i = 0;
        while (i < avail && start[i] != '\n' && start[i] != '\r')
            ++i;
        line.append(start, i);
        m_pos += i;
        if (i == avail)
            continue; // the line goes on in the next block
        const char end = m_buf[m_pos++];
        if (end == '\r' && fill() && m_buf[m_pos] == '\n')
            ++m_pos;
        return true;
    }
    return true; // last line without a line end
}

LineWriter::LineWriter(const QString& path, bool truncate)
    : m_file(path)
{
    const auto mode = QIODevice::WriteOnly | (truncate ? QIODevice::Truncate : QIODevice::Append);
    if (!m_file.open(mode))
        throw RTFError(QStringLiteral("Nu pot scrie documentul %1!").arg(path));
}

LineWriter::~LineWriter()
{
    if (m_file.isOpen())
        m_file.close();
}

void LineWriter::writeLine(const QByteArray& line)
{
    if (m_file.write(line) != line.size() || m_file.write("\r\n", 2) != 2)
        throw RTFError(QStringLiteral("Nu pot scrie documentul %1!").arg(m_file.fileName()));
}

void LineWriter::close()
{
    const bool flushed = m_file.flush();
    m_file.close();
    if (!flushed || m_file.error() != QFileDevice::NoError)
        throw RTFError(QStringLiteral("Nu pot scrie documentul %1!").arg(m_file.fileName()));
}

} // namespace documents
