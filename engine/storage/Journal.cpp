#include "engine/storage/Journal.h"

#include "engine/Value.h"
#include "engine/storage/ByteIO.h"

#include <cstdio>
#include <filesystem>

namespace engine::storage {

void (*commitStepHook)(const char* point) = nullptr;

namespace {

const char kMagic[] = "HVJRNL01";
const char kEnd[] = "HVJEND01";

std::uint32_t fnv1a(const char* p, std::size_t n)
{
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) {
        h ^= static_cast<unsigned char>(p[i]);
        h *= 16777619u;
    }
    return h;
}

} // namespace

std::string journalPathFor(const std::string& tablePath) { return tablePath + "-journal"; }

void writeJournal(const std::string& journalPath, std::uint64_t originalSize,
                  const std::vector<JournalEntry>& entries)
{
    std::string j(kMagic, 8);
    bytes::append64le(j, originalSize);
    bytes::append32le(j, static_cast<std::uint32_t>(entries.size()));
    for (const JournalEntry& e : entries) {
        bytes::append64le(j, e.offset);
        bytes::append32le(j, static_cast<std::uint32_t>(e.original.size()));
        j += e.original;
    }
    bytes::append32le(j, fnv1a(j.data(), j.size()));
    j.append(kEnd, 8);
    FileHandle f(journalPath, FileHandle::Mode::CreateNew);
    f.writeAt(0, j.data(), j.size());
    f.sync();
    f.close();
    syncDirectoryOf(journalPath);
}

bool replayJournal(FileHandle& table, const std::string& journalPath)
{
    std::string j;
    {
        FileHandle f;
        try {
            f = FileHandle(journalPath, FileHandle::Mode::ReadOnly);
        } catch (const Error&) {
            return false; // gone meanwhile
        }
        const std::uint64_t size = f.size();
        if (size > (1ULL << 34))
            throw Error("Jurnalul \"" + journalPath + "\" este prea mare");
        j.resize(static_cast<std::size_t>(size));
        j.resize(f.readAt(0, j.data(), j.size()));
    }
    // A complete journal: magic, header, entries, checksum and end mark, all in bounds.
    bool complete = j.size() >= 8 + 8 + 4 + 4 + 8 && j.compare(0, 8, kMagic, 8) == 0
        && j.compare(j.size() - 8, 8, kEnd, 8) == 0
        && bytes::u32le(j.data() + j.size() - 12) == fnv1a(j.data(), j.size() - 12);
    std::vector<JournalEntry> entries;
    std::uint64_t originalSize = 0;
    if (complete) {
        originalSize = bytes::u64le(j.data() + 8);
        const std::uint32_t count = bytes::u32le(j.data() + 16);
        std::size_t pos = 20;
        const std::size_t end = j.size() - 12;
        for (std::uint32_t i = 0; i < count && complete; ++i) {
            if (end - pos < 12) {
                complete = false;
                break;
            }
            JournalEntry e;
            e.offset = bytes::u64le(j.data() + pos);
            const std::uint32_t len = bytes::u32le(j.data() + pos + 8);
            pos += 12;
            if (end - pos < len) {
                complete = false;
                break;
            }
            e.original.assign(j.data() + pos, len);
            pos += len;
            entries.push_back(std::move(e));
        }
    }
    if (!complete) {
        removeJournal(journalPath);
        return false;
    }
    if (table.readOnly())
        throw Error("Tabela \"" + table.path() + "\" are un jurnal de recuperare dupa o intrerupere, dar nu poate fi scrisa");
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        table.writeAt(it->offset, it->original.data(), it->original.size());
    table.truncate(originalSize);
    table.sync();
    removeJournal(journalPath);
    return true;
}

void removeJournal(const std::string& journalPath)
{
    // The directory is not flushed: should the deletion be lost in a power
    // failure, the journal is replayed and the table returns, whole, to its
    // state before the commit.
    std::error_code ec;
    std::filesystem::remove(fsPath(journalPath), ec);
}

} // namespace engine::storage
