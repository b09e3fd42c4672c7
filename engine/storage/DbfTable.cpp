#include "engine/storage/DbfTable.h"

#include "engine/storage/ByteIO.h"
#include "engine/storage/DbfTableImpl.h"
#include "engine/storage/FieldCodec.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

namespace engine::storage {

namespace fs = std::filesystem;

namespace {

std::mutex g_changesMutex;
std::map<std::pair<std::uint64_t, std::uint64_t>, std::uint64_t> g_changes;

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i]))
            return false;
    return true;
}


} // namespace

std::uint64_t localChangesOf(std::uint64_t device, std::uint64_t inode)
{
    std::lock_guard<std::mutex> g(g_changesMutex);
    auto it = g_changes.find({device, inode});
    return it == g_changes.end() ? 0 : it->second;
}

void noteLocalChange(std::uint64_t device, std::uint64_t inode)
{
    std::lock_guard<std::mutex> g(g_changesMutex);
    ++g_changes[{device, inode}];
}

int findColumn(const std::vector<Column>& columns, std::string_view name)
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsIgnoreCase(columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

void validateColumn(Column& c, const std::string& path)
{
    std::string name;
    for (char ch : c.name)
        name += asciiUpper(ch);
    c.name = name;
    const auto bad = [&](const std::string& problem) {
        throw Error("Coloana \"" + c.name + "\" a tabelei " + quotedPath(path) + ": " + problem);
    };
    if (name.empty() || name.size() > 10)
        bad("numele trebuie sa aiba intre 1 si 10 caractere");
    for (char ch : name)
        if (!((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_'))
            bad("numele poate contine doar litere, cifre si \"_\"");
    c.type = asciiUpper(c.type);
    switch (c.type) {
    case 'C':
        c.decimals = 0;
        if (c.width < 1 || c.width > 254)
            bad("latimea unei coloane de tip text trebuie sa fie intre 1 si 254");
        break;
    case 'N':
    case 'F':
        if (c.width < 1 || c.width > 20)
            bad("latimea unei coloane numerice trebuie sa fie intre 1 si 20");
        if (c.decimals < 0 || (c.decimals > 0 && c.decimals > c.width - 2))
            bad("numarul de zecimale nu incape in latimea coloanei");
        break;
    case 'D': c.width = 8; c.decimals = 0; break;
    case 'L': c.width = 1; c.decimals = 0; break;
    case 'I': c.width = 4; c.decimals = 0; break;
    default:
        bad(std::string("tipul ") + c.type + " nu este acceptat");
    }
}

// ---- path resolution ---------------------------------------------------

std::string DbfTable::resolvePath(const std::string& given)
{
    std::string path = given;
#ifndef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    std::error_code ec;
    if (fs::exists(fsPath(path), ec))
        return path;
    // Walk the components; one that does not exist is looked up among its
    // folder's entries case-insensitively.
    const fs::path p = fsPath(path);
    fs::path resolved = p.root_path();
    bool first = true;
    for (const fs::path& part : p.relative_path()) {
        const fs::path candidate = (first && resolved.empty()) ? part : resolved / part;
        first = false;
        if (fs::exists(candidate, ec) || part == "." || part == "..") {
            resolved = candidate;
            continue;
        }
        const fs::path dir = resolved.empty() ? fs::path(".") : resolved;
        fs::path match;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (equalsIgnoreCase(utf8Path(it->path().filename()), utf8Path(part))) {
                match = it->path().filename();
                break;
            }
        }
        resolved = resolved.empty() ? (match.empty() ? part : match) : resolved / (match.empty() ? part : match);
    }
    return utf8Path(resolved);
}

// ---- locks and header ----------------------------------------------------

bool DbfTable::Impl::recoverHotJournal()
{
    FileStat st;
    if (!statPath(journal, st))
        return false;
    const bool rolledBack = recoverJournal(file, journal);
    if (statPath(journal, st))
        throw Error("Jurnalul de recuperare \"" + journal + "\" al tabelei nu poate fi sters");
    if (rolledBack) {
        const FileStat now = file.stat();
        noteLocalChange(now.device, now.inode);
    }
    return rolledBack;
}

namespace {
std::atomic<long long> g_lockWaitMs{30000};
}

std::chrono::milliseconds lockWait() { return std::chrono::milliseconds(g_lockWaitMs.load()); }
void setLockWait(std::chrono::milliseconds wait) { g_lockWaitMs = wait.count(); }

void DbfTable::Impl::lockData(FileHandle::Lock kind)
{
    if (file.lock(kDataLockStart, kDataLockLength, kind, false))
        return;
    // Someone else holds it: try again, sleeping a little longer each time.
    const auto deadline = std::chrono::steady_clock::now() + lockWait();
    std::chrono::microseconds pause(100);
    for (;;) {
        std::this_thread::sleep_for(pause);
        if (file.lock(kDataLockStart, kDataLockLength, kind, false))
            return;
        if (std::chrono::steady_clock::now() > deadline)
            throw Error("Tabela " + quotedPath(path) + " este blocata de alt proces; am asteptat "
                        + std::to_string(lockWait().count() / 1000) + " secunde");
        pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(20));
    }
}

void DbfTable::Impl::lockRead()
{
    if (depth > 0)
        return;
    for (;;) {
        lockData(FileHandle::Lock::Shared);
        FileStat st;
        if (!statPath(journal, st))
            break;
        // A journal while nobody writes: a commit was cut short. Roll it back
        // under the exclusive lock, then read.
        file.unlock(kDataLockStart, kDataLockLength);
        lockData(FileHandle::Lock::Exclusive);
        try {
            recoverHotJournal();
        } catch (...) {
            file.unlock(kDataLockStart, kDataLockLength);
            throw;
        }
        file.unlock(kDataLockStart, kDataLockLength);
    }
    try {
        refreshCount();
    } catch (...) {
        file.unlock(kDataLockStart, kDataLockLength);
        throw;
    }
}

void DbfTable::Impl::unlockRead()
{
    if (depth == 0)
        file.unlock(kDataLockStart, kDataLockLength);
}

void DbfTable::Impl::lockWrite()
{
    if (file.readOnly())
        throw Error("Tabela " + quotedPath(path) + " poate fi doar citita");
    lockData(FileHandle::Lock::Exclusive);
    try {
        recoverHotJournal();
        refreshCount();
    } catch (...) {
        file.unlock(kDataLockStart, kDataLockLength);
        throw;
    }
}

void DbfTable::Impl::unlockWrite() { file.unlock(kDataLockStart, kDataLockLength); }

void DbfTable::Impl::refreshCount()
{
    char fixed[32];
    const std::size_t got = file.readAt(0, fixed, sizeof fixed);
    std::uint8_t version = 0;
    std::uint32_t n = 0;
    std::uint16_t hl = 0;
    std::uint16_t rl = 0;
    DbfHeader::parseFixed(std::string_view(fixed, got), path, version, n, hl, rl);
    if (hl != header.headerLength || rl != header.recordLength)
        throw Error("Structura tabelei " + quotedPath(path) + " a fost schimbata de alt program; redeschideti tabela");
    const std::uint64_t size = file.size();
    const std::uint64_t need = hl + static_cast<std::uint64_t>(n) * rl;
    if (need > size)
        throw Error("Tabela " + quotedPath(path) + " este deteriorata: antetul declara " + std::to_string(n)
                    + " inregistrari de " + std::to_string(rl) + " octeti, dar fisierul are doar "
                    + std::to_string(size) + " octeti");
    count = n;
    std::memcpy(headerDate, fixed + 1, 3);
}

FileIdentity DbfTable::Impl::identityNow() const
{
    const FileStat st = file.stat();
    FileIdentity id;
    id.device = st.device;
    id.inode = st.inode;
    id.size = st.size;
    id.modifiedNs = st.modifiedNs;
    char fixed[8] = {0};
    file.readAt(0, fixed, sizeof fixed);
    id.recordCount = bytes::u32le(fixed + 4);
    std::memcpy(id.headerDate, fixed + 1, 3);
    id.localChanges = localChangesOf(st.device, st.inode);
    return id;
}

void DbfTable::Impl::readExactly(std::uint64_t offset, char* buffer, std::size_t n, const std::string& what) const
{
    const std::size_t got = file.readAt(offset, buffer, n);
    if (got != n)
        throw Error("Tabela " + quotedPath(path) + " este deteriorata: fisierul se termina inaintea datelor ("
                    + what + ": " + std::to_string(got) + " din " + std::to_string(n) + " octeti)");
}

std::string DbfTable::Impl::blankRecord() const
{
    std::string r(header.recordLength, ' ');
    for (const Column& c : *columns) {
        switch (c.type) {
        case 'I': case 'B': case 'O': case 'Y': case 'T': case '+': case '@': case '0':
            std::memset(r.data() + c.offset, 0, static_cast<std::size_t>(c.width));
            break;
        default:
            break;
        }
    }
    return r;
}

std::string DbfTable::Impl::recordForChange(std::uint32_t record)
{
    if (record >= baseCount + appendedCount)
        throw Error("Tabela " + quotedPath(path) + " nu are inregistrarea " + std::to_string(record + 1));
    if (record >= baseCount)
        return appended.substr(static_cast<std::size_t>(record - baseCount) * header.recordLength, header.recordLength);
    auto it = changed.find(record);
    if (it != changed.end())
        return it->second;
    return unchangedRecord(record);
}

// A walk that changes many records asks for them in file order: one read
// of a run of records serves the next ones, instead of one read each.
std::string DbfTable::Impl::unchangedRecord(std::uint32_t record)
{
    constexpr std::size_t kRunBytes = 64 * 1024;
    const std::size_t rl = header.recordLength;
    auto run = readAhead.upper_bound(record);
    if (run != readAhead.begin()) {
        --run;
        const std::size_t at = static_cast<std::size_t>(record - run->first) * rl;
        if (at + rl <= run->second.size())
            return run->second.substr(at, rl);
    }
    const std::uint32_t records = static_cast<std::uint32_t>(std::max<std::size_t>(1, kRunBytes / rl));
    const std::uint32_t n = std::min(records, baseCount - record);
    std::string bytes(static_cast<std::size_t>(n) * rl, '\0');
    readExactly(recordOffset(record), bytes.data(), bytes.size(),
                "inregistrarile " + std::to_string(record + 1) + ".." + std::to_string(record + n));
    std::string r = bytes.substr(0, rl);
    readAhead[record] = std::move(bytes);
    return r;
}

// ---- commit ----------------------------------------------------------------

namespace {

constexpr std::uint64_t kHeaderChangeOffset = 1; // date of last change, then record count

void commitStep(const char* point)
{
    if (commitStepHook)
        commitStepHook(point);
}

JournalEntry entryOf(const PendingWrite& w) { return {w.offset, w.bytes}; }

} // namespace

std::vector<PendingWrite> DbfTable::Impl::commitWrites() const
{
    // Records next to each other in the file go out as one write.
    std::vector<PendingWrite> writes;
    std::uint32_t next = 0;
    for (const auto& [record, bytes] : changed) {
        if (!writes.empty() && record == next)
            writes.back().bytes += bytes;
        else
            writes.push_back({recordOffset(record), bytes});
        next = record + 1;
    }
    // The new records but the first one's flag: an end mark stays where the
    // flag goes (put there for a file that had none, so that a reader
    // stopping at the end mark does not read on into them) ...
    if (appendedCount > 0)
        writes.push_back({recordOffset(baseCount), '\x1A' + appended.substr(1) + '\x1A'});
    PendingWrite head{kHeaderChangeOffset, std::string(7, '\0')};
    char fixed[32] = {0};
    stampDate(fixed);
    std::memcpy(head.bytes.data(), fixed + 1, 3);
    bytes::put32le(head.bytes.data() + 3, baseCount + appendedCount);
    writes.push_back(std::move(head));
    // ... until last, after the header counts them: the first one's flag.
    if (appendedCount > 0)
        writes.push_back({recordOffset(baseCount), appended.substr(0, 1)});
    return writes;
}

// The original bytes of every range the writes overwrite inside the file.
Journal DbfTable::Impl::journalOf(const std::vector<PendingWrite>& writes, std::uint64_t originalSize) const
{
    Journal j;
    j.originalSize = originalSize;
    for (const PendingWrite& w : writes) {
        if (w.offset >= originalSize)
            continue;
        const std::uint64_t len = std::min<std::uint64_t>(w.bytes.size(), originalSize - w.offset);
        JournalEntry e;
        e.offset = w.offset;
        e.original.resize(static_cast<std::size_t>(len));
        e.original.resize(file.readAt(w.offset, e.original.data(), e.original.size()));
        j.entries.push_back(std::move(e));
    }
    return j;
}

std::vector<PendingWrite> DbfTable::Impl::prepareCommit(const std::string& transactionJournal)
{
    appendOnlyCommit = false;
    if (!hasChanges())
        return {};
    std::vector<PendingWrite> writes = commitWrites();
    Journal j = journalOf(writes, file.size());
    j.transactionJournal = transactionJournal;
    if (transactionJournal.empty() && changed.empty()) {
        // Appends alone: once the header holds the new count, recovery
        // finishes the commit (the flag over the old end mark) instead.
        appendOnlyCommit = true;
        j.redo = {entryOf(writes[writes.size() - 2]), entryOf(writes.back())};
        j.newSize = recordOffset(baseCount + appendedCount) + 1;
    }
    writeJournal(journal, j);
    journalWritten = true;
    commitStep("journal-written");
    return writes;
}

void DbfTable::Impl::applyCommit(const std::vector<PendingWrite>& writes)
{
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const PendingWrite& w = writes[i];
        const bool header = w.offset == kHeaderChangeOffset;
        if (header && appendOnlyCommit) {
            file.sync(); // the records are on the disk before the count that makes them part of the table
            commitStep("records-written");
        }
        file.writeAt(w.offset, w.bytes.data(), w.bytes.size());
        if (i == 0)
            commitStep("table-partly-written");
        if (header && appendOnlyCommit)
            commitStep("count-written");
    }
    if (!writes.empty()) {
        file.sync();
        commitStep("table-written");
    }
}

void DbfTable::Impl::finishCommit()
{
    if (journalWritten) {
        removeJournal(journal);
        commitStep("journal-deleted");
        const FileStat st = file.stat();
        noteLocalChange(st.device, st.inode);
    }
    count = baseCount + appendedCount;
    try {
        committed = identityNow(); // still under the write lock
    } catch (...) {
        committed = FileIdentity{};
    }
    dropBatch();
}

void DbfTable::Impl::dropBatch()
{
    changed.clear();
    readAhead.clear();
    appended.clear();
    appendedCount = 0;
    depth = 0;
    journalWritten = false;
    appendOnlyCommit = false;
    unlockWrite();
}

// ---- TableData ---------------------------------------------------------------

struct TableData::Impl {
    std::shared_ptr<const std::vector<Column>> columns;
    std::shared_ptr<char[]> bytes;
    std::size_t recordLength = 0;
    std::size_t records = 0;            // records in bytes, deleted ones included
    std::vector<std::uint32_t> live;

    void findLive()
    {
        live.clear();
        live.reserve(records);
        const char* p = bytes.get();
        for (std::size_t r = 0; r < records; ++r, p += recordLength)
            if (*p != '*')
                live.push_back(static_cast<std::uint32_t>(r));
    }
    FieldFormat format;
    FileIdentity identity;

    const char* field(std::size_t row, int column, const Column*& c) const
    {
        if (row >= live.size() || column < 0 || static_cast<std::size_t>(column) >= columns->size())
            throw Error("Rand sau coloana inexistenta (" + std::to_string(row) + ", " + std::to_string(column) + ")");
        c = &(*columns)[static_cast<std::size_t>(column)];
        return bytes.get() + static_cast<std::size_t>(live[row]) * recordLength + static_cast<std::size_t>(c->offset);
    }
};

TableData::TableData() : m_impl(std::make_shared<Impl>())
{
    auto self = std::const_pointer_cast<Impl>(m_impl);
    self->columns = std::make_shared<std::vector<Column>>();
}
TableData::TableData(std::shared_ptr<const Impl> impl) : m_impl(std::move(impl)) {}
const std::vector<Column>& TableData::columns() const { return *m_impl->columns; }
CodePage TableData::codePage() const { return m_impl->format.codePage; }
FileIdentity TableData::identity() const { return m_impl->identity; }
std::size_t TableData::rowCount() const { return m_impl->live.size(); }

std::uint32_t TableData::recordNumber(std::size_t row) const
{
    if (row >= m_impl->live.size())
        throw Error("Rand inexistent " + std::to_string(row));
    return m_impl->live[row];
}

bool TableData::isNull(std::size_t row, int column) const
{
    const Column* c = nullptr;
    const char* p = m_impl->field(row, column, c);
    return fieldIsNull(*c, p, m_impl->format);
}

FieldValue TableData::value(std::size_t row, int column) const
{
    const Column* c = nullptr;
    const char* p = m_impl->field(row, column, c);
    return decodeField(*c, p, m_impl->format);
}

std::string TableData::text(std::size_t row, int column) const
{
    const Column* c = nullptr;
    const char* p = m_impl->field(row, column, c);
    return decodeText(*c, p, m_impl->format);
}

std::string_view TableData::textView(std::size_t row, int column, std::string& scratch) const
{
    const Column* c = nullptr;
    const char* p = m_impl->field(row, column, c);
    return decodeTextView(*c, p, m_impl->format, scratch);
}

std::optional<double> TableData::number(std::size_t row, int column) const
{
    const Column* c = nullptr;
    const char* p = m_impl->field(row, column, c);
    return decodeNumber(*c, p, m_impl->format);
}

std::optional<Date> TableData::date(std::size_t row, int column) const
{
    const Column* c = nullptr;
    const char* p = m_impl->field(row, column, c);
    return decodeDate(*c, p);
}

std::string_view TableData::raw(std::size_t row, int column) const
{
    const Column* c = nullptr;
    const char* p = m_impl->field(row, column, c);
    return {p, static_cast<std::size_t>(c->width)};
}

// ---- DbfTable ----------------------------------------------------------------

DbfTable::DbfTable(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
DbfTable::DbfTable(DbfTable&&) noexcept = default;
DbfTable& DbfTable::operator=(DbfTable&& other) noexcept
{
    if (this != &other) {
        if (m_impl && m_impl->depth > 0)
            m_impl->dropBatch();
        m_impl = std::move(other.m_impl);
    }
    return *this;
}

DbfTable::~DbfTable()
{
    if (m_impl && m_impl->depth > 0)
        m_impl->dropBatch();
}

DbfTable DbfTable::open(const std::string& given)
{
    const std::string path = resolvePath(given);
    std::error_code ec;
    if (!fs::is_regular_file(fsPath(path), ec))
        throw Error("Tabela " + quotedPath(given) + " nu exista");
    auto d = std::make_unique<Impl>();
    d->path = path;
    d->journal = journalPathFor(path);
    // Take the "in use" lock; while another process restructures the table
    // (it holds that byte exclusively) wait for it, then make sure the file
    // we hold is still the one under this name (a restructure replaces it).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        FileHandle f(path, FileHandle::Mode::ReadWrite);
        if (f.lock(kUseLockByte, 1, FileHandle::Lock::Shared, false)) {
            FileStat onDisk;
            const FileStat held = f.stat();
            if (statPath(path, onDisk) && onDisk.device == held.device && onDisk.inode == held.inode) {
                d->file = std::move(f);
                break;
            }
        }
        if (std::chrono::steady_clock::now() > deadline)
            throw Error("Tabela " + quotedPath(path) + " este folosita exclusiv de alt proces");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Read the header under the data lock, rolling back a cut-short commit first.
    d->lockData(FileHandle::Lock::Shared);
    try {
        FileStat st;
        if (statPath(d->journal, st)) {
            d->file.unlock(kDataLockStart, kDataLockLength);
            d->lockData(FileHandle::Lock::Exclusive);
            d->recoverHotJournal();
        }
        const std::uint64_t size = d->file.size();
        std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(size, 32)), '\0');
        head.resize(d->file.readAt(0, head.data(), head.size()));
        std::uint8_t version = 0;
        std::uint32_t n = 0;
        std::uint16_t hl = 0;
        std::uint16_t rl = 0;
        DbfHeader::parseFixed(head, path, version, n, hl, rl);
        // At least the fixed part of any flavour, so a header length that is
        // too small is reported as such.
        const std::uint64_t want = std::max<std::uint64_t>(hl, 68);
        std::string all(static_cast<std::size_t>(std::min<std::uint64_t>(size, want)), '\0');
        all.resize(d->file.readAt(0, all.data(), all.size()));
        d->header = DbfHeader::parse(all, path);
        d->columns = std::make_shared<const std::vector<Column>>(d->header.columns);
        d->refreshCount();
    } catch (...) {
        d->file.unlock(kDataLockStart, kDataLockLength);
        throw;
    }
    d->file.unlock(kDataLockStart, kDataLockLength);
    return DbfTable(std::move(d));
}

