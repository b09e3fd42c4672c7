#include "workbook/biff8/SharedStrings.h"

namespace workbook::biff8 {

std::vector<QString> SharedStrings::parse(const QByteArray& sst, const std::vector<QByteArray>& continues,
                                          std::vector<StringFormatting>& formatting)
{
    std::vector<ByteView> segs;
    segs.emplace_back(sst);
    for (const QByteArray& c : continues)
        segs.emplace_back(c);
    ContinuedReader r(segs);
    r.u32();   // total references
    uint32_t unique = r.u32();
    std::vector<QString> out;
    out.reserve(std::min<uint32_t>(unique, 1u << 20));
    for (uint32_t i = 0; i < unique; ++i) {
        // Some writers declare more strings than they store; stop at the end.
        if (r.atEnd())
            break;
        StringFormatting f;
        out.push_back(r.unicodeString(f.runs, f.extension));
        formatting.push_back(std::move(f));
    }
    return out;
}

int SharedStrings::add(const QString& s, const StringFormatting& formatting)
{
    ++m_total;
    const bool plain = formatting.isEmpty();
    const QString key = plain ? s
        : s + QChar(0) + QString::fromLatin1(formatting.runs.toHex() + '/' + formatting.extension.toHex());
    QHash<QString, int>& index = plain ? m_index : m_formattedIndex;
    auto it = index.constFind(key);
    if (it != index.constEnd())
        return it.value();
    int i = int(m_strings.size());
    m_strings.push_back(s);
    m_formatting.push_back(formatting);
    index.insert(key, i);
    return i;
}

QByteArray SharedStrings::serialize(qsizetype streamOffset) const
{
    std::vector<QByteArray> records(1);
    putU32(records[0], m_total);
    putU32(records[0], uint32_t(m_strings.size()));
    const qsizetype perBucket = std::max<qsizetype>(8, qsizetype(m_strings.size()) / 128 + 1);
    struct Bucket { qsizetype record; qsizetype pos; };
    std::vector<Bucket> buckets;

    for (size_t i = 0; i < m_strings.size(); ++i) {
        const QString& s = m_strings[i];
        const StringFormatting& f = m_formatting[i];
        bool wide = false;
        for (QChar c : s)
            if (c.unicode() > 0xFF) { wide = true; break; }
        const qsizetype width = wide ? 2 : 1;
        // The header and the first character stay together.
        const qsizetype header = 3 + (f.runs.isEmpty() ? 0 : 2) + (f.extension.isEmpty() ? 0 : 4);
        if (MaxRecordData - records.back().size() < header + width)
            records.emplace_back();
        if (qsizetype(i) % perBucket == 0)
            buckets.push_back({qsizetype(records.size() - 1), records.back().size()});
        QByteArray* cur = &records.back();
        putU16(*cur, uint16_t(s.size()));
        putU8(*cur, uint8_t((wide ? 0x01 : 0) | (f.runs.isEmpty() ? 0 : 0x08) | (f.extension.isEmpty() ? 0 : 0x04)));
        if (!f.runs.isEmpty()) putU16(*cur, uint16_t(f.runs.size() / 4));
        if (!f.extension.isEmpty()) putU32(*cur, uint32_t(f.extension.size()));
        qsizetype done = 0;
        while (done < s.size()) {
            qsizetype fit = (MaxRecordData - cur->size()) / width;
            if (fit == 0) {
                records.emplace_back();
                cur = &records.back();
                putU8(*cur, wide ? 1 : 0);
                continue;
            }
            qsizetype n = std::min(fit, s.size() - done);
            for (qsizetype k = 0; k < n; ++k) {
                ushort c = s.at(done + k).unicode();
                if (wide) putU16(*cur, c); else putU8(*cur, uint8_t(c));
            }
            done += n;
        }
        // Runs and phonetic data continue without a flag byte, never cut in half.
        for (qsizetype k = 0; k < f.runs.size(); k += 4) {
            if (MaxRecordData - records.back().size() < 4)
                records.emplace_back();
            records.back().append(f.runs.constData() + k, 4);
        }
        if (!f.extension.isEmpty()) {
            if (MaxRecordData - records.back().size() < f.extension.size() && f.extension.size() <= MaxRecordData)
                records.emplace_back();
            for (qsizetype k = 0; k < f.extension.size();) {
                if (records.back().size() == MaxRecordData)
                    records.emplace_back();
                const qsizetype n = std::min(f.extension.size() - k, MaxRecordData - records.back().size());
                records.back().append(f.extension.constData() + k, n);
                k += n;
            }
        }
    }

    QByteArray out;
    std::vector<qsizetype> recordStart;
    for (size_t k = 0; k < records.size(); ++k) {
        recordStart.push_back(streamOffset + out.size());
        putU16(out, k == 0 ? rt::Sst : rt::Continue);
        putU16(out, uint16_t(records[k].size()));
        out.append(records[k]);
    }
    QByteArray ext;
    putU16(ext, uint16_t(perBucket));
    for (const Bucket& b : buckets) {
        putU32(ext, uint32_t(recordStart[b.record] + 4 + b.pos));
        putU16(ext, uint16_t(4 + b.pos));
        putU16(ext, 0);
    }
    writeRecord(out, rt::ExtSst, ext);
    return out;
}

} // namespace workbook::biff8
