// Packing and restructuring of a table: each needs exclusive use of the
// file, builds the new content in memory, writes it to "<file>-new" beside
// the table, flushes it and renames it over the table in one step.
#include "engine/storage/DbfTable.h"

#include "engine/storage/ByteIO.h"
#include "engine/storage/DbfTableImpl.h"
#include "engine/storage/FieldCodec.h"

#include <cstring>
#include <filesystem>

namespace engine::storage {

namespace fs = std::filesystem;

namespace {


// Runs a maintenance step under exclusive use; always gives the use back.
template <typename F>
void exclusively(DbfTable::Impl& d, F&& step)
{
    d.beginExclusiveUse();
    try {
        step();
    } catch (...) {
        d.endExclusiveUse();
        throw;
    }
    d.endExclusiveUse();
}

} // namespace

void DbfTable::Impl::beginExclusiveUse()
{
    if (depth > 0)
        throw Error("Tabela " + quotedPath(path) + " nu poate fi restructurata in timpul unei tranzactii");
    if (file.readOnly())
        throw Error("Tabela " + quotedPath(path) + " poate fi doar citita");
    if (!file.lock(kUseLockByte, 1, FileHandle::Lock::Exclusive, false))
        throw Error("Tabela " + quotedPath(path) + " este folosita de alt proces");
    if (!file.lock(kDataLockStart, kDataLockLength, FileHandle::Lock::Exclusive, false)) {
        file.lock(kUseLockByte, 1, FileHandle::Lock::Shared, false);
        throw Error("Tabela " + quotedPath(path) + " este folosita de alt proces");
    }
    try {
        recoverHotJournal();
        refreshCount();
    } catch (...) {
        endExclusiveUse();
        throw;
    }
}

void DbfTable::Impl::endExclusiveUse()
{
    file.unlock(kDataLockStart, kDataLockLength);
    // Back to sharing: turn the exclusive "in use" lock into a shared one.
    file.lock(kUseLockByte, 1, FileHandle::Lock::Shared, false);
}

std::string DbfTable::Impl::readWholeFile()
{
    const std::uint64_t end = recordOffset(count);
    std::string all(static_cast<std::size_t>(end), '\0');
    if (file.readAt(0, all.data(), all.size()) != all.size())
        throw Error("Tabela " + quotedPath(path) + " este trunchiata");
    return all;
}

void DbfTable::Impl::replaceContent(const std::string& bytes)
{
    const std::string temp = path + "-new";
    std::error_code ec;
    try {
        FileHandle out(temp, FileHandle::Mode::CreateNew);
        out.writeAt(0, bytes.data(), bytes.size());
        out.sync();
        out.close();
#ifdef _WIN32
        // Windows does not rename over a file that is open, ours included.
        file.close();
#endif
        if (!replaceFile(temp, path))
            throw Error("Tabela " + quotedPath(path) + " este folosita de alt proces");
    } catch (...) {
        fs::remove(fsPath(temp), ec);
#ifdef _WIN32
        // The table is unchanged: hold it again as before.
        if (!file.isOpen()) {
            file = FileHandle(path, FileHandle::Mode::ReadWrite);
            file.lock(kUseLockByte, 1, FileHandle::Lock::Exclusive, false);
            file.lock(kDataLockStart, kDataLockLength, FileHandle::Lock::Exclusive, false);
        }
#endif
        throw;
    }
    // Hold the new file before letting the old one go: a process waiting to
    // open the table then sees the name now points to another file and
    // opens that one.
    FileHandle fresh(path, FileHandle::Mode::ReadWrite);
    fresh.lock(kUseLockByte, 1, FileHandle::Lock::Exclusive, false);
    fresh.lock(kDataLockStart, kDataLockLength, FileHandle::Lock::Exclusive, false);
    file = std::move(fresh);
    header = DbfHeader::parse(bytes, path);
    columns = std::make_shared<const std::vector<Column>>(header.columns);
    refreshCount();
    const FileStat st = file.stat();
    noteLocalChange(st.device, st.inode);
}

void DbfTable::pack()
{
    Impl& d = *m_impl;
    exclusively(d, [&] {
        const std::string all = d.readWholeFile();
        const std::size_t rl = d.header.recordLength;
        std::string out = all.substr(0, d.header.headerLength);
        std::uint32_t kept = 0;
        for (std::uint32_t r = 0; r < d.count; ++r) {
            const char* rec = all.data() + d.recordOffset(r);
            if (rec[0] != '*') {
                out.append(rec, rl);
                ++kept;
            }
        }
        out += '\x1A';
        bytes::put32le(out.data() + 4, kept);
        stampDate(out.data());
        d.replaceContent(out);
    });
}

namespace {

// Rebuilds every record (deleted ones too, flag kept) for a new column list.
// convert(oldRecord, newRecord) fills the new record.
template <typename F>
std::string rebuild(DbfTable::Impl& d, const std::vector<Column>& wanted, const std::vector<int>& source, F&& convert)
{
    const std::string all = d.readWholeFile();
    std::vector<Column> placed;
    std::string out = d.header.compose(wanted, source, d.count, placed);
    const int newLength = placed.back().offset + placed.back().width;
    if (newLength > 65535)
        throw Error("Inregistrarea tabelei " + quotedPath(d.path) + " ar depasi 65535 de octeti");
    // Keep any bytes the old records carried after their last column.
    const std::size_t oldUsed = static_cast<std::size_t>(d.columns->back().offset + d.columns->back().width);
    const std::size_t extra = d.header.recordLength > oldUsed ? d.header.recordLength - oldUsed : 0;
    const std::size_t rl = static_cast<std::size_t>(newLength) + extra;
    bytes::put16le(out.data() + 10, static_cast<std::uint16_t>(rl));
    out.reserve(out.size() + rl * d.count + 1);
    std::string record(rl, ' ');
    for (std::uint32_t r = 0; r < d.count; ++r) {
        const char* old = all.data() + d.recordOffset(r);
        std::memset(record.data(), ' ', rl);
        record[0] = old[0];
        for (std::size_t i = 0; i < placed.size(); ++i) {
            const int from = source[i];
            char* dst = record.data() + placed[i].offset;
            if (from < 0) {
                if (placed[i].type == 'I')
                    std::memset(dst, 0, static_cast<std::size_t>(placed[i].width));
                continue;
            }
            const Column& oc = (*d.columns)[static_cast<std::size_t>(from)];
            if (oc.width == placed[i].width)
                std::memcpy(dst, old + oc.offset, static_cast<std::size_t>(oc.width));
            else
                convert(oc, old + oc.offset, placed[i], dst, r);
        }
        if (extra)
            std::memcpy(record.data() + newLength, old + oldUsed, extra);
        out += record;
    }
    out += '\x1A';
    return out;
}

} // namespace

void DbfTable::changeColumnWidth(std::string_view name, int width)
{
    Impl& d = *m_impl;
    const int index = findColumn(*d.columns, name);
    if (index < 0)
        throw Error("Coloana \"" + std::string(name) + "\" nu exista in tabela " + quotedPath(d.path));
    const Column current = (*d.columns)[static_cast<std::size_t>(index)];
    if (current.width == width)
        return; // nothing to change: the file stays as it is
    if (current.type != 'C' && current.type != 'N' && current.type != 'F')
        throw Error("Latimea coloanei " + current.name + " (tip " + current.type + ") a tabelei " + quotedPath(d.path)
                    + " nu poate fi schimbata");
    Column changed = current;
    changed.width = width;
    validateColumn(changed, d.path);
    changed.name = current.name;

    exclusively(d, [&] {
        std::vector<Column> wanted = *d.columns;
        wanted[static_cast<std::size_t>(index)] = changed;
        std::vector<int> source(wanted.size());
        for (std::size_t i = 0; i < source.size(); ++i)
            source[i] = static_cast<int>(i);
        const std::string out = rebuild(d, wanted, source,
            [&](const Column& oc, const char* from, const Column& nc, char* to, std::uint32_t record) {
                const auto ow = static_cast<std::size_t>(oc.width);
                const auto nw = static_cast<std::size_t>(nc.width);
                if (oc.type == 'C') {
                    // Text keeps its start; cut or padded with blanks.
                    std::memcpy(to, from, std::min(ow, nw));
                    return;
                }
                // Numbers stay right-aligned; a value that does not fit refuses the change.
                std::size_t b = 0;
                std::size_t e = ow;
                while (b < e && from[b] == ' ')
                    ++b;
                while (e > b && from[e - 1] == ' ')
                    --e;
                const std::size_t len = e - b;
                if (len > nw) {
                    if (decodeNumber(oc, from, d.header.fieldFormat()))
                        throw Error("Valoarea " + std::string(from + b, len) + " din inregistrarea "
                                    + std::to_string(record + 1) + " nu incape in latimea " + std::to_string(nw)
                                    + " (coloana " + oc.name + " a tabelei " + quotedPath(d.path) + ")");
                    return; // garbage that does not fit: left blank
                }
                std::memcpy(to + (nw - len), from + b, len);
            });
        d.replaceContent(out);
    });
}

void DbfTable::addColumns(const std::vector<Column>& added)
{
    Impl& d = *m_impl;
    if (added.empty())
        return;
    std::vector<Column> wanted = *d.columns;
    std::vector<int> source(wanted.size());
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<int>(i);
    for (Column c : added) {
        validateColumn(c, d.path);
        if (findColumn(wanted, c.name) >= 0)
            throw Error("Coloana \"" + c.name + "\" exista deja in tabela " + quotedPath(d.path));
        wanted.push_back(c);
        source.push_back(-1);
    }
    exclusively(d, [&] {
        d.replaceContent(rebuild(d, wanted, source, [](const Column&, const char*, const Column&, char*, std::uint32_t) {}));
    });
}

void DbfTable::dropColumn(std::string_view name)
{
    Impl& d = *m_impl;
    const int index = findColumn(*d.columns, name);
    if (index < 0)
        throw Error("Coloana \"" + std::string(name) + "\" nu exista in tabela " + quotedPath(d.path));
    if (d.columns->size() == 1)
        throw Error("Coloana \"" + std::string(name) + "\" este singura coloana a tabelei " + quotedPath(d.path));
    std::vector<Column> wanted;
    std::vector<int> source;
    for (std::size_t i = 0; i < d.columns->size(); ++i) {
        if (static_cast<int>(i) == index)
            continue;
        wanted.push_back((*d.columns)[i]);
        source.push_back(static_cast<int>(i));
    }
    exclusively(d, [&] {
        d.replaceContent(rebuild(d, wanted, source, [](const Column&, const char*, const Column&, char*, std::uint32_t) {}));
    });
}

} // namespace engine::storage