DbfTable DbfTable::create(const std::string& given, const std::vector<Column>& requested, bool overwrite)
{
    const std::string path = resolvePath(given);
    if (requested.empty())
        throw Error("Tabela " + quotedPath(path) + " trebuie sa aiba cel putin o coloana");
    std::vector<Column> cols = requested;
    for (Column& c : cols)
        validateColumn(c, path);
    for (std::size_t i = 0; i < cols.size(); ++i)
        for (std::size_t k = 0; k < i; ++k)
            if (cols[i].name == cols[k].name)
                throw Error("Coloana \"" + cols[i].name + "\" apare de doua ori in tabela " + quotedPath(path));

    DbfHeader fresh = DbfHeader::fresh(cols);
    std::vector<Column> placed;
    std::string bytes = fresh.compose(cols, std::vector<int>(cols.size(), -1), 0, placed);
    if (placed.back().offset + placed.back().width > 65535)
        throw Error("Inregistrarea tabelei " + quotedPath(path) + " ar depasi 65535 de octeti");
    bytes += '\x1A';

    std::error_code ec;
    FileHandle existing;
    if (fs::exists(fsPath(path), ec)) {
        if (!overwrite)
            throw Error("Tabela " + quotedPath(path) + " exista deja");
        existing = FileHandle(path, FileHandle::Mode::ReadWrite);
        if (!existing.lock(kUseLockByte, 1, FileHandle::Lock::Exclusive, false))
            throw Error("Tabela " + quotedPath(path) + " este folosita de alt proces");
    } else {
        const fs::path folder = fsPath(path).parent_path();
        if (!folder.empty() && !fs::is_directory(folder, ec))
            throw Error("Folderul tabelei " + quotedPath(path) + " nu exista");
    }
    const std::string temp = path + "-new";
    {
        FileHandle out(temp, FileHandle::Mode::CreateNew);
        out.writeAt(0, bytes.data(), bytes.size());
        out.sync();
    }
#ifdef _WIN32
    // Windows does not replace a file that is open, our own handle included.
    existing.close();
#endif
    bool replaced = false;
    try {
        replaced = replaceFile(temp, path);
    } catch (...) {
        fs::remove(fsPath(temp), ec);
        throw;
    }
    if (!replaced) {
        fs::remove(fsPath(temp), ec);
        throw Error("Tabela " + quotedPath(path) + " este folosita de alt proces");
    }
    fs::remove(fsPath(journalPathFor(path)), ec);
    existing.close();
    return open(path);
}

