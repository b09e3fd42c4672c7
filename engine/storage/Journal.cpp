#include "engine/storage/Journal.h"

#include "engine/Value.h"
#include "engine/storage/ByteIO.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string_view>

namespace engine::storage {

void (*commitStepHook)(const char* point) = nullptr;

namespace {

namespace fs = std::filesystem;

const char kMagicV1[] = "HVJRNL01";
const char kMagicV2[] = "HVJRNL02";
const char kEnd[] = "HVJEND01";
const char kTxMagic[] = "HVTXJR01";
const char kTxEnd[] = "HVTXEND1";
constexpr std::size_t kMarkLength = 8;
constexpr std::uint64_t kLargestJournal = 1ULL << 34;

std::uint32_t fnv1a(const char* p, std::size_t n)
{
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) {
        h ^= static_cast<unsigned char>(p[i]);
        h *= 16777619u;
    }
    return h;
}

// ---- paths inside journals -------------------------------------------------

// How a journal at `from` refers to `target`: by its name when both lie in
// one folder (the folder may be moved or reached by another path), else by
// its full path.
std::string referenceFrom(const std::string& target, const std::string& from)
{
    const fs::path t = fsPath(target);
    if (t.parent_path() == fsPath(from).parent_path())
        return utf8Path(t.filename());
    return utf8Path(fs::absolute(t));
}

std::string resolveFrom(const std::string& reference, const std::string& from)
{
    const fs::path r = fsPath(reference);
    if (r.has_parent_path())
        return reference;
    return utf8Path(fsPath(from).parent_path() / r);
}

bool sameFile(const std::string& a, const std::string& b)
{
    FileStat sa;
    FileStat sb;
    return statPath(a, sa) && statPath(b, sb) && sa.device == sb.device && sa.inode == sb.inode;
}

// ---- sealed files: magic, body, checksum, end mark ---------------------------

void appendText(std::string& out, const std::string& text)
{
    bytes::append32le(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

void appendEntries(std::string& out, const std::vector<JournalEntry>& entries)
{
    bytes::append32le(out, static_cast<std::uint32_t>(entries.size()));
    for (const JournalEntry& e : entries) {
        bytes::append64le(out, e.offset);
        appendText(out, e.original);
    }
}

// Adds the checksum and end mark, then writes and flushes the file and its
// folder entry.
void writeSealed(const std::string& path, std::string content, const char* endMark)
{
    bytes::append32le(content, fnv1a(content.data(), content.size()));
    content.append(endMark, kMarkLength);
    FileHandle f(path, FileHandle::Mode::CreateNew);
    f.writeAt(0, content.data(), content.size());
    f.sync();
    f.close();
    syncDirectoryOf(path);
}

std::optional<std::string> readWhole(const std::string& path)
{
    FileHandle f;
    try {
        f = FileHandle(path, FileHandle::Mode::ReadOnly);
    } catch (const Error&) {
        return std::nullopt; // gone meanwhile
    }
    const std::uint64_t size = f.size();
    if (size > kLargestJournal)
        throw Error("Jurnalul \"" + path + "\" este prea mare");
    std::string content(static_cast<std::size_t>(size), '\0');
    content.resize(f.readAt(0, content.data(), content.size()));
    return content;
}

// Whether the file is whole: its magic, checksum and end mark are right.
bool sealed(const std::string& content, const char* magic, const char* endMark)
{
    const std::size_t trailer = 4 + kMarkLength;
    return content.size() >= kMarkLength + trailer && content.compare(0, kMarkLength, magic, kMarkLength) == 0
        && content.compare(content.size() - kMarkLength, kMarkLength, endMark, kMarkLength) == 0
        && bytes::u32le(content.data() + content.size() - trailer)
        == fnv1a(content.data(), content.size() - trailer);
}

// Reads the fields of a sealed file's body in order, each checked against its end.
class Fields {
public:
    explicit Fields(const std::string& content)
        : m_data(content.data()), m_pos(kMarkLength), m_end(content.size() - 4 - kMarkLength) {}

    bool u32(std::uint32_t& v) { return take(4) && (v = bytes::u32le(m_data + m_pos - 4), true); }
    bool u64(std::uint64_t& v) { return take(8) && (v = bytes::u64le(m_data + m_pos - 8), true); }
    bool text(std::string& v)
    {
        std::uint32_t n = 0;
        if (!u32(n) || !take(n))
            return false;
        v.assign(m_data + m_pos - n, n);
        return true;
    }
    bool entries(std::vector<JournalEntry>& v)
    {
        std::uint32_t n = 0;
        if (!u32(n))
            return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            JournalEntry e;
            if (!u64(e.offset) || !text(e.original))
                return false;
            v.push_back(std::move(e));
        }
        return true;
    }
    bool done() const { return m_pos == m_end; }

private:
    bool take(std::size_t n)
    {
        if (m_end - m_pos < n)
            return false;
        m_pos += n;
        return true;
    }
    const char* m_data;
    std::size_t m_pos;
    std::size_t m_end;
};

// ---- reading journals --------------------------------------------------------

// A whole journal of either version; nothing when it is gone or was cut short.
std::optional<Journal> readJournal(const std::string& journalPath)
{
    const std::optional<std::string> content = readWhole(journalPath);
    if (!content)
        return std::nullopt;
    const bool v2 = sealed(*content, kMagicV2, kEnd);
    if (!v2 && !sealed(*content, kMagicV1, kEnd))
        return std::nullopt;
    Journal j;
    Fields f(*content);
    bool ok = f.u64(j.originalSize) && f.entries(j.entries);
    if (v2)
        ok = ok && f.text(j.transactionJournal) && f.entries(j.redo) && f.u64(j.newSize);
    if (!ok || !f.done())
        return std::nullopt;
    if (!j.transactionJournal.empty())
        j.transactionJournal = resolveFrom(j.transactionJournal, journalPath);
    return j;
}

// The table journals a whole transaction journal names; nothing when it is
// gone or was cut short.
std::optional<std::vector<std::string>> readTransactionJournal(const std::string& path)
{
    const std::optional<std::string> content = readWhole(path);
    if (!content || !sealed(*content, kTxMagic, kTxEnd))
        return std::nullopt;
    Fields f(*content);
    std::uint32_t count = 0;
    if (!f.u32(count))
        return std::nullopt;
    std::vector<std::string> journals(count);
    for (std::string& name : journals) {
        if (!f.text(name))
            return std::nullopt;
        name = resolveFrom(name, path);
    }
    if (!f.done())
        return std::nullopt;
    return journals;
}

// ---- recovery ------------------------------------------------------------------

void removeFile(const std::string& path)
{
    std::error_code ec;
    fs::remove(fsPath(path), ec);
}

// Whether the transaction of a table journal is undecided: its transaction
// journal is there, whole, and names this table journal. One cut short is
// deleted: it was being written before any table was touched, so none was.
bool transactionOpen(const std::string& txPath, const std::string& journalPath)
{
    const auto journals = readTransactionJournal(txPath);
    if (!journals) {
        removeFile(txPath);
        return false;
    }
    for (const std::string& j : *journals)
        if (sameFile(j, journalPath))
            return true;
    return false;
}

bool journalBelongsTo(const std::string& journalPath, const std::string& txPath)
{
    const std::optional<Journal> j = readJournal(journalPath);
    return j && !j->transactionJournal.empty() && sameFile(j->transactionJournal, txPath);
}

// Deletes a transaction journal once none of the table journals it names is
// left; their deletions are made durable first, so that none of them comes
// back without it. One cut short is deleted at once (no table was touched).
void retireTransactionJournal(const std::string& txPath)
{
    const auto journals = readTransactionJournal(txPath);
    if (journals) {
        for (const std::string& j : *journals)
            if (journalBelongsTo(j, txPath))
                return;
        for (const std::string& j : *journals)
            syncDirectoryOf(j);
    }
    removeFile(txPath);
    syncDirectoryOf(txPath);
}

void requireWritable(const FileHandle& table)
{
    if (table.readOnly())
        throw Error("Tabela \"" + table.path() + "\" are un jurnal de recuperare dupa o intrerupere, dar nu poate fi scrisa");
}

void undo(FileHandle& table, const Journal& j)
{
    for (auto it = j.entries.rbegin(); it != j.entries.rend(); ++it)
        table.writeAt(it->offset, it->original.data(), it->original.size());
    table.truncate(j.originalSize);
    table.sync();
}

void redo(FileHandle& table, const Journal& j)
{
    for (const JournalEntry& e : j.redo)
        table.writeAt(e.offset, e.original.data(), e.original.size());
    table.truncate(j.newSize);
    table.sync();
}

// Whether the commit reached its commit point: the table holds the bytes of
// the first redo entry (the new header).
bool commitMarkOnDisk(const FileHandle& table, const Journal& j)
{
    if (j.redo.empty())
        return false;
    const JournalEntry& mark = j.redo.front();
    std::string now(mark.original.size(), '\0');
    return table.readAt(mark.offset, now.data(), now.size()) == now.size() && now == mark.original;
}

} // namespace

std::string journalPathFor(const std::string& tablePath) { return tablePath + "-journal"; }

std::string transactionJournalPathFor(const std::string& firstTablePath)
{
    static std::atomic<std::uint32_t> counter{0};
    static std::random_device device;
    std::mt19937 random(device() ^ static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())
                        ^ (++counter * 2654435761u));
    for (;;) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        const std::string path = firstTablePath + "-txjournal-" + suffix;
        FileStat st;
        if (!statPath(path, st))
            return path;
    }
}

