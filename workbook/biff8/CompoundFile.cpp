#include "workbook/biff8/CompoundFile.h"

#include "workbook/Bytes.h"

#include <algorithm>
#include <functional>

namespace workbook::biff8 {

namespace {

constexpr uint32_t FreeSect = 0xFFFFFFFF;
constexpr uint32_t EndOfChain = 0xFFFFFFFE;
constexpr uint32_t FatSect = 0xFFFFFFFD;
constexpr uint32_t DifSect = 0xFFFFFFFC;
constexpr uint32_t MaxRegSect = 0xFFFFFFFA;
const char Signature[8] = {char(0xD0), char(0xCF), 0x11, char(0xE0), char(0xA1), char(0xB1), 0x1A, char(0xE1)};

struct Reader {
    ByteView file;
    qsizetype sectorSize = 512;
    uint32_t sectorCount = 0;
    std::vector<uint32_t> fat;

    ByteView sector(uint32_t n) const
    {
        if (n >= sectorCount)
            throw FormatError("sectorul " + std::to_string(n) + " este in afara fisierului (fisier trunchiat)");
        return file.sub(qsizetype(n + 1) * sectorSize, sectorSize);
    }

    // Follows a FAT chain; a chain longer than the number of sectors loops.
    std::vector<uint32_t> chain(uint32_t start, const std::vector<uint32_t>& table, uint32_t limit) const
    {
        std::vector<uint32_t> out;
        uint32_t s = start;
        while (s != EndOfChain) {
            if (s <= MaxRegSect && s >= limit)
                throw FormatError("sectorul " + std::to_string(s) + " este in afara fisierului (fisier trunchiat)");
            if (s > MaxRegSect || s >= table.size())
                throw FormatError("lant de sectoare invalid (sectorul " + std::to_string(s) + ")");
            if (out.size() >= table.size())
                throw FormatError("lant de sectoare ciclic");
            out.push_back(s);
            s = table[s];
        }
        return out;
    }