const std::string& DbfTable::path() const { return m_impl->path; }
const std::vector<Column>& DbfTable::columns() const { return *m_impl->columns; }
int DbfTable::columnIndex(std::string_view name) const { return findColumn(*m_impl->columns, name); }
CodePage DbfTable::codePage() const { return m_impl->header.codePage; }
std::uint8_t DbfTable::version() const { return m_impl->header.version; }
std::uint32_t DbfTable::recordCount() const { return m_impl->totalRecords(); }
FileIdentity DbfTable::identity() const { return m_impl->identityNow(); }
FileIdentity DbfTable::identityAtCommit() const { return m_impl->committed; }
bool DbfTable::inBatch() const { return m_impl->depth > 0; }

TableData DbfTable::readAll() const
{
    Impl& d = *m_impl;
    auto data = std::make_shared<TableData::Impl>();
    data->columns = d.columns;
    data->format = d.header.fieldFormat();
    data->recordLength = d.header.recordLength;
    d.lockRead();
    std::uint32_t inFile = 0;
    try {
        inFile = d.depth > 0 ? d.baseCount : d.count;
        const std::size_t total = static_cast<std::size_t>(inFile) + d.appendedCount;
        const std::size_t length = total * d.header.recordLength;
        data->bytes = std::shared_ptr<char[]>(new char[length == 0 ? 1 : length]);
        const std::size_t want = static_cast<std::size_t>(inFile) * d.header.recordLength;
        d.readExactly(d.header.headerLength, data->bytes.get(), want,
                      "inregistrarile 1.." + std::to_string(inFile));
        data->identity = d.identityNow();
    } catch (...) {
        d.unlockRead();
        throw;
    }
    d.unlockRead();
    const std::size_t rl = d.header.recordLength;
    for (const auto& [record, bytes] : d.changed)
        std::memcpy(data->bytes.get() + static_cast<std::size_t>(record) * rl, bytes.data(), rl);
    if (d.appendedCount > 0)
        std::memcpy(data->bytes.get() + static_cast<std::size_t>(inFile) * rl, d.appended.data(), d.appended.size());
    data->records = static_cast<std::size_t>(inFile) + d.appendedCount;
    data->findLive();
    return TableData(std::move(data));
}

