#include "workbook/CellValue.h"
#include "workbook/biff8/Globals.h"

#include "workbook/biff8/SharedStrings.h"

namespace workbook::biff8 {

void Globals::parse(const std::vector<Record>& records)
{
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        ByteView v(r.data);
        switch (r.type) {
        case rt::FilePass:
            throw FormatError("registrul este criptat (protejat cu parola)");
        case rt::Sst: {
            std::vector<QByteArray> cont;
            while (i + 1 < records.size() && records[i + 1].type == rt::Continue)
                cont.push_back(records[++i].data);
            m_sst = SharedStrings::parse(r.data, cont, m_sstFormatting);
            m_sstAt = int(m_records.size());
            continue;
        }
        case rt::ExtSst:
        case rt::RecalcId:
            continue;
        case rt::Boundsheet: {
            SheetEntry s;
            s.offset = v.u32(0);
            s.visibility = v.u8(4);
            s.kind = v.u8(5);
            ContinuedReader cr({v.sub(6, v.size() - 6)});
            s.name = cr.unicodeString(true);
            m_sheets.push_back(s);
            break;
        }
        case rt::ExternSheet: {
            int n = v.u16(0);
            for (int k = 0; k < n; ++k)
                m_xti.push_back({v.u16(2 + 6 * k), v.i16(4 + 6 * k), v.i16(6 + 6 * k)});
            break;
        }
        case rt::DateMode:
            m_date1904 = v.u16(0) == 1;
            break;
        case 0x00E0:   // XF: font, format, alignment (bit 3: wrap text)
            m_xfFont.push_back(v.u16(0));
            m_xfFormat.push_back(v.u16(2));
            m_xfWraps.push_back(v.size() > 6 && (v.u8(6) & 0x08));
            break;
        case 0x0031:   // FONT: height in twips
            m_fontTwips.push_back(v.u16(0));
            break;
        case 0x041E: { // FORMAT
            ContinuedReader cr({v.sub(2, v.size() - 2)});
            m_formats.insert(v.u16(0), cr.unicodeString());
            break;
        }
        default:
            break;
        }
        m_records.push_back(r);
    }
    int supbook = 0;
    for (const Record& r : m_records) {
        if (r.type != rt::SupBook)
            continue;
        if (r.data.size() >= 4 && getU16(r.data, 2) == 0x0401 && m_selfSupbook < 0)
            m_selfSupbook = supbook;
        ++supbook;
    }
    decodeNames();
}

void Globals::decodeNames()
{
    m_names.clear();
    for (size_t i = 0; i < m_records.size(); ++i) {
        const Record& r = m_records[i];
        if (r.type != rt::Name)
            continue;
        ByteView v(r.data);
        int cch = v.u8(3);
        int cce = v.u16(4);
        uint8_t high = v.u8(14);
        qsizetype at = 15 + qsizetype(cch) * ((high & 1) ? 2 : 1);
        v.need(at, cce);
        m_names.push_back({qsizetype(i), at, cce});
    }
}

bool Globals::wrapsText(uint16_t xf) const { return xf < m_xfWraps.size() && m_xfWraps[xf]; }

double Globals::fontPoints(uint16_t xf) const
{
    if (xf >= m_xfFont.size())
        return 10;
    // Font index 4 does not exist: the fourth FONT record is font 5.
    const int font = m_xfFont[xf] >= 4 ? m_xfFont[xf] - 1 : m_xfFont[xf];
    return font < int(m_fontTwips.size()) && m_fontTwips[font] > 0 ? m_fontTwips[font] / 20.0 : 10;
}

bool Globals::isDateXf(uint16_t xf) const
{
    if (xf >= m_xfFormat.size())
        return false;
    int f = m_xfFormat[xf];
    if ((f >= 14 && f <= 22) || (f >= 45 && f <= 47))
        return true;
    auto it = m_formats.constFind(f);
    return it != m_formats.constEnd() && formatIsDate(it.value());
}

bool Globals::covers(uint16_t ixti, int sheet) const
{
    if (ixti >= m_xti.size())
        return false;
    const Xti& x = m_xti[ixti];
    return int(x.supbook) == m_selfSupbook && x.first <= sheet && sheet <= x.last;
}

int Globals::sheetOfXti(uint16_t ixti) const
{
    if (ixti >= m_xti.size())
        return -1;
    const Xti& x = m_xti[ixti];
    if (int(x.supbook) != m_selfSupbook || x.first != x.last || x.first < 0 || x.first >= int(m_sheets.size()))
        return -1;
    return x.first;
}

QByteArray Globals::nameTokens(uint16_t index) const
{
    if (index < 1 || index > m_names.size())
        return QByteArray();
    const Name& n = m_names[index - 1];
    return m_records[n.record].data.mid(n.rgceAt, n.cce);
}