    QByteArray readChain(uint32_t start, uint64_t size) const
    {
        QByteArray out;
        if (size == 0)
            return out;
        for (uint32_t s : chain(start, fat, sectorCount)) {
            ByteView v = sector(s);
            out.append(v.data(), v.size());
            if (uint64_t(out.size()) >= size)
                break;
        }
        if (uint64_t(out.size()) < size)
            throw FormatError("fluxul este mai scurt decat marimea declarata");
        out.truncate(qsizetype(size));
        return out;
    }
};

} // namespace

CompoundFile CompoundFile::parse(const QByteArray& bytes)
{
    ByteView file(bytes);
    if (file.size() < 512 || std::memcmp(file.data(), Signature, 8) != 0)
        throw FormatError("nu este un fisier compus OLE2 (semnatura lipsa)");
    uint16_t major = file.u16(0x1A);
    uint16_t shift = file.u16(0x1E);
    if (!((major == 3 && shift == 9) || (major == 4 && shift == 12)))
        throw FormatError("versiune de fisier compus necunoscuta");
    if (file.u16(0x1C) != 0xFFFE || file.u16(0x20) != 6)
        throw FormatError("antet de fisier compus invalid");

    Reader r;
    r.file = file;
    r.sectorSize = qsizetype(1) << shift;
    if (file.size() < r.sectorSize)
        throw FormatError("fisier compus trunchiat");
    r.sectorCount = uint32_t((file.size() - r.sectorSize) / r.sectorSize);

    uint32_t fatSectors = file.u32(0x2C);
    uint32_t firstDir = file.u32(0x30);
    uint32_t miniCutoff = file.u32(0x38);
    uint32_t firstMiniFat = file.u32(0x3C);
    uint32_t firstDifat = file.u32(0x44);
    uint32_t difatSectors = file.u32(0x48);
    if (miniCutoff != 4096)
        throw FormatError("prag de mini-flux invalid");
    if (fatSectors > r.sectorCount || difatSectors > r.sectorCount)
        throw FormatError("numar de sectoare FAT invalid (fisier trunchiat)");

    // The FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
    std::vector<uint32_t> fatList;
    for (int i = 0; i < 109 && fatList.size() < fatSectors; ++i)
        fatList.push_back(file.u32(0x4C + 4 * i));
    uint32_t d = firstDifat;
    uint32_t perDifat = uint32_t(r.sectorSize / 4 - 1);
    for (uint32_t k = 0; fatList.size() < fatSectors; ++k) {
        if (k >= difatSectors || d > MaxRegSect)
            throw FormatError("tabela DIFAT incompleta");
        ByteView v = r.sector(d);
        for (uint32_t i = 0; i < perDifat && fatList.size() < fatSectors; ++i)
            fatList.push_back(v.u32(4 * i));
        d = v.u32(4 * perDifat);
    }
    for (uint32_t s : fatList) {
        ByteView v = r.sector(s);
        for (qsizetype i = 0; i < r.sectorSize; i += 4)
            r.fat.push_back(v.u32(i));
    }

    CompoundFile cf;
    QByteArray dir = r.readChain(firstDir, uint64_t(r.chain(firstDir, r.fat, r.sectorCount).size()) * r.sectorSize);
    ByteView dv(dir);
    for (qsizetype at = 0; at + 128 <= dv.size(); at += 128) {
        Entry e;
        uint16_t nameBytes = dv.u16(at + 0x40);
        if (nameBytes > 64 || nameBytes % 2)
            throw FormatError("intrare de director invalida");
        for (int i = 0; i + 2 < nameBytes; i += 2)
            e.name.append(QChar(dv.u16(at + i)));
        e.type = dv.u8(at + 0x42);
        e.color = dv.u8(at + 0x43);
        e.left = dv.u32(at + 0x44);
        e.right = dv.u32(at + 0x48);
        e.child = dv.u32(at + 0x4C);
        e.clsid = dv.bytes(at + 0x50, 16);
        e.state = dv.u32(at + 0x60);
        e.times = dv.bytes(at + 0x64, 16);
        cf.m_entries.push_back(e);
    }
    if (cf.m_entries.empty() || cf.m_entries[0].type != Root)
        throw FormatError("intrarea radacina lipseste");
    uint32_t n = uint32_t(cf.m_entries.size());
    for (const Entry& e : cf.m_entries) {
        for (uint32_t link : {e.left, e.right, e.child})
            if (link != NoStream && link >= n)
                throw FormatError("legatura de director in afara tabelei");
    }

    // Mini stream and MiniFAT.
    uint32_t rootStart = dv.u32(0x74);
    uint64_t rootSize = major == 3 ? dv.u32(0x78) : dv.u64(0x78);
    QByteArray mini = r.readChain(rootStart, rootSize);
    std::vector<uint32_t> miniFat;
    if (firstMiniFat != EndOfChain) {
        for (uint32_t s : r.chain(firstMiniFat, r.fat, r.sectorCount)) {
            ByteView v = r.sector(s);
            for (qsizetype i = 0; i < r.sectorSize; i += 4)
                miniFat.push_back(v.u32(i));
        }
    }
    ByteView mv(mini);
    // Every stream has sectors of its own, so together they hold no more
    // than the file; entries that share a chain would multiply the memory.
    uint64_t total = 0;
    for (uint32_t i = 0; i < n; ++i) {
        Entry& e = cf.m_entries[i];
        if (e.type != Stream)
            continue;
        qsizetype at = qsizetype(i) * 128;
        uint32_t start = dv.u32(at + 0x74);
        uint64_t size = major == 3 ? dv.u32(at + 0x78) : dv.u64(at + 0x78);
        if (size >= uint64_t(file.size()) * 2 + 4096)
            throw FormatError("marime de flux imposibila");
        total += size;
        if (total > uint64_t(file.size()))
            throw FormatError("fluxurile declara impreuna " + std::to_string(total)
                              + " octeti, mai mult decat are fisierul");
        if (size < miniCutoff) {
            if (size == 0)
                continue;
            uint32_t miniCount = uint32_t(mini.size() / 64);
            for (uint32_t s : r.chain(start, miniFat, miniCount)) {
                e.data.append(mv.sub(qsizetype(s) * 64, 64).data(), 64);
                if (uint64_t(e.data.size()) >= size)
                    break;
            }
            if (uint64_t(e.data.size()) < size)
                throw FormatError("mini-flux mai scurt decat marimea declarata");
            e.data.truncate(qsizetype(size));
        } else {
            e.data = r.readChain(start, size);
        }
    }
    return cf;
}

std::vector<int> CompoundFile::children(int storage) const
{
    std::vector<int> out;
    if (storage < 0 || storage >= int(m_entries.size()))
        return out;
    std::vector<char> seen(m_entries.size(), 0);
    std::function<void(uint32_t)> walk = [&](uint32_t i) {
        if (i == NoStream || i >= m_entries.size() || seen[i])
            return;
        seen[i] = 1;
        walk(m_entries[i].left);
        out.push_back(int(i));
        walk(m_entries[i].right);
    };
    walk(m_entries[storage].child);
    return out;
}

int CompoundFile::findTopLevel(const QString& name) const
{
    for (int i : children(0))
        if (m_entries[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QByteArray CompoundFile::serialize() const
{
    const uint32_t n = uint32_t(m_entries.size());
    // Mini stream: every stream under 4096 bytes, one contiguous mini chain each.
    std::vector<uint32_t> miniStart(n, EndOfChain), bigStart(n, EndOfChain);
    std::vector<uint32_t> miniFat;
    QByteArray mini;
    for (uint32_t i = 0; i < n; ++i) {
        const Entry& e = m_entries[i];
        if (e.type != Stream || e.data.isEmpty() || e.data.size() >= 4096)
            continue;
        uint32_t first = uint32_t(miniFat.size());
        uint32_t count = uint32_t((e.data.size() + 63) / 64);
        for (uint32_t k = 0; k < count; ++k)
            miniFat.push_back(k + 1 < count ? first + k + 1 : EndOfChain);
        miniStart[i] = first;
        mini.append(e.data);
        mini.append(QByteArray(count * 64 - e.data.size(), '\0'));
    }
    auto sectorsFor = [](qsizetype bytes) { return uint32_t((bytes + 511) / 512); };
    uint32_t miniFatSectors = sectorsFor(qsizetype(miniFat.size()) * 4);
    uint32_t dirSectors = sectorsFor(qsizetype(n) * 128);
    uint32_t miniSectors = sectorsFor(mini.size());
    uint32_t bigSectors = 0;
    for (const Entry& e : m_entries)
        if (e.type == Stream && e.data.size() >= 4096)
            bigSectors += sectorsFor(e.data.size());
    uint32_t other = miniFatSectors + dirSectors + miniSectors + bigSectors;
    uint32_t fatSectors = 1, difatSectors = 0;
    for (;;) {
        uint32_t total = other + fatSectors + difatSectors;
        uint32_t needFat = (total + 127) / 128;
        uint32_t needDifat = needFat > 109 ? (needFat - 109 + 126) / 127 : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = std::max(fatSectors, needFat);
        difatSectors = needDifat;
    }
    uint32_t total = other + fatSectors + difatSectors;
    std::vector<uint32_t> fat(size_t(fatSectors) * 128, FreeSect);
    uint32_t next = 0;
    auto allocate = [&](uint32_t count, uint32_t mark) {
        uint32_t first = next;
        for (uint32_t k = 0; k < count; ++k)
            fat[first + k] = mark ? mark : (k + 1 < count ? first + k + 1 : EndOfChain);
        next += count;
        return count ? first : EndOfChain;
    };
    uint32_t fatFirst = allocate(fatSectors, FatSect);
    uint32_t difatFirst = allocate(difatSectors, DifSect);
    uint32_t miniFatFirst = allocate(miniFatSectors, 0);
    uint32_t dirFirst = allocate(dirSectors, 0);
    uint32_t miniFirst = allocate(miniSectors, 0);
    for (uint32_t i = 0; i < n; ++i) {
        const Entry& e = m_entries[i];
        if (e.type == Stream && e.data.size() >= 4096)
            bigStart[i] = allocate(sectorsFor(e.data.size()), 0);
    }
    Q_ASSERT(next == total);

    QByteArray out;
    out.reserve(qsizetype(total + 1) * 512);
    out.append(Signature, 8);
    out.append(QByteArray(16, '\0'));
    putU16(out, 0x3E); putU16(out, 3); putU16(out, 0xFFFE); putU16(out, 9); putU16(out, 6);
    out.append(QByteArray(6, '\0'));
    putU32(out, 0); putU32(out, fatSectors); putU32(out, dirFirst); putU32(out, 0);
    putU32(out, 4096); putU32(out, miniFatFirst); putU32(out, miniFatSectors);
    putU32(out, difatFirst); putU32(out, difatSectors);
    for (uint32_t i = 0; i < 109; ++i)
        putU32(out, i < fatSectors ? fatFirst + i : FreeSect);
    Q_ASSERT(out.size() == 512);

    for (uint32_t v : fat)
        putU32(out, v);
    for (uint32_t k = 0; k < difatSectors; ++k) {
        for (uint32_t i = 0; i < 127; ++i) {
            uint32_t idx = 109 + k * 127 + i;
            putU32(out, idx < fatSectors ? fatFirst + idx : FreeSect);
        }
        putU32(out, k + 1 < difatSectors ? difatFirst + k + 1 : EndOfChain);
    }
    auto pad = [&out]() {
        qsizetype rem = (out.size() - 512) % 512;
        if (rem)
            out.append(QByteArray(512 - rem, '\0'));
    };
    for (uint32_t v : miniFat)
        putU32(out, v);
    for (qsizetype k = qsizetype(miniFat.size()); k % 128; ++k)
        putU32(out, FreeSect);

    for (uint32_t i = 0; i < dirSectors * 4; ++i) {
        QByteArray e(128, '\0');
        if (i < n && m_entries[i].type != Empty) {
            const Entry& en = m_entries[i];
            QString name = en.name.left(31);
            for (int c = 0; c < name.size(); ++c)
                setU16(e, 2 * c, name.at(c).unicode());
            setU16(e, 0x40, uint16_t((name.size() + 1) * 2));
            e[0x42] = char(en.type);
            e[0x43] = char(en.color);
            setU32(e, 0x44, en.left);
            setU32(e, 0x48, en.right);
            setU32(e, 0x4C, en.child);
            if (en.clsid.size() == 16) e.replace(0x50, 16, en.clsid);
            setU32(e, 0x60, en.state);
            if (en.times.size() == 16) e.replace(0x64, 16, en.times);
            uint32_t start = 0, size = 0;
            if (en.type == Root) {
                start = miniSectors ? miniFirst : EndOfChain;
                size = uint32_t(mini.size());
            } else if (en.type == Stream) {
                size = uint32_t(en.data.size());
                start = en.data.isEmpty() ? EndOfChain : (size >= 4096 ? bigStart[i] : miniStart[i]);
            }
            setU32(e, 0x74, start);
            setU32(e, 0x78, size);
        } else {
            setU32(e, 0x44, NoStream);
            setU32(e, 0x48, NoStream);
            setU32(e, 0x4C, NoStream);
        }
        out.append(e);
    }
    out.append(mini);
    pad();
    for (uint32_t i = 0; i < n; ++i) {
        const Entry& e = m_entries[i];
        if (e.type == Stream && e.data.size() >= 4096) {
            out.append(e.data);
            pad();
        }
    }
    Q_ASSERT(out.size() == qsizetype(total + 1) * 512);
    return out;
}

} // namespace workbook::biff8