TableData TableData::withRecords(const std::map<std::uint32_t, std::string>& records) &&
{
    if (records.empty())
        return std::move(*this);
    std::shared_ptr<Impl> self;
    if (m_impl.use_count() == 1 && m_impl->bytes.use_count() == 1) {
        self = std::const_pointer_cast<Impl>(m_impl);
    } else {
        self = std::make_shared<Impl>(*m_impl);
        const std::size_t length = std::max<std::size_t>(1, m_impl->records * m_impl->recordLength);
        self->bytes = std::shared_ptr<char[]>(new char[length]);
        std::memcpy(self->bytes.get(), m_impl->bytes.get(), length);
    }
    m_impl.reset();
    const std::size_t rl = self->recordLength;
    const std::size_t length = self->records * rl;
    bool flagsChanged = false;
    for (const auto& [record, bytes] : records) {
        const std::size_t at = static_cast<std::size_t>(record) * rl;
        if (bytes.size() != rl || at + rl > length)
            throw Error("Inregistrarea " + std::to_string(record + 1) + " nu este in datele citite ale tabelei");
        flagsChanged = flagsChanged || self->bytes[at] != bytes[0];
        std::memcpy(self->bytes.get() + at, bytes.data(), rl);
    }
    if (flagsChanged)
        self->findLive();
    return TableData(std::move(self));
}