void Globals::forEachNameFormula(const std::function<void(QByteArray&, QByteArray&)>& f)
{
    for (const Name& n : m_names) {
        QByteArray& data = m_records[n.record].data;
        QByteArray rgce = data.mid(n.rgceAt, n.cce);
        QByteArray extra = data.mid(n.rgceAt + n.cce);
        f(rgce, extra);
        data = data.left(n.rgceAt) + rgce + extra;
        setU16(data, 4, uint16_t(rgce.size()));
    }
    decodeNames();
}

std::vector<uint16_t> Globals::deleteSheet(int k, std::vector<bool>& deadIxti)
{
    m_sheets.erase(m_sheets.begin() + k);
    deadIxti.assign(m_xti.size(), false);
    for (size_t i = 0; i < m_xti.size(); ++i) {
        Xti& x = m_xti[i];
        if (int(x.supbook) != m_selfSupbook || x.first < 0)
            continue;
        if (x.first == k && x.last == k) {
            deadIxti[i] = true;
            x.first = x.last = -1;
        } else if (x.first > k) {
            --x.first;
            --x.last;
        } else if (x.last >= k) {
            --x.last;
        }
    }
    std::vector<uint16_t> nameMap;
    std::vector<qsizetype> drop;
    uint16_t next = 1;
    int sheetIndex = 0;
    for (size_t i = 0; i < m_records.size(); ++i) {
        Record& r = m_records[i];
        switch (r.type) {
        case rt::Boundsheet:
            if (sheetIndex++ == k) drop.push_back(qsizetype(i));
            break;
        case rt::TabId: {
            QByteArray d;
            for (qsizetype at = 0; at + 1 < r.data.size(); at += 2)
                if (at / 2 != k) d.append(r.data.mid(at, 2));
            r.data = d;
            break;
        }
        case rt::SupBook:
            if (r.data.size() >= 4 && getU16(r.data, 2) == 0x0401)
                setU16(r.data, 0, uint16_t(std::max(0, int(getU16(r.data, 0)) - 1)));
            break;
        case rt::ExternSheet: {
            QByteArray d;
            putU16(d, uint16_t(m_xti.size()));
            for (const Xti& x : m_xti) {
                putU16(d, x.supbook);
                putU16(d, uint16_t(x.first));
                putU16(d, uint16_t(x.last));
            }
            r.data = d;
            break;
        }
        case rt::Name: {
            int itab = getU16(r.data, 8);
            if (itab == k + 1) {
                nameMap.push_back(0);
                drop.push_back(qsizetype(i));
            } else {
                if (itab > k + 1) setU16(r.data, 8, uint16_t(itab - 1));
                nameMap.push_back(next++);
            }
            break;
        }
        case rt::Window1: {
            int count = int(m_sheets.size());
            if (r.data.size() >= 16) {
                setU16(r.data, 10, uint16_t(std::min<int>(getU16(r.data, 10), count - 1)));
                setU16(r.data, 12, uint16_t(std::min<int>(getU16(r.data, 12), count - 1)));
                setU16(r.data, 14, 1);
            }
            break;
        }
        default:
            break;
        }
    }
    for (auto it = drop.rbegin(); it != drop.rend(); ++it) {
        m_records.erase(m_records.begin() + *it);
        if (m_sstAt > *it) --m_sstAt;
    }
    decodeNames();
    return nameMap;
}

QByteArray Globals::serialize(const std::vector<uint32_t>& sheetOffsets,
                              const std::function<QByteArray(qsizetype)>& sstAt, int activeSheet) const
{
    QByteArray out;
    size_t sheet = 0;
    bool sstWritten = false;
    for (size_t i = 0; i < m_records.size(); ++i) {
        const Record& r = m_records[i];
        if (int(i) == m_sstAt || (!sstWritten && m_sstAt < 0 && r.type == rt::Eof)) {
            out.append(sstAt(out.size()));
            sstWritten = true;
        }
        if (r.type == rt::Boundsheet) {
            const SheetEntry& s = m_sheets.at(sheet);
            QByteArray d;
            putU32(d, sheetOffsets.at(sheet));
            putU8(d, s.visibility);
            putU8(d, s.kind);
            d.append(encodeUnicodeString(s.name, true));
            writeRecord(out, rt::Boundsheet, d);
            ++sheet;
            continue;
        }
        if (r.type == rt::Window1 && r.data.size() >= 16) {
            QByteArray d = r.data;
            setU16(d, 10, uint16_t(activeSheet));
            if (getU16(d, 12) > activeSheet) setU16(d, 12, uint16_t(activeSheet));
            setU16(d, 14, 1);
            writeRecord(out, r.type, d);
            continue;
        }
        writeRecord(out, r.type, r.data);
    }
    return out;
}

} // namespace workbook::biff8
