// The inside of DbfTable, shared by its record code (DbfTable.cpp) and its
// maintenance code (DbfMaintenance.cpp). Internal to the storage layer.
#pragma once

#include "engine/storage/DbfHeader.h"
#include "engine/storage/DbfTable.h"
#include "engine/storage/FileHandle.h"
#include "engine/storage/Journal.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace engine::storage {

// Lock region, counting down from 0xEFFFFFFE as other dBase engines do: the
// data lock covers the record-lock bytes of every record (0xEFFFFFFE - n), so a
// foreign program's record lock and our writes exclude each other. The "in
// use" byte lies just below it.
inline constexpr std::uint64_t kLockTop = 0xEFFFFFFEULL;
inline constexpr std::uint64_t kDataLockStart = 0xE0000000ULL;
inline constexpr std::uint64_t kDataLockLength = kLockTop - kDataLockStart + 1;
inline constexpr std::uint64_t kUseLockByte = kDataLockStart - 2;

struct PendingWrite {
    std::uint64_t offset = 0;
    std::string bytes;
};

struct DbfTable::Impl {
    std::string path;
    std::string journal;
    FileHandle file;
    DbfHeader header;
    std::shared_ptr<const std::vector<Column>> columns;
    std::uint32_t count = 0;         // records in the file when last looked at
    std::uint8_t headerDate[3] = {0, 0, 0};

    // Batch state: the exclusive data lock is held while depth > 0.
    int depth = 0;
    std::uint32_t baseCount = 0;     // records in the file when the batch began
    std::map<std::uint32_t, std::string> changed; // records below baseCount
    std::string appended;            // new records, back to back
    std::uint32_t appendedCount = 0;
    // Runs of unchanged records read in one go while the batch holds the
    // lock (nobody else can change them meanwhile): start record -> bytes.
    std::map<std::uint32_t, std::string> readAhead;
    FileIdentity committed;          // of the file as the last commit left it
    bool journalWritten = false;
    bool appendOnlyCommit = false;   // the commit being made: appends alone, finished forward once its count is written

    // Locks. lockRead/unlockRead do nothing inside a batch (the exclusive lock
    // already covers reading). Both replay a journal left by a crash.
    // Waits for the data lock, at most lockWait(); a longer wait (a
    // writer that does not finish, or two processes each waiting for a table
    // the other holds) ends in an error naming the table.
    void lockData(FileHandle::Lock kind);
    void lockRead();
    void unlockRead();
    void lockWrite();
    void unlockWrite();
    bool recoverHotJournal(); // needs the exclusive data lock
    // Re-reads the 32-byte file header: record count and date. Checks the file
    // is long enough for the records it declares.
    void refreshCount();

    // Reads n bytes at offset; fewer (the file ends early) is a damaged-table
    // error naming the file and what was being read.
    void readExactly(std::uint64_t offset, char* buffer, std::size_t n, const std::string& what) const;
    std::string blankRecord() const;
    std::string recordForChange(std::uint32_t record); // inside a batch
    std::string unchangedRecord(std::uint32_t record); // inside a batch, below baseCount
    std::uint32_t totalRecords() const { return depth > 0 ? baseCount + appendedCount : count; }
    std::uint64_t recordOffset(std::uint32_t record) const
    {
        return header.headerLength + static_cast<std::uint64_t>(record) * header.recordLength;
    }

    // Commit in three steps so that several tables can commit together.
    // Writes go in this order: changed records; appended records, all but
    // the first record's deletion flag (which lands on the old end mark),
    // with the new end mark; the header (date, record count); that flag.
    // A batch that only appends, committed alone, flushes its records before
    // the header, and its header is its commit point (see Journal.h).
    // transactionJournal: the journal of a commit of several tables, empty
    // for a table alone.
    bool hasChanges() const { return !changed.empty() || appendedCount > 0; }
    std::vector<PendingWrite> prepareCommit(const std::string& transactionJournal); // writes the journal
    void applyCommit(const std::vector<PendingWrite>& writes);
    void finishCommit();
    void dropBatch();
    std::vector<PendingWrite> commitWrites() const;
    Journal journalOf(const std::vector<PendingWrite>& writes, std::uint64_t originalSize) const;

    // Maintenance: exclusive use, then a new file put in place of the table.
    void beginExclusiveUse();
    void endExclusiveUse();
    void replaceContent(const std::string& bytes);
    std::string readWholeFile();
    FileIdentity identityNow() const;
};

// How long a lock is waited for before giving up: 30 s; tests shorten it.
std::chrono::milliseconds lockWait();
void setLockWait(std::chrono::milliseconds wait);

// Changes committed through this process to the file (device, inode).
std::uint64_t localChangesOf(std::uint64_t device, std::uint64_t inode);
void noteLocalChange(std::uint64_t device, std::uint64_t inode);

// Checks and normalises a column for a new or restructured table: name in
// upper case, 1..10 letters, digits or "_"; fixed widths for D, L, I.
void validateColumn(Column& column, const std::string& path);

int findColumn(const std::vector<Column>& columns, std::string_view name);

inline std::string quotedPath(const std::string& path) { return "\"" + path + "\""; }

} // namespace engine::storage