std::vector<FieldValue> DbfTable::read(std::uint32_t record) const
{
    const Impl& d = *m_impl;
    const std::string bytes = recordBytes(record);
    std::vector<FieldValue> values;
    values.reserve(d.columns->size());
    for (const Column& c : *d.columns)
        values.push_back(decodeField(c, bytes.data() + c.offset, d.header.fieldFormat()));
    return values;
}

std::string DbfTable::recordBytes(std::uint32_t record) const
{
    Impl& d = *m_impl;
    std::string bytes;
    if (d.depth > 0) {
        bytes = d.recordForChange(record);
    } else {
        d.lockRead();
        try {
            if (record >= d.count)
                throw Error("Tabela " + quotedPath(d.path) + " nu are inregistrarea " + std::to_string(record + 1));
            bytes.assign(d.header.recordLength, '\0');
            d.readExactly(d.recordOffset(record), bytes.data(), bytes.size(),
                          "inregistrarea " + std::to_string(record + 1));
        } catch (...) {
            d.unlockRead();
            throw;
        }
        d.unlockRead();
    }
    return bytes;
}

bool DbfTable::isDeleted(std::uint32_t record) const
{
    Impl& d = *m_impl;
    if (d.depth > 0)
        return d.recordForChange(record)[0] == '*';
    d.lockRead();
    char flag = ' ';
    try {
        if (record >= d.count)
            throw Error("Tabela " + quotedPath(d.path) + " nu are inregistrarea " + std::to_string(record + 1));
        d.readExactly(d.recordOffset(record), &flag, 1, "inregistrarea " + std::to_string(record + 1));
    } catch (...) {
        d.unlockRead();
        throw;
    }
    d.unlockRead();
    return flag == '*';
}

