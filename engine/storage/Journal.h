// The rollback journal of a table: "<table file>-journal" beside it holds the
// table's size and the original bytes of every range a commit is about to
// overwrite. It is written and flushed before the table is touched and
// deleted once the table is flushed; a journal found later means a commit
// was cut short, and replaying it puts the table back as it was.
//
// A commit of several tables at once has one more file, the transaction
// journal ("<first table file>-txjournal-<8 hex digits>", beside the first
// table). Each table journal names it; it names every table journal. Order:
// table journals, transaction journal (flushed with its folder), tables
// (flushed), transaction journal deleted and the folder flushed -- the
// commit point -- and last the table journals. Recovery of a table journal
// that names a transaction journal: while that journal exists (complete, and
// naming this table journal) the table is rolled back; once it is gone the
// transaction committed and the table journal is stale, deleted unreplayed.
// The transaction journal itself is deleted by the recovery that rolls back
// the last table journal it names.
//
// A commit of appends alone to one table makes the new header (its record
// count) its commit point: the journal carries the header and the byte that
// replaces the old end mark as "redo" entries. The records are written past
// the old end mark and flushed, then the header, then that byte; recovery
// finds the new header on disk and finishes the commit forward, or does not
// and rolls it back. So a reader that trusts the header's count and one that
// reads up to the end mark (0x1A) never see a record that is not committed.
//
// Layouts (little-endian, u32 FNV-1a checksum over everything before it):
//   version 1, a table alone: "HVJRNL01", u64 original size, u32 entry count,
//     entries (u64 offset, u32 length, bytes), checksum, "HVJEND01".
//   version 2: "HVJRNL02", u64 original size, u32 entry count, entries,
//     u32 length + transaction journal path (empty: none), u32 redo count,
//     redo entries, u64 size after the commit, checksum, "HVJEND01".
//   transaction journal: "HVTXJR01", u32 count, count x (u32 length + table
//     journal path), checksum, "HVTXEND1".
// Paths inside a journal are file names when the file lies in the journal's
// own folder, full paths otherwise. A journal without a valid end was itself
// cut short before any table was touched, and is simply deleted.
// Internal to the storage layer.
#pragma once

#include "engine/storage/FileHandle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine::storage {

struct JournalEntry {
    std::uint64_t offset = 0;
    std::string original; // the bytes to write back (for a redo entry: to write)
};

struct Journal {
    std::uint64_t originalSize = 0;
    std::vector<JournalEntry> entries;  // original bytes, written back in reverse on rollback
    std::string transactionJournal;     // path; empty for a commit of this table alone
    // Empty, or: the header bytes that mark the commit made, then the rest
    // of the commit's last writes; with the size of the table after it.
    std::vector<JournalEntry> redo;
    std::uint64_t newSize = 0;
};

std::string journalPathFor(const std::string& tablePath);
// A new, unused transaction journal name beside the given table.
std::string transactionJournalPathFor(const std::string& firstTablePath);

// Writes and flushes the journal (and its directory entry).
void writeJournal(const std::string& journalPath, const Journal& journal);
void writeTransactionJournal(const std::string& path, const std::vector<std::string>& tableJournals);

// After a crash: brings the table to the state its journal decides (rolled
// back, or finished forward; a stale journal leaves it as it is), then
// deletes the journal, and the transaction journal once no table journal of
// it is left. Returns true when the table was changed. Throws when the table
// must be changed but cannot be written.
bool recoverJournal(FileHandle& table, const std::string& journalPath);

// The writer's own undo of a commit that failed before its commit point:
// always rolls back, then deletes the journal (and its transaction journal
// once no table journal of it is left).
void rollBackJournal(FileHandle& table, const std::string& journalPath);

void removeJournal(const std::string& journalPath);
// The commit point of a transaction: deletes its journal and flushes the folder.
void removeTransactionJournal(const std::string& path);

// Test seam: called with a point name at each step of a commit, so a test
// can end the process there and check the recovery. Null in normal use.
// Points, in order: "journal-written" (each table), "transaction-journal-
// written", "table-partly-written" (each table), "records-written" and
// "count-written" (appends alone), "table-written" (each table),
// "transaction-journal-deleted", "journal-deleted" (each table).
extern void (*commitStepHook)(const char* point);

} // namespace engine::storage