void writeJournal(const std::string& journalPath, const Journal& journal)
{
    const bool v1 = journal.transactionJournal.empty() && journal.redo.empty();
    std::string content(v1 ? kMagicV1 : kMagicV2, kMarkLength);
    bytes::append64le(content, journal.originalSize);
    appendEntries(content, journal.entries);
    if (!v1) {
        appendText(content, journal.transactionJournal.empty()
                                ? std::string()
                                : referenceFrom(journal.transactionJournal, journalPath));
        appendEntries(content, journal.redo);
        bytes::append64le(content, journal.newSize);
    }
    writeSealed(journalPath, std::move(content), kEnd);
}

void writeTransactionJournal(const std::string& path, const std::vector<std::string>& tableJournals)
{
    std::string content(kTxMagic, kMarkLength);
    bytes::append32le(content, static_cast<std::uint32_t>(tableJournals.size()));
    for (const std::string& j : tableJournals)
        appendText(content, referenceFrom(j, path));
    writeSealed(path, std::move(content), kTxEnd);
}

bool recoverJournal(FileHandle& table, const std::string& journalPath)
{
    const std::optional<Journal> j = readJournal(journalPath);
    const std::string txPath = j ? j->transactionJournal : std::string();
    // Cut short before the table was touched, or its transaction committed.
    if (!j || (!txPath.empty() && !transactionOpen(txPath, journalPath))) {
        removeJournal(journalPath);
        return false;
    }
    requireWritable(table);
    if (commitMarkOnDisk(table, *j))
        redo(table, *j);
    else
        undo(table, *j);
    removeJournal(journalPath);
    if (!txPath.empty())
        retireTransactionJournal(txPath);
    return true;
}

void rollBackJournal(FileHandle& table, const std::string& journalPath)
{
    const std::optional<Journal> j = readJournal(journalPath);
    if (j) {
        requireWritable(table);
        undo(table, *j);
    }
    removeJournal(journalPath);
    if (j && !j->transactionJournal.empty())
        retireTransactionJournal(j->transactionJournal);
}

void removeJournal(const std::string& journalPath)
{
    // The directory is not flushed: should the deletion be lost in a power
    // failure, the journal is replayed and the table returns, whole, to its
    // state before the commit (or, one of a transaction whose journal is
    // gone, is found stale and deleted again).
    removeFile(journalPath);
}

void removeTransactionJournal(const std::string& path)
{
    std::error_code ec;
    if (!fs::remove(fsPath(path), ec) && ec)
        throw Error("Jurnalul tranzactiei \"" + path + "\" nu poate fi sters: " + ec.message());
    syncDirectoryOf(path);
}

} // namespace engine::storage