namespace {

// Runs one change inside the open batch, or in a batch of its own.
template <typename F>
auto withBatch(DbfTable& table, F&& change)
{
    if (table.inBatch())
        return change();
    table.beginBatch();
    try {
        auto result = change();
        table.commitBatch();
        return result;
    } catch (...) {
        table.rollbackBatch();
        throw;
    }
}

} // namespace

std::uint32_t DbfTable::append(const std::vector<FieldValue>& values)
{
    Impl& d = *m_impl;
    if (values.size() > d.columns->size())
        throw Error("Prea multe valori (" + std::to_string(values.size()) + ") pentru tabela " + quotedPath(d.path));
    std::string record = d.blankRecord();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Column& c = (*d.columns)[i];
        encodeField(c, values[i], d.header.fieldFormat(), record.data() + c.offset, d.path);
    }
    return withBatch(*this, [&] {
        d.appended += record;
        ++d.appendedCount;
        return d.baseCount + d.appendedCount - 1;
    });
}

void DbfTable::update(std::uint32_t record, const std::vector<std::pair<int, FieldValue>>& changes)
{
    Impl& d = *m_impl;
    for (const auto& change : changes)
        if (change.first < 0 || static_cast<std::size_t>(change.first) >= d.columns->size())
            throw Error("Coloana " + std::to_string(change.first) + " nu exista in tabela " + quotedPath(d.path));
    withBatch(*this, [&] {
        std::string bytes = d.recordForChange(record);
        for (const auto& [index, value] : changes) {
            const Column& c = (*d.columns)[static_cast<std::size_t>(index)];
            encodeField(c, value, d.header.fieldFormat(), bytes.data() + c.offset, d.path);
        }
        if (record >= d.baseCount)
            d.appended.replace(static_cast<std::size_t>(record - d.baseCount) * d.header.recordLength,
                               d.header.recordLength, bytes);
        else
            d.changed[record] = std::move(bytes);
        return 0;
    });
}

