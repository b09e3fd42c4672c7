#include "workbook/biff8/RecordReader.h"

namespace workbook::biff8 {

std::vector<Record> readRecords(const QByteArray& stream)
{
    ByteView v(stream);
    std::vector<Record> out;
    qsizetype at = 0;
    while (at + 4 <= v.size()) {
        Record r;
        r.offset = at;
        r.type = v.u16(at);
        uint16_t size = v.u16(at + 2);
        if (r.type == 0 && size == 0) {
            // Zero padding after the last EOF, as some writers leave it.
            break;
        }
        if (at + 4 + size > v.size())
            throw FormatError("inregistrarea 0x" + QByteArray::number(r.type, 16).toStdString()
                              + " depaseste sfarsitul fluxului (fisier trunchiat)");
        r.data = v.bytes(at + 4, size);
        out.push_back(std::move(r));
        at += 4 + size;
    }
    return out;
}

void writeRecord(QByteArray& out, uint16_t type, const QByteArray& data)
{
    qsizetype at = 0;
    uint16_t t = type;
    do {
        qsizetype n = std::min(MaxRecordData, data.size() - at);
        putU16(out, t);
        putU16(out, uint16_t(n));
        out.append(data.constData() + at, n);
        at += n;
        t = rt::Continue;
    } while (at < data.size());
}

void ContinuedReader::advance()
{
    while (m_seg < m_segments.size() && m_pos >= m_segments[m_seg].size()) {
        ++m_seg;
        m_pos = 0;
    }
    if (m_seg >= m_segments.size())
        throw FormatError("date de text trunchiate");
}

bool ContinuedReader::atEnd()
{
    while (m_seg < m_segments.size() && m_pos >= m_segments[m_seg].size()) {
        ++m_seg;
        m_pos = 0;
    }
    return m_seg >= m_segments.size();
}

uint8_t ContinuedReader::u8()
{
    advance();
    return m_segments[m_seg].u8(m_pos++);
}

uint16_t ContinuedReader::u16()
{
    uint16_t lo = u8();
    return uint16_t(lo | (u8() << 8));
}

uint32_t ContinuedReader::u32()
{
    uint32_t lo = u16();
    return lo | (uint32_t(u16()) << 16);
}

void ContinuedReader::skip(qsizetype count)
{
    while (count > 0) {
        advance();
        qsizetype n = std::min(count, m_segments[m_seg].size() - m_pos);
        m_pos += n;
        count -= n;
    }
}

QByteArray ContinuedReader::take(qsizetype count)
{
    QByteArray out;
    while (count > 0) {
        advance();
        qsizetype n = std::min(count, m_segments[m_seg].size() - m_pos);
        out.append(m_segments[m_seg].data() + m_pos, n);
        m_pos += n;
        count -= n;
    }
    return out;
}

QString ContinuedReader::chars(qsizetype count, bool wide)
{
    QString s;
    s.reserve(std::min<qsizetype>(count, 32767));
    while (count > 0) {
        if (m_seg >= m_segments.size() || m_pos >= m_segments[m_seg].size()) {
            // A CONTINUE inside the characters opens with a flag byte that
            // gives the width of the rest.
            advance();
            wide = (m_segments[m_seg].u8(m_pos++) & 0x01) != 0;
            continue;
        }
        const ByteView& v = m_segments[m_seg];
        qsizetype width = wide ? 2 : 1;
        qsizetype avail = (v.size() - m_pos) / width;
        if (avail == 0)
            throw FormatError("caracter impartit intre inregistrari");
        qsizetype n = std::min(avail, count);
        for (qsizetype i = 0; i < n; ++i) {
            s.append(wide ? QChar(v.u16(m_pos)) : QChar(ushort(v.u8(m_pos))));
            m_pos += width;
        }
        count -= n;
    }
    return s;
}

QString ContinuedReader::unicodeString(bool shortCount)
{
    qsizetype count = shortCount ? u8() : u16();
    uint8_t flags = u8();
    uint16_t runs = (flags & 0x08) ? u16() : 0;
    uint32_t ext = (flags & 0x04) ? u32() : 0;
    QString s = chars(count, flags & 0x01);
    skip(qsizetype(runs) * 4);
    skip(ext);
    return s;
}

QString ContinuedReader::unicodeString(QByteArray& runs, QByteArray& extension)
{
    qsizetype count = u16();
    uint8_t flags = u8();
    uint16_t runCount = (flags & 0x08) ? u16() : 0;
    uint32_t ext = (flags & 0x04) ? u32() : 0;
    QString s = chars(count, flags & 0x01);
    runs = take(qsizetype(runCount) * 4);
    extension = take(ext);
    return s;
}

QByteArray encodeUnicodeString(const QString& s, bool shortCount)
{
    QByteArray out;
    bool wide = false;
    for (QChar c : s)
        if (c.unicode() > 0xFF) wide = true;
    if (shortCount) putU8(out, uint8_t(s.size())); else putU16(out, uint16_t(s.size()));
    putU8(out, wide ? 1 : 0);
    for (QChar c : s) {
        if (wide) putU16(out, c.unicode()); else putU8(out, uint8_t(c.unicode()));
    }
    return out;
}

} // namespace workbook::biff8