void DbfTable::remove(std::uint32_t record)
{
    Impl& d = *m_impl;
    withBatch(*this, [&] {
        std::string bytes = d.recordForChange(record);
        bytes[0] = '*';
        if (record >= d.baseCount)
            d.appended[static_cast<std::size_t>(record - d.baseCount) * d.header.recordLength] = '*';
        else
            d.changed[record] = std::move(bytes);
        return 0;
    });
}

void DbfTable::beginBatch()
{
    Impl& d = *m_impl;
    if (d.depth > 0) {
        ++d.depth;
        return;
    }
    d.lockWrite();
    d.depth = 1;
    d.baseCount = d.count;
    d.changed.clear();
    d.readAhead.clear();
    d.appended.clear();
    d.appendedCount = 0;
}

void DbfTable::commitBatch()
{
    commitBatches({this});
}

void DbfTable::rollbackBatch()
{
    if (m_impl->depth > 0)
        m_impl->dropBatch();
}

namespace {

// The outermost batches among the tables; nested ones only end their level.
std::vector<DbfTable::Impl*> outermostBatches(const std::vector<DbfTable::Impl*>& batches)
{
    std::vector<DbfTable::Impl*> outer;
    for (DbfTable::Impl* b : batches) {
        DbfTable::Impl& d = *b;
        if (d.depth == 0)
            throw Error("Tabela " + quotedPath(d.path) + " nu are o tranzactie deschisa");
        if (d.depth > 1)
            --d.depth;
        else
            outer.push_back(&d);
    }
    return outer;
}

// Writes the tables up to the commit point: their journals, the transaction
// journal naming them all (several tables), the tables, and last the
// deletion of the transaction journal.
void writeTables(const std::vector<DbfTable::Impl*>& tables)
{
    const std::string tx = tables.size() > 1 ? transactionJournalPathFor(tables.front()->path) : std::string();
    std::vector<std::vector<PendingWrite>> writes;
    std::vector<std::string> journals;
    for (DbfTable::Impl* d : tables) {
        writes.push_back(d->prepareCommit(tx));
        journals.push_back(d->journal);
    }
    if (!tx.empty()) {
        writeTransactionJournal(tx, journals);
        commitStep("transaction-journal-written");
    }
    for (std::size_t i = 0; i < tables.size(); ++i)
        tables[i]->applyCommit(writes[i]);
    if (!tx.empty()) {
        removeTransactionJournal(tx);
        commitStep("transaction-journal-deleted");
    }
}

// Puts back what a failed commit wrote; a table that cannot be put back now
// keeps its journal (and the transaction journal stays with it) and is
// rolled back when next locked.
void rollBackTables(const std::vector<DbfTable::Impl*>& tables)
{
    for (DbfTable::Impl* d : tables) {
        try {
            if (d->journalWritten)
                rollBackJournal(d->file, d->journal);
        } catch (...) {
        }
        d->dropBatch();
    }
}

} // namespace

void DbfTable::commitBatches(const std::vector<DbfTable*>& tables)
{
    std::vector<Impl*> impls;
    for (DbfTable* t : tables)
        impls.push_back(t->m_impl.get());
    const std::vector<Impl*> outer = outermostBatches(impls);
    std::vector<Impl*> changing;
    for (Impl* d : outer)
        if (d->hasChanges())
            changing.push_back(d);
    try {
        writeTables(changing);
    } catch (...) {
        rollBackTables(outer);
        throw;
    }
    for (Impl* d : outer)
        d->finishCommit();
}

} // namespace engine::storage
